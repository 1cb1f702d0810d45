#include "tests/host/screenshot.h"

#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"

namespace testbed {
namespace {

std::wstring DisplayPrefix() {
    wchar_t display[64];
    DWORD n = GetEnvironmentVariableW(L"DISPLAY", display, 64);
    if (n == 0 || n >= 64) return L"";
    return L"DISPLAY='" + std::wstring(display) + L"' ";
}

std::wstring CaptureTo(const std::wstring &path, const std::wstring &crop) {
    DeleteFileW(path.c_str());
    std::wstring command = DisplayPrefix() + L"/usr/bin/import -window root " + crop + L"'" + UnixPath(path) +
                           L"' >/dev/null 2>&1";
    if (RunUnixShell(command) != 0) return L"";
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? L"" : path;
}

std::wstring WindowCrop(HWND window) {
    RECT r{};
    if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return L"";
    return L"-crop " + std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top) + L"+" +
           std::to_wstring(r.left) + L"+" + std::to_wstring(r.top) + L" +repage ";
}

}  // namespace

std::wstring ArtifactsDir() {
    std::wstring bin = ProgramDirFile(L"");
    bin.pop_back();
    std::wstring dir = bin.substr(0, bin.find_last_of(L'\\')) + L"\\artifacts";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring SaveScreenPicture(const std::wstring &name) { return CaptureTo(ArtifactsDir() + L"\\" + name + L".png", L""); }

std::wstring SaveWindowPicture(HWND window, const std::wstring &name) {
    return SaveWindowPictureAs(window, ArtifactsDir() + L"\\" + name + L".png");
}

std::wstring SaveWindowPictureAs(HWND window, const std::wstring &path) {
    std::wstring crop = WindowCrop(window);
    if (crop.empty()) return L"";
    return CaptureTo(path, crop);
}

}  // namespace testbed
