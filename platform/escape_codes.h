// Private printer escapes between the two plug-ins. uiplug (and any program
// holding the printer device context) sends them with ExtEscape; renderplug's
// DrvEscape hook answers them from the job's records. The numbers are an
// interface: other programs send them too, so they never change.
#pragma once

#include <windows.h>

// Copies of the job's records; each replies the size a caller needs.
constexpr ULONG ESC_GET_PUBLIC_DEVMODE = 0x10001;   // out: DEVMODEW (dmSize bytes)
constexpr ULONG ESC_GET_PRIVATE_DEVMODE = 0x10002;  // out: PrivateDevmode
constexpr ULONG ESC_GET_DEVICE_STATE = 0x10006;     // out: DeviceState
constexpr ULONG ESC_SET_PRIVATE_DEVMODE = 0x1000A;  // in: PrivateDevmode
constexpr ULONG ESC_SET_DEVICE_STATE = 0x1000B;     // in: DeviceState
constexpr ULONG ESC_SET_PUBLIC_DEVMODE = 0x1000C;   // in: DEVMODEW (dmSize bytes)
constexpr ULONG ESC_GET_JOB_TIME = 0x10010;         // out: SYSTEMTIME of the job's start

// Page counting by the document events; the reply is the count.
constexpr ULONG ESC_NEXT_PAGE = 0x10003;
constexpr ULONG ESC_RESET_PAGES = 0x10004;
constexpr ULONG ESC_GET_PAGE = 0x10005;
constexpr ULONG ESC_GET_SHEETS = 0x10009;

// Flags of the job; a u32 input where one is set from outside.
constexpr ULONG ESC_SET_COVER_PAGE_MODE = 0x10008;  // in: u32, then passed on to the driver
constexpr ULONG ESC_GET_JOB_ID = 0x1000D;
constexpr ULONG ESC_REQUEST_SIDE_ONE = 0x10018;
constexpr ULONG ESC_REQUEST_SIDE_TWO = 0x10019;
constexpr ULONG ESC_HAS_MANUAL_DUPLEX = 0x10020;
constexpr ULONG ESC_BEGIN_MANUAL_DUPLEX = 0x10021;
constexpr ULONG ESC_IS_MANUAL_DUPLEX = 0x10022;
constexpr ULONG ESC_END_MANUAL_DUPLEX = 0x10023;
constexpr ULONG ESC_SET_SHOW_PAGE_MARK = 0x10024;   // in: u32, then passed on to the driver

// Sent to the device context by a component outside the plug-ins and answered
// by uiplug's document events; renderplug passes them on untouched.
constexpr ULONG ESC_WATERMARK_REQUEST = 0x1000E;
constexpr ULONG ESC_MANUAL_DUPLEX_PROMPT = 0x10017;

// Size of the job-time block that ESC_GET_JOB_TIME copies out.
constexpr ULONG kJobTimeSize = sizeof(SYSTEMTIME);
static_assert(kJobTimeSize == 16, "the job-time block is four 32-bit values");
