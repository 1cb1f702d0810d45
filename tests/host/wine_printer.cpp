#include "tests/host/wine_printer.h"

#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <cctype>

namespace testbed {
namespace {

std::wstring ModuleDir() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/"));
}

std::wstring DriverDir() {
    wchar_t dir[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(dir), sizeof(dir), &needed))
        return L"";
    return dir;
}

bool CopyIfMissing(const std::wstring &from, const std::wstring &to) {
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return CopyFileW(from.c_str(), to.c_str(), TRUE) != 0;
}

bool TouchFile(const std::wstring &path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(h, "test", 4, &written, nullptr);
    CloseHandle(h);
    return true;
}

bool DriverInstalled(const std::wstring &driverName) {
    DWORD needed = 0, count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 2, nullptr, 0, &needed, &count);
    if (!needed) return false;
    std::vector<BYTE> buf(needed);
    if (!EnumPrinterDriversW(nullptr, nullptr, 2, buf.data(), needed, &needed, &count)) return false;
    auto *info = reinterpret_cast<DRIVER_INFO_2W *>(buf.data());
    for (DWORD i = 0; i < count; ++i)
        if (info[i].pName && driverName == info[i].pName) return true;
    return false;
}

// Wine 8's PostScript driver writes its PostScript into the spooler job
// itself, as RAW data, which WinPrint passes on to the port. From Wine 9 on,
// GDI spools a printer DC's drawing as "NT EMF 1.003" instead, which Wine's
// WinPrint refuses (it takes RAW and TEXT only, so StartDoc fails): only the
// PostScript driver's own print processor plays EMF back into PostScript.
// Both Wines register that processor, but on Wine 8 it would be handed RAW
// data it cannot read. Windows' WinPrint takes both kinds.
const wchar_t *TestPrintProcessor() { return WineMajorVersion() >= 9 ? L"wineps" : L"WinPrint"; }

// A printer made in this prefix under another Wine, or by an older host,
// gets the processor this Wine needs.
bool UsePrintProcessor(HANDLE printer, const wchar_t *processor, std::wstring *error) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buf(needed ? needed : 1);
    if (!needed || !GetPrinterW(printer, 2, buf.data(), needed, &needed)) {
        *error = L"GetPrinterW failed: " + std::to_wstring(GetLastError());
        return false;
    }
    auto *info = reinterpret_cast<PRINTER_INFO_2W *>(buf.data());
    if (info->pPrintProcessor && _wcsicmp(info->pPrintProcessor, processor) == 0) return true;
    info->pPrintProcessor = const_cast<wchar_t *>(processor);
    info->pSecurityDescriptor = nullptr;  // unchanged
    if (!SetPrinterW(printer, 2, buf.data(), 0)) {
        *error = L"SetPrinterW failed: " + std::to_wstring(GetLastError());
        return false;
    }
    return true;
}

}  // namespace

static bool EnsurePrinterLocked(const PrinterSetup &want, const std::wstring &dataFile, std::wstring *error);

int WineMajorVersion() {
    using Fn = const char *(CDECL *)();
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    const char *version = fn ? fn() : nullptr;
    return version ? atoi(version) : 0;
}

std::wstring DataPath(const wchar_t *file) { return ModuleDir() + L"\\data\\" + file; }

bool EnsurePrinter(const PrinterSetup &want, std::wstring *error) { return EnsurePrinter(want, L"", error); }

bool EnsurePrinter(const PrinterSetup &want, const std::wstring &dataFile, std::wstring *error) {
    // Test programs run in parallel against one prefix; the first one to get
    // here installs, the others wait and then find everything in place.
    HANDLE lock = CreateMutexW(nullptr, FALSE, L"pstests-printer-install");
    if (lock) WaitForSingleObject(lock, 60000);
    bool ok = EnsurePrinterLocked(want, dataFile, error);
    if (lock) {
        ReleaseMutex(lock);
        CloseHandle(lock);
    }
    return ok;
}

static bool EnsurePrinterLocked(const PrinterSetup &want, const std::wstring &dataFile, std::wstring *error) {
    std::wstring driverDir = DriverDir();
    if (driverDir.empty()) {
        *error = L"no printer driver directory";
        return false;
    }
    CreateDirectoryW(driverDir.c_str(), nullptr);
    std::wstring ppd = driverDir + L"\\TESTPS1E.PPD";
    if (!dataFile.empty()) {
        size_t slash = dataFile.find_last_of(L"\\/");
        ppd = driverDir + L"\\" + dataFile.substr(slash == std::wstring::npos ? 0 : slash + 1);
        if (!CopyFileW(dataFile.c_str(), ppd.c_str(), FALSE)) {
            *error = L"cannot copy " + dataFile + L" to " + ppd;
            return false;
        }
    } else if (!CopyIfMissing(DataPath(L"testprinter.ppd"), ppd)) {
        *error = L"cannot copy the printer description to " + ppd;
        return false;
    }
    for (const auto &f : want.dependentFiles)
        if (!TouchFile(driverDir + L"\\" + f)) {
            *error = L"cannot create dependent file " + f;
            return false;
        }

    if (!DriverInstalled(want.driverName)) {
        std::wstring deps;
        for (const auto &f : want.dependentFiles) deps += f + L'\0';
        deps += L'\0';
        DRIVER_INFO_3W di{};
        di.cVersion = 3;
        di.pName = const_cast<wchar_t *>(want.driverName.c_str());
        di.pDriverPath = const_cast<wchar_t *>(L"wineps.drv");
        di.pDataFile = const_cast<wchar_t *>(ppd.c_str());
        di.pConfigFile = const_cast<wchar_t *>(L"wineps.drv");
        di.pDependentFiles = want.dependentFiles.empty() ? nullptr : deps.data();
        if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE *>(&di))) {
            *error = L"AddPrinterDriverW failed: " + std::to_wstring(GetLastError());
            return false;
        }
    }

    HANDLE h = nullptr;
    PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<wchar_t *>(want.printerName.c_str()), &h, &admin)) {
        PRINTER_INFO_2W pi{};
        pi.pPrinterName = const_cast<wchar_t *>(want.printerName.c_str());
        pi.pPortName = const_cast<wchar_t *>(L"FILE:");
        pi.pDriverName = const_cast<wchar_t *>(want.driverName.c_str());
        pi.pPrintProcessor = const_cast<wchar_t *>(TestPrintProcessor());
        pi.pDatatype = const_cast<wchar_t *>(L"RAW");
        pi.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        h = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE *>(&pi));
        if (!h) {
            *error = L"AddPrinterW failed: " + std::to_wstring(GetLastError());
            return false;
        }
    }
    if (!UsePrintProcessor(h, TestPrintProcessor(), error)) {
        ClosePrinter(h);
        return false;
    }
    DWORD rc = SetPrinterDataExW(h, L"PrinterDriverData", L"PPD File", REG_SZ,
                                 reinterpret_cast<BYTE *>(ppd.data()),
                                 static_cast<DWORD>((ppd.size() + 1) * sizeof(wchar_t)));
    ClosePrinter(h);
    if (rc != ERROR_SUCCESS) {
        *error = L"SetPrinterDataExW failed: " + std::to_wstring(rc);
        return false;
    }
    return true;
}

HDC CreatePrinterDc(const PrinterSetup &want, const DEVMODEW *devmode) {
    std::wstring error;
    if (!EnsurePrinter(want, &error)) return nullptr;
    return CreateDCW(nullptr, want.printerName.c_str(), nullptr, devmode);
}

std::wstring ScratchDir(const wchar_t *name) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    std::wstring dir = std::wstring(tmp) + L"pstests";
    CreateDirectoryW(dir.c_str(), nullptr);
    dir += L"\\";
    dir += name;
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring UnixPath(const std::wstring &windowsPath) {
    // wine_get_unix_file_name lives in kernel32 on Wine only.
    using Fn = char *(CDECL *)(const wchar_t *);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return L"";
    char *unix = fn(windowsPath.c_str());
    if (!unix) return L"";
    int n = MultiByteToWideChar(CP_UTF8, 0, unix, -1, nullptr, 0);
    std::wstring out(n ? n - 1 : 0, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, unix, -1, out.data(), n);
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

int RunUnixShell(const std::wstring &command, DWORD timeoutMs) {
    // Wine starts an ELF file named by a DOS path of its Unix location as a
    // native process, but neither waits for it nor hands back its exit status:
    // the shell writes the status to a file, which is polled.
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    wchar_t statusFile[MAX_PATH];
    GetTempFileNameW(tmp, L"rc", 0, statusFile);
    std::wstring script = L"(" + command + L"); echo $? >'" + UnixPath(statusFile) + L"'";
    std::wstring quoted;
    for (wchar_t c : script) {
        if (c == L'"' || c == L'\\') quoted += L'\\';
        quoted += c;
    }
    std::wstring cmd = L"\"Z:\\bin\\sh\" -c \"" + quoted + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        DeleteFileW(statusFile);
        return -1;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string status;
    for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
        status = ReadFileBytes(statusFile);
        if (!status.empty() && status.back() == '\n') break;
        Sleep(10);
    }
    DeleteFileW(statusFile);
    if (status.empty() || status.back() != '\n') return -1;
    return atoi(status.c_str());
}

std::string ReadFileBytes(const std::wstring &path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof(buf), &n, nullptr) && n) out.append(buf, n);
    CloseHandle(h);
    return out;
}

bool ReadPpm(const std::wstring &path, Picture *out) {
    std::string data = ReadFileBytes(path);
    // Header: "P6", width, height, maximum, separated by white space, with
    // '#' comments to the end of a line; one white-space byte before the pixels.
    size_t pos = 0;
    auto token = [&](std::string *t) {
        for (;;) {
            while (pos < data.size() && isspace(static_cast<unsigned char>(data[pos]))) ++pos;
            if (pos < data.size() && data[pos] == '#') {
                while (pos < data.size() && data[pos] != '\n') ++pos;
                continue;
            }
            break;
        }
        size_t start = pos;
        while (pos < data.size() && !isspace(static_cast<unsigned char>(data[pos]))) ++pos;
        *t = data.substr(start, pos - start);
        return !t->empty();
    };
    std::string magic, ws, hs, ms;
    if (!token(&magic) || !token(&ws) || !token(&hs) || !token(&ms) || magic != "P6" || ms != "255") return false;
    int w = atoi(ws.c_str()), h = atoi(hs.c_str());
    ++pos;
    size_t need = static_cast<size_t>(w) * h * 3;
    if (w <= 0 || h <= 0 || data.size() < pos + need) return false;
    out->width = w;
    out->height = h;
    out->rgb.assign(data.begin() + pos, data.begin() + pos + need);
    return true;
}

bool RenderPostScript(const std::wstring &psPath, int dpi, std::vector<Picture> *pages, std::wstring *error,
                      const std::wstring &pngPrefix) {
    std::string job = ReadFileBytes(psPath);
    if (job.empty()) {
        *error = L"empty job file";
        return false;
    }
    // A printer skips PJL up to the language switch; Ghostscript must start at the PostScript.
    size_t ps = job.find("%!PS");
    if (ps == std::string::npos) {
        *error = L"no PostScript in the job";
        return false;
    }
    std::wstring dir = psPath.substr(0, psPath.find_last_of(L'\\'));
    std::wstring stripped = psPath + L".ps";
    {
        std::ofstream f(stripped.c_str(), std::ios::binary);
        f.write(job.data() + ps, static_cast<std::streamsize>(job.size() - ps));
    }
    std::wstring outPattern = psPath + L".page%d.ppm";
    std::wstring log = psPath + L".gs.log";
    DeleteFileW(log.c_str());
    std::wstring args = L"-q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r" + std::to_wstring(dpi) +
                        L" -sOutputFile=" + UnixPath(outPattern) + L" " + UnixPath(stripped);
    // Ghostscript's diagnostics go to a log through a shell so the test can show them.
    int rc = RunUnixShell(L"/usr/bin/gs " + args + L" >'" + UnixPath(log) + L"' 2>&1");
    if (rc != 0) {
        std::string text = ReadFileBytes(log);
        *error = L"ghostscript failed (" + std::to_wstring(rc) + L"): " + std::wstring(text.begin(), text.end());
        return false;
    }
    pages->clear();
    for (int i = 1;; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L".page%d.ppm", i);
        Picture p;
        if (!ReadPpm(psPath + name, &p)) break;
        pages->push_back(std::move(p));
        if (!pngPrefix.empty()) {
            std::wstring png = pngPrefix + L"-page" + std::to_wstring(i) + L".png";
            RunUnixShell(L"/usr/bin/convert '" + UnixPath(psPath + name) + L"' '" + UnixPath(png) +
                         L"' >/dev/null 2>&1");
        }
    }
    if (pages->empty()) {
        *error = L"ghostscript produced no page";
        return false;
    }
    return true;
}

bool InkBox(const Picture &p, RECT *box, int threshold) {
    bool any = false;
    RECT r{p.width, p.height, -1, -1};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t *px = p.At(x, y);
            if (px[0] + px[1] + px[2] < 3 * threshold) {
                any = true;
                if (x < r.left) r.left = x;
                if (y < r.top) r.top = y;
                if (x > r.right) r.right = x;
                if (y > r.bottom) r.bottom = y;
            }
        }
    if (any) *box = r;
    return any;
}

}  // namespace testbed
