#include "ui/watermark/font_list.h"

#include <winspool.h>
#include <strsafe.h>
#include <cwchar>

#include "platform/raii.h"
#include "ui/printer/spooler_info.h"

namespace {

const wchar_t kFallbackDriver[] = L"PS5UI";

int CALLBACK AddFace(const LOGFONTW *font, const TEXTMETRICW *, DWORD, LPARAM lParam) {
    auto combo = reinterpret_cast<HWND>(lParam);
    if (!font->lfFaceName[0]) return 1;
    if (SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(font->lfFaceName)) == CB_ERR)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
    return 1;
}

}  // namespace

void InfoContextDriverName(const wchar_t *configFile, wchar_t *out, size_t chars) {
    if (!out || chars == 0) return;
    StringCchCopyW(out, chars, kFallbackDriver);
    if (!configFile) return;
    const wchar_t *name = std::wcsrchr(configFile, L'\\');
    name = name ? name + 1 : configFile;
    const wchar_t *dot = std::wcsrchr(name, L'.');
    size_t length = dot ? static_cast<size_t>(dot - name) : std::wcslen(name);
    if (length == 0 || length >= chars) return;
    wmemcpy(out, name, length);
    out[length] = L'\0';
}

void FillFontList(HWND combo, HANDLE printer) {
    if (!combo || !printer) return;
    unique_process_heap_ptr printerInfo;
    if (!ReadPrinterInfo2(printer, &printerInfo)) return;
    auto *info = static_cast<const PRINTER_INFO_2W *>(printerInfo.get());
    if (!info->pPrinterName) return;
    wchar_t driver[MAX_PATH];
    unique_process_heap_ptr driverInfo;
    const wchar_t *configFile = nullptr;
    if (ReadDriverInfo(printer, 2, &driverInfo))
        configFile = static_cast<const DRIVER_INFO_2W *>(driverInfo.get())->pConfigFile;
    InfoContextDriverName(configFile, driver, MAX_PATH);
    unique_hdc dc(CreateDCW(driver, info->pPrinterName, nullptr, nullptr));
    if (!dc) return;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc.get(), &wanted, AddFace, reinterpret_cast<LPARAM>(combo), 0);
}
