// The print-ticket provider on a printer of its own (so the driver key and
// its watermark store are this program's), with two stored watermarks whose
// names need encoding as XML names.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>

#include "settings/private_devmode.h"
#include "tests/host/ticket_host.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/watermark/store.h"

namespace tickettest {

inline testbed::PrinterSetup TicketPrinter() { return {L"UIP Ticket Printer", L"UIP Ticket Driver", {}}; }

// Stored in this order. The second starts with a digit and holds what reads
// as an escape, so it needs escaping itself.
inline constexpr wchar_t kDraftName[] = L"Draft 2";
inline constexpr wchar_t kEscapeName[] = L"1st_x0041_ copy";
inline constexpr wchar_t kDraftOption[] = L"psp:Draft_x0020_2";
inline constexpr wchar_t kEscapeOption[] = L"psp:_x0031_st_x005F_x0041__x0020_copy";

inline constexpr testbed::PrinterFeatures kEveryFeature{true, true, true, true};

template <size_t N>
void Fill(wchar_t (&field)[N], const std::wstring &text) {
    wcsncpy(field, text.c_str(), N - 1);
    field[N - 1] = L'\0';
}

inline std::string Narrow(const std::wstring &w) { return uitest::Narrow(w); }
using testbed::CountNodes;

// Names the field holding the first differing byte, for a readable failure.
inline ::testing::AssertionResult SameRecord(const PrivateDevmode &want, const PrivateDevmode &got) {
    static const std::pair<size_t, const char *> kFields[] = {
        {0, "header"},
        {offsetof(PrivateDevmode, watermarksEnabled), "watermarksEnabled"},
        {offsetof(PrivateDevmode, watermarkOrder), "watermarkOrder"},
        {offsetof(PrivateDevmode, watermarkOverPage), "watermarkOverPage"},
        {offsetof(PrivateDevmode, watermarks[0]), "watermarks[0]"},
        {offsetof(PrivateDevmode, watermarks[1]), "watermarks[1]"},
        {offsetof(PrivateDevmode, rotate180), "rotate180"},
        {offsetof(PrivateDevmode, outputDestination), "outputDestination"},
        {offsetof(PrivateDevmode, pageSizePolicy), "pageSizePolicy"},
        {offsetof(PrivateDevmode, outputFilePath), "outputFilePath"},
        {offsetof(PrivateDevmode, holdUserName), "holdUserName"},
        {offsetof(PrivateDevmode, holdPin), "holdPin"},
        {offsetof(PrivateDevmode, blockAppPostScript), "blockAppPostScript .. accountNumber"},
        {offsetof(PrivateDevmode, discardOutput), "discardOutput"},
        {offsetof(PrivateDevmode, fax), "fax (before the cover page)"},
        {offsetof(PrivateDevmode, fax) + offsetof(FaxInfo, recipientName), "fax.recipientName"},
        {offsetof(PrivateDevmode, fax) + kCoverPageBlockOffset, "fax cover page"},
        {offsetof(PrivateDevmode, fax) + offsetof(FaxInfo, coverPageParts), "fax.coverPageParts"},
        {offsetof(PrivateDevmode, color), "color (correction, rgb*)"},
        {offsetof(PrivateDevmode, color.cmykImage), "color.cmyk*"},
        {offsetof(PrivateDevmode, color.balanceEnabled), "color.balance*"},
        {offsetof(PrivateDevmode, color.colorThrift), "color.colorThrift"},
        {offsetof(PrivateDevmode, keepDuplicateHeldJobs), "keepDuplicateHeldJobs"},
        {offsetof(PrivateDevmode, watermarkViaEscape), "watermarkViaEscape and after"},
    };
    const auto *a = reinterpret_cast<const BYTE *>(&want);
    const auto *b = reinterpret_cast<const BYTE *>(&got);
    for (size_t i = 0; i < sizeof(PrivateDevmode); ++i) {
        if (a[i] == b[i]) continue;
        const char *field = "?";
        for (const auto &[offset, name] : kFields)
            if (offset <= i) field = name;
        return ::testing::AssertionFailure() << "records differ at byte " << i << " in " << field;
    }
    return ::testing::AssertionSuccess();
}

class TicketTest : public ::testing::Test {
protected:
    // COM stays up for the test's documents while hosts come and go.
    void SetUp() override {
        comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        uitest::DeleteTree(HKEY_CURRENT_USER, uitest::DriverKey(TicketPrinter().driverName));
        ASSERT_NO_FATAL_FAILURE(Start(kEveryFeature));
        for (const wchar_t *name : {kDraftName, kEscapeName}) {
            WatermarkRecord wm{};
            ASSERT_TRUE(MakeSeedWatermark(0, &wm));
            Fill(wm.name, name);
            Fill(wm.text, std::wstring(L"text of ") + name);
            ASSERT_TRUE(SaveWatermark(host->printer(), &wm));
        }
    }

    void TearDown() override {
        host.reset();
        if (comStarted_) CoUninitialize();
    }

    // A fresh driver side for a printer offering `features`.
    void Start(const testbed::PrinterFeatures &features) {
        host.reset();
        host = std::make_unique<testbed::TicketHost>(features, TicketPrinter());
        std::wstring error;
        ASSERT_TRUE(host->Start(&error)) << Narrow(error);
    }

    // The stored watermark as the page reads it into a record.
    WatermarkRecord Stored(const wchar_t *name) {
        WatermarkRecord wm{};
        MakeDefaultWatermark(&wm);
        EXPECT_TRUE(ReadWatermark(host->printer(), &wm, name));
        return wm;
    }

    // The core driver's ticket with the plug-in's part for `record`.
    com_ptr<IXMLDOMDocument2> TicketFor(const PrivateDevmode &record) {
        com_ptr<IXMLDOMDocument2> ticket = testbed::CoreTicket();
        EXPECT_TRUE(ticket);
        if (ticket) {
            EXPECT_EQ(host->DevmodeToTicket(record, ticket.get()), S_OK);
        }
        return ticket;
    }

    std::unique_ptr<testbed::TicketHost> host;

private:
    bool comStarted_ = false;
};

}  // namespace tickettest
