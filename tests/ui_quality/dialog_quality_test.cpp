// Every dialog template of uiplug.dll, at the resolutions users run: 96, 144
// and 192 DPI. The screen's resolution is fixed when a process starts, so
// each resolution runs in a process of its own, started with the system's
// setting changed for it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/raii.h"
#include "resources/resource.h"
#include "tests/host/screenshot.h"
#include "tests/host/ui_host.h"
#include "tests/ui_quality/template_check.h"

namespace {

constexpr wchar_t kResolutionVariable[] = L"UI_QUALITY_DPI";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// Every template the module carries, with the default button its dialog
// must have (0 for property pages, which use the sheet's buttons).
const std::map<WORD, int> kTemplates = {
    {IDD_OUTPUT_OPTIONS_PAGE, 0},
    {IDD_FAX_COVER_PAGE, IDOK},
    {IDD_WATERMARK_PAGE, 0},
    {IDD_WATERMARK_EDITOR, IDOK},
    {IDD_WATERMARK_POSITION, IDOK},
    {IDD_WATERMARK_EDIT_SELECT, IDOK},
    {IDD_WATERMARK_REMOVE, IDCANCEL},
    {IDD_DYNAMIC_WATERMARKS, IDOK},
    {IDD_COLOR_PAGE, 0},
    {IDD_COLOR_CORRECTION, IDOK},
    {IDD_COLOR_BALANCE, IDOK},
    {IDD_PROFILES_PAGE, 0},
    {IDD_PROFILE_NAME, IDOK},
    {IDD_ABOUT_DOCUMENT, 0},
    {IDD_ABOUT_PRINTER, 0},
    {IDD_MANUAL_DUPLEX_PROMPT, IDOK},
};

int ResolutionToCheck() {
    wchar_t value[16] = L"";
    DWORD n = GetEnvironmentVariableW(kResolutionVariable, value, 16);
    return n > 0 && n < 16 ? _wtoi(value) : 0;
}

// The system's resolution as Wine keeps it (Windows keeps it per user in
// the same value); restored when the object goes.
class ResolutionSetting {
public:
    explicit ResolutionSetting(DWORD dpi) {
        RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key_.put(),
                        nullptr);
        DWORD size = sizeof(old_), type = 0;
        hadValue_ = RegQueryValueExW(key_.get(), L"LogPixels", nullptr, &type, reinterpret_cast<BYTE *>(&old_),
                                     &size) == ERROR_SUCCESS &&
                    type == REG_DWORD;
        ok_ = RegSetValueExW(key_.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dpi),
                             sizeof(dpi)) == ERROR_SUCCESS;
    }
    ~ResolutionSetting() {
        if (hadValue_)
            RegSetValueExW(key_.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&old_), sizeof(old_));
        else
            RegDeleteValueW(key_.get(), L"LogPixels");
    }
    bool ok() const { return ok_; }

private:
    unique_hkey key_;
    DWORD old_ = 0;
    bool hadValue_ = false;
    bool ok_ = false;
};

// Runs this program's one-resolution test in a new process; its exit code.
DWORD RunAtResolution(int dpi) {
    ResolutionSetting setting(static_cast<DWORD>(dpi));
    if (!setting.ok()) return 0xFFFF;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=DialogTemplatesAtOneResolution.* --gtest_color=no";
    SetEnvironmentVariableW(kResolutionVariable, std::to_wstring(dpi).c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(kResolutionVariable, nullptr);
    if (!started) return 0xFFFE;
    unique_handle thread(process.hThread), child(process.hProcess);
    DWORD code = 0xFFFD;
    if (WaitForSingleObject(child.get(), 5 * 60 * 1000) == WAIT_OBJECT_0) GetExitCodeProcess(child.get(), &code);
    else TerminateProcess(child.get(), 0xFFFD);
    return code;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window to hold page templates, which are child windows.
HWND CreateHostWindow() {
    WNDCLASSW cls{};
    cls.lpfnWndProc = HostProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"DialogQualityHost";
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    RegisterClassW(&cls);
    HWND host = CreateWindowExW(0, cls.lpszClassName, L"Dialog quality", WS_POPUP | WS_VISIBLE, 0, 0, 1270, 1000,
                                nullptr, nullptr, cls.hInstance, nullptr);
    return host;
}

std::string Join(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines) text += "  " + line + "\n";
    return text;
}

TEST(DialogTemplates, EveryTemplateIsListedWithItsDefaultButton) {
    HMODULE module = testbed::UiPlugModule();
    ASSERT_NE(module, nullptr);
    std::vector<WORD> ids = quality::DialogTemplateIds(module);
    EXPECT_EQ(ids.size(), kTemplates.size());
    for (WORD id : ids) EXPECT_TRUE(kTemplates.count(id)) << "template " << id << " is not checked";
}

TEST(DialogTemplates, AreWholeAndKeyboardCompleteAt96And144And192Dpi) {
    if (ResolutionToCheck()) GTEST_SKIP() << "runs in the parent process";
    for (int dpi : {96, 144, 192}) EXPECT_EQ(RunAtResolution(dpi), 0u) << "at " << dpi << " DPI (see above)";
}

TEST(DialogTemplatesAtOneResolution, WholeAndKeyboardComplete) {
    int dpi = ResolutionToCheck();
    if (!dpi) GTEST_SKIP() << "runs in a process of its own for each resolution";
    // A process that has not said it is aware of the resolution sees 96 DPI
    // and gets its windows scaled, as Windows does and Wine does from 9 on;
    // Wine 8 gave every process the system's resolution. The templates are
    // to be checked as laid out at the resolution itself.
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    int actual = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(actual, dpi) << "the resolution setting did not reach this process";

    HMODULE module = testbed::UiPlugModule();
    ASSERT_NE(module, nullptr);
    HWND host = CreateHostWindow();
    ASSERT_NE(host, nullptr);
    std::vector<std::string> findings;
    for (const auto &[id, defaultButton] : kTemplates) {
        HWND dialog = quality::CreateTemplate(module, id, host);
        if (!dialog) {
            findings.push_back("dialog " + std::to_string(id) + " cannot be created");
            continue;
        }
        if (!(GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD)) {
            SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        }
        UpdateWindow(dialog);
        quality::CheckLayout(dialog, id, &findings);
        quality::CheckKeyboard(dialog, id, defaultButton, &findings);
        testbed::SaveWindowPicture(dialog, L"template-" + std::to_wstring(id) + L"-" + std::to_wstring(dpi) + L"dpi");
        DestroyWindow(dialog);
    }
    DestroyWindow(host);
    EXPECT_TRUE(findings.empty()) << "at " << dpi << " DPI:\n" << Join(findings);
}

}  // namespace
