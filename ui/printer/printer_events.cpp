#include "ui/printer/printer_events.h"

#include <winspool.h>
#include <winddiui.h>
#include <cwchar>

#include "platform/raii.h"
#include "ui/printer/spooler_info.h"
#include "ui/watermark/store.h"

namespace {

constexpr size_t kMinCharsAfterDot = 3;

bool ReadDataFile(HANDLE printer, wchar_t (&path)[kPrintProcessorChars]) {
    path[0] = L'\0';
    unique_process_heap_ptr info;
    if (!ReadDriverInfo(printer, 2, &info)) return false;
    return CopyWholePath(static_cast<DRIVER_INFO_2W *>(info.get())->pDataFile, path, kPrintProcessorChars);
}

HRESULT SetDerivedPrintProcessor(HANDLE printer) {
    wchar_t dataFile[kPrintProcessorChars];
    wchar_t processor[kPrintProcessorChars];
    bool derived = ReadDataFile(printer, dataFile) && DerivePrintProcessorName(dataFile, processor);
    unique_process_heap_ptr buffer;
    if (!ReadPrinterInfo2(printer, &buffer)) return E_FAIL;
    // Without a derived name the printer keeps the processor it has: a
    // printer without one cannot print at all.
    if (!derived) return S_OK;
    auto *info = static_cast<PRINTER_INFO_2W *>(buffer.get());
    info->pPrintProcessor = processor;
    SetPrinterW(printer, 2, static_cast<BYTE *>(buffer.get()), 0);
    return S_OK;
}

struct DriverEventNames {
    const wchar_t *driverName = nullptr;
    const wchar_t *dataFile = nullptr;
};

bool ReadDriverEventNames(DWORD level, const BYTE *driverInfo, DriverEventNames *names) {
    switch (level) {
    case 1:
        names->driverName = reinterpret_cast<const DRIVER_INFO_1W *>(driverInfo)->pName;
        return true;
    case 2: {
        auto *info = reinterpret_cast<const DRIVER_INFO_2W *>(driverInfo);
        names->driverName = info->pName;
        names->dataFile = info->pDataFile;
        return true;
    }
    case 3: {
        auto *info = reinterpret_cast<const DRIVER_INFO_3W *>(driverInfo);
        names->driverName = info->pName;
        names->dataFile = info->pDataFile;
        return true;
    }
    default:
        return false;
    }
}

void DeleteDerivedPrintProcessor(const wchar_t *dataFile) {
    wchar_t processor[kPrintProcessorChars];
    if (!dataFile || !DerivePrintProcessorName(dataFile, processor)) return;
    DeletePrintProcessorW(nullptr, nullptr, processor);
}

}  // namespace

bool DerivePrintProcessorName(const wchar_t *dataFilePath, wchar_t (&name)[kPrintProcessorChars]) {
    name[0] = L'\0';
    if (!dataFilePath) return false;
    const wchar_t *slash = std::wcsrchr(dataFilePath, L'\\');
    if (!slash || !slash[1]) return false;
    const wchar_t *base = slash + 1;
    const wchar_t *dot = std::wcschr(base, L'.');
    if (!dot || dot == base || std::wcslen(dot + 1) < kMinCharsAfterDot) return false;
    size_t length = static_cast<size_t>(dot - base);
    if (length >= kPrintProcessorChars) return false;
    std::wmemcpy(name, base, length);
    name[length - 1] = L'C';
    name[length] = L'\0';
    return true;
}

HRESULT HandlePrinterEvent(PWSTR printerName, INT driverEvent, DWORD, LPARAM) {
    if (driverEvent != PRINTER_EVENT_INITIALIZE) return S_OK;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    unique_hprinter printer;
    if (!printerName || !OpenPrinterW(printerName, printer.put(), &access)) return E_FAIL;
    return SetDerivedPrintProcessor(printer.get());
}

HRESULT HandleDriverEvent(DWORD driverEvent, DWORD level, LPBYTE driverInfo, LPARAM) {
    DriverEventNames names;
    if (!driverInfo || !ReadDriverEventNames(level, driverInfo, &names) || !names.driverName) return S_OK;
    switch (driverEvent) {
    case DRIVER_EVENT_INITIALIZE:
        SeedDefaultWatermarks(names.driverName);
        break;
    case DRIVER_EVENT_DELETE:
        DeleteDriverSettings(names.driverName);
        DeleteDerivedPrintProcessor(names.dataFile);
        break;
    default:
        break;
    }
    return S_OK;
}
