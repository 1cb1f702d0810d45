// The test bed's real printer: Wine's PostScript driver installed in the test
// prefix with the test printer description, plus the way from its PostScript
// output to pixels (Ghostscript, run as a Unix program from inside Wine).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testbed {

struct PrinterSetup {
    std::wstring printerName = L"PS Test Printer";
    std::wstring driverName = L"PS Test Driver";
    // Extra dependent files, created in the driver directory if missing (a
    // help file, say); each name is a bare file name.
    std::vector<std::wstring> dependentFiles;
};

// Wine's major version (8, 10...), or 0 outside Wine.
int WineMajorVersion();

// Folder holding the test data (tests/data copied next to the programs).
std::wstring DataPath(const wchar_t *file);

// Installs the driver and printer once per prefix; later calls only check
// that they are there. Returns false with a reason in *error.
bool EnsurePrinter(const PrinterSetup &want, std::wstring *error);
inline bool EnsurePrinter(std::wstring *error) { return EnsurePrinter(PrinterSetup{}, error); }
// The same with another printer description than the test printer's: a full
// path, copied into the driver directory under its own file name (replacing
// an older copy there).
bool EnsurePrinter(const PrinterSetup &want, const std::wstring &dataFile, std::wstring *error);

// A printer device context on the test printer, or null.
HDC CreatePrinterDc(const PrinterSetup &want = PrinterSetup{}, const DEVMODEW *devmode = nullptr);

// A fresh scratch folder for one test's files (under the prefix's temp folder).
std::wstring ScratchDir(const wchar_t *name);

// Runs a Unix shell command line (sh -c) and waits for it. Returns its exit
// status, or -1 when it could not be started or did not finish in time.
int RunUnixShell(const std::wstring &command, DWORD timeoutMs = 120000);

// Converts a Windows path of the prefix into the Unix path Wine maps it to.
std::wstring UnixPath(const std::wstring &windowsPath);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width * height * 3
    const uint8_t *At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Renders a PostScript (or PJL + PostScript) file with Ghostscript at the given
// resolution; one picture per page. PJL before the PostScript is skipped as a
// printer would skip it. Returns false with Ghostscript's reason in *error.
bool RenderPostScript(const std::wstring &psPath, int dpi, std::vector<Picture> *pages, std::wstring *error,
                      const std::wstring &pngPrefix = L"");

// Reads a binary PPM (P6) file.
bool ReadPpm(const std::wstring &path, Picture *out);

// Bounding box of the pixels that are darker than `threshold` in every channel
// sum sense (r+g+b < 3*threshold); false when there are none.
bool InkBox(const Picture &p, RECT *box, int threshold = 200);

std::string ReadFileBytes(const std::wstring &path);

}  // namespace testbed
