// The manual-duplex prompt as another process shows it: finding its window,
// reading how its process was started, ending it; and copies of uiplug.dll
// loaded from other folders whose prompt escape is sent straight to the
// plug-in object, as the driver forwards it.
#pragma once

#include <windows.h>
#include <winddiui.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/escape_codes.h"
#include "platform/oem_abi.h"
#include "platform/raii.h"
#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"

namespace prompttest {

constexpr wchar_t kPromptCaption[] = L"Manual Duplex";
constexpr DWORD kWaitMs = 30000;

inline std::wstring Lower(std::wstring s) {
    std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
    return s;
}

// The system folder's rundll32, found here independently of the product.
inline std::wstring SystemRundll32() {
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir, n) + L"\\rundll32.exe";
}

inline std::wstring ModuleFile(HMODULE module) {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

// The command line the prompt is started with for the module at `path`.
inline std::wstring ExpectedPromptLine(const std::wstring &path) {
    return L"\"" + SystemRundll32() + L"\" \"" + path + L"\",CreateManualDuplexDlg";
}

struct PromptWindow {
    HWND window;
    DWORD processId;
};

inline BOOL CALLBACK CollectPrompt(HWND hwnd, LPARAM param) {
    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (wcscmp(title, kPromptCaption) == 0 && pid != GetCurrentProcessId())
        reinterpret_cast<std::vector<PromptWindow> *>(param)->push_back(PromptWindow{hwnd, pid});
    return TRUE;
}

inline std::vector<PromptWindow> WaitForPrompts(size_t count, DWORD waitMs = kWaitMs) {
    std::vector<PromptWindow> found;
    for (DWORD waited = 0; waited < waitMs; waited += 100) {
        found.clear();
        EnumWindows(CollectPrompt, reinterpret_cast<LPARAM>(&found));
        if (found.size() >= count) break;
        Sleep(100);
    }
    return found;
}

// The full process parameters block, as far as the current directory and
// the command line (the platform header names only the latter).
struct ProcessParameters {
    ULONG maximumLength;
    ULONG length;
    ULONG flags;
    ULONG debugFlags;
    HANDLE consoleHandle;
    ULONG consoleFlags;
    HANDLE standardInput;
    HANDLE standardOutput;
    HANDLE standardError;
    UNICODE_STRING currentDirectory;
    HANDLE currentDirectoryHandle;
    UNICODE_STRING dllPath;
    UNICODE_STRING imagePathName;
    UNICODE_STRING commandLine;
};
static_assert(offsetof(ProcessParameters, commandLine) == offsetof(RTL_USER_PROCESS_PARAMETERS, CommandLine));

inline std::wstring ReadRemoteString(HANDLE process, const UNICODE_STRING &s) {
    std::wstring text(s.Length / sizeof(wchar_t), L'\0');
    SIZE_T read = 0;
    if (!s.Buffer || !ReadProcessMemory(process, s.Buffer, text.data(), s.Length, &read)) return L"?";
    return text;
}

enum class StartRead { kRead, kNotObservable, kFailed };

// The command line and working folder a process was started with.
// Wine's server reads another process's memory by attaching to it with
// ptrace, which qemu's user-mode emulation does not provide: under emulated
// ARM64 Wine 10 the read of the child's process block is refused with
// ERROR_ACCESS_DENIED, although rundll32 there is an ARM64 program like this
// one, and Wine has no ProcessCommandLineInformation to fall back on. Windows,
// on ARM64 too, lets a process holding PROCESS_VM_READ read its child. What
// the product passes to CreateProcessW is checked at that call regardless.
inline StartRead ReadStartParameters(HANDLE process, std::wstring *commandLine, std::wstring *directory) {
    using QueryFn = NTSTATUS(NTAPI *)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    ULONG got = 0;
    if (!query || query(process, ProcessBasicInformation, &info, sizeof(info), &got) != 0) return StartRead::kFailed;
    PEB peb{};
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, info.PebBaseAddress, &peb, sizeof(peb), &read)) {
#if defined(__aarch64__)
        if (GetLastError() == ERROR_ACCESS_DENIED && testbed::WineMajorVersion() != 0) return StartRead::kNotObservable;
#endif
        return StartRead::kFailed;
    }
    ProcessParameters params{};
    if (!ReadProcessMemory(process, peb.ProcessParameters, &params, sizeof(params), &read)) return StartRead::kFailed;
    *commandLine = ReadRemoteString(process, params.commandLine);
    *directory = ReadRemoteString(process, params.currentDirectory);
    return StartRead::kRead;
}

// Says once per run, in its output, that the started process's own view of
// its start went unchecked.
inline void NoteStartNotObservable() {
    static bool said = false;
    if (said) return;
    said = true;
    std::printf("note: this Wine cannot read another process's memory; the prompt's start parameters are checked "
                "only where the plug-in passes them to CreateProcessW\n");
}

inline std::wstring ImagePath(HANDLE process) {
    wchar_t path[MAX_PATH];
    DWORD chars = MAX_PATH;
    return QueryFullProcessImageNameW(process, 0, path, &chars) ? std::wstring(path, chars) : L"";
}

inline void PressOk(HWND dialog) {
    HWND ok = GetDlgItem(dialog, IDOK);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

// Ends every prompt a failed check left open, and waits until its process is
// gone, so that the next test does not find it: under emulation a prompt
// takes seconds to go after its OK.
inline void CloseStrayPrompts() {
    std::vector<unique_handle> processes;
    for (const PromptWindow &w : WaitForPrompts(0)) {
        processes.emplace_back(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, w.processId));
        PostMessageW(w.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    for (const unique_handle &process : processes) {
        if (process && WaitForSingleObject(process.get(), kWaitMs) != WAIT_OBJECT_0) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), kWaitMs);
        }
    }
}

// The prompt escape as the driver forwards it to the plug-in object; it
// needs neither printer nor device context.
inline int RequestPrompt(IPrintOemUI2 *plugin) {
    DOCEVENT_ESCAPE escape{};
    escape.iEscape = static_cast<int>(ESC_MANUAL_DUPLEX_PROMPT);
    int result = 0;
    if (FAILED(plugin->DocumentEvent(nullptr, nullptr, DOCUMENTEVENT_ESCAPE, sizeof(escape), &escape, 0, nullptr,
                                     &result)))
        return 0;
    return result;
}

// uiplug.dll copied into `folder` and loaded from there, with an object of
// its own. Paths beyond MAX_PATH are given in their long form.
class PluginCopy {
public:
    ~PluginCopy() {
        if (plugin) plugin->Release();
        if (module) FreeLibrary(module);
        if (!path.empty()) DeleteFileW(path.c_str());
    }

    bool Load(const std::wstring &folder, std::wstring *error) {
        path = folder + L"\\uiplug.dll";
        const std::wstring source = testbed::ProgramDirFile(L"uiplug.dll");
        if (!CopyFileW(source.c_str(), path.c_str(), FALSE)) return Fail(error, L"copy", GetLastError());
        module = LoadLibraryW(path.c_str());
        if (!module) return Fail(error, L"load", GetLastError());
        using GetClassObjectFn = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);
        auto getClassObject = reinterpret_cast<GetClassObjectFn>(
            reinterpret_cast<void *>(GetProcAddress(module, "DllGetClassObject")));
        IClassFactory *factory = nullptr;
        if (!getClassObject || FAILED(getClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&factory))))
            return Fail(error, L"class object", 0);
        const HRESULT hr = factory->CreateInstance(nullptr, IID_IPrintOemUI2, reinterpret_cast<void **>(&plugin));
        factory->Release();
        return SUCCEEDED(hr) && plugin ? true : Fail(error, L"object", static_cast<DWORD>(hr));
    }

    std::wstring path;
    HMODULE module = nullptr;
    IPrintOemUI2 *plugin = nullptr;

private:
    bool Fail(std::wstring *error, const wchar_t *what, DWORD code) {
        *error = std::wstring(what) + L" failed (" + std::to_wstring(code) + L") for " + path;
        return false;
    }
};

}  // namespace prompttest
