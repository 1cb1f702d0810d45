#include "tests/ui_fax/cover_print.h"

#include <winspool.h>

#include <cstring>
#include <cwchar>

using testbed::Picture;

namespace faxtest {
namespace {

template <size_t N>
void Fill(wchar_t (&field)[N], const wchar_t *text) {
    wcsncpy(field, text, N - 1);
    field[N - 1] = L'\0';
}

bool Dark(const Picture &p, int x, int y) {
    const uint8_t *px = p.At(x, y);
    return px[0] + px[1] + px[2] < 3 * 128;
}

std::wstring ArtifactsDir() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe, n);
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    dir = dir.substr(0, dir.find_last_of(L"\\/")) + L"\\artifacts";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

RECT Clamp(const Picture &p, const RECT &r) {
    RECT c{r.left < 0 ? 0 : r.left, r.top < 0 ? 0 : r.top, r.right > p.width ? p.width : r.right,
           r.bottom > p.height ? p.height : r.bottom};
    return c;
}

}  // namespace

PrivateDevmode FaxSettings(uint32_t parts) {
    PrivateDevmode dm;
    std::memset(&dm, 0, sizeof(dm));
    MakeDefaultPrivateDevmode(&dm);
    dm.outputDestination = DEST_FAX;
    dm.fax.sendCoverPage = 1;
    dm.fax.coverPageParts = parts;
    Fill(dm.fax.recipientName, L"Ada Recipient");
    Fill(dm.fax.recipientFaxNumber, L"+1 555 0100");
    Fill(dm.fax.senderName, L"Sam Sender");
    Fill(dm.fax.senderCompany, L"Sender Works");
    Fill(dm.fax.senderAddress, L"1 Long Road, Springfield");
    Fill(dm.fax.senderFaxNumber, L"+1 555 0199");
    Fill(dm.fax.senderVoice, L"+1 555 0198");
    Fill(dm.fax.senderEmail, L"sam@example.org");
    Fill(dm.fax.comments, L"Please see the attached pages.");
    return dm;
}

DEVMODEW JobDevmode(short orientation) {
    DEVMODEW dm{};
    dm.dmSize = sizeof(dm);
    dm.dmFields = DM_ORIENTATION;
    dm.dmOrientation = orientation;
    return dm;
}

OpenTestPrinter::OpenTestPrinter() {
    std::wstring error;
    if (!testbed::EnsurePrinter(&error)) return;
    const testbed::PrinterSetup printer;
    OpenPrinterW(const_cast<wchar_t *>(printer.printerName.c_str()), &handle, nullptr);
}

OpenTestPrinter::~OpenTestPrinter() {
    if (handle) ClosePrinter(handle);
}

std::wstring PrintDocument(const wchar_t *name, const std::function<void(HDC)> &body, const DEVMODEW *dcDevmode) {
    HDC dc = testbed::CreatePrinterDc(testbed::PrinterSetup{}, dcDevmode);
    if (!dc) return L"";
    std::wstring out = testbed::ScratchDir(name) + L"\\job.ps";
    DeleteFileW(out.c_str());
    DOCINFOW di{sizeof(di), name, out.c_str(), nullptr, 0};
    if (StartDocW(dc, &di) <= 0) {
        DeleteDC(dc);
        return L"";
    }
    body(dc);
    EndDoc(dc);
    DeleteDC(dc);
    return out;
}

int CountOf(const std::string &haystack, const std::string &needle) {
    int n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
    return n;
}

DeviceGeometry GeometryOf(HDC dc) {
    DeviceGeometry g;
    g.physicalWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
    g.physicalHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    g.offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    g.offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    g.printableWidth = GetDeviceCaps(dc, HORZRES);
    g.dpi = GetDeviceCaps(dc, LOGPIXELSX);
    return g;
}

DeviceGeometry TestPrinterGeometry() {
    HDC dc = testbed::CreatePrinterDc();
    if (!dc) return {};
    DeviceGeometry g = GeometryOf(dc);
    DeleteDC(dc);
    return g;
}

Quantities QuantitiesFor(int width, int height, short orientation) {
    int X = width, Y = height;
    if (orientation == DMORIENT_LANDSCAPE) {
        X = width > height ? width : height;
        Y = width > height ? height : width;
    } else if (orientation == DMORIENT_PORTRAIT) {
        X = width < height ? width : height;
        Y = width < height ? height : width;
    }
    const int S = X < Y ? X : Y;
    return Quantities{X, Y, S, X / 20, X - 2 * (X / 20), Y / 20, Y / 30, Y / 40};
}

std::vector<RuleBand> FindRules(const Picture &page, int minRun) {
    std::vector<RuleBand> bands;
    bool open = false;
    for (int y = 0; y < page.height; ++y) {
        int bestStart = 0, bestEnd = -1;
        for (int x = 0; x < page.width;) {
            if (!Dark(page, x, y)) {
                ++x;
                continue;
            }
            int start = x;
            while (x < page.width && Dark(page, x, y)) ++x;
            if (x - start > bestEnd - bestStart + 1) {
                bestStart = start;
                bestEnd = x - 1;
            }
        }
        const bool rule = bestEnd - bestStart + 1 >= minRun;
        if (rule && open) {
            RuleBand &b = bands.back();
            b.bottom = y;
            if (bestStart < b.left) b.left = bestStart;
            if (bestEnd > b.right) b.right = bestEnd;
        } else if (rule) {
            bands.push_back(RuleBand{y, y, bestStart, bestEnd});
        }
        open = rule;
    }
    return bands;
}

bool InkIn(const Picture &page, const RECT &area, RECT *box) {
    const RECT a = Clamp(page, area);
    RECT found{a.right, a.bottom, a.left - 1, a.top - 1};
    bool any = false;
    for (int y = a.top; y < a.bottom; ++y)
        for (int x = a.left; x < a.right; ++x) {
            if (!Dark(page, x, y)) continue;
            any = true;
            if (x < found.left) found.left = x;
            if (x > found.right) found.right = x;
            if (y < found.top) found.top = y;
            if (y > found.bottom) found.bottom = y;
        }
    if (any && box) *box = found;
    return any;
}

double InkShare(const Picture &page, const RECT &area) {
    const RECT a = Clamp(page, area);
    if (a.right <= a.left || a.bottom <= a.top) return 0.0;
    long ink = 0;
    for (int y = a.top; y < a.bottom; ++y)
        for (int x = a.left; x < a.right; ++x)
            if (Dark(page, x, y)) ++ink;
    return static_cast<double>(ink) / ((a.right - a.left) * static_cast<double>(a.bottom - a.top));
}

int TextLinesIn(const Picture &page, const RECT &area) {
    const RECT a = Clamp(page, area);
    int lines = 0;
    bool inLine = false;
    for (int y = a.top; y < a.bottom; ++y) {
        RECT row{a.left, y, a.right, y + 1};
        const bool ink = InkIn(page, row);
        if (ink && !inLine) ++lines;
        inLine = ink;
    }
    return lines;
}

bool Render(const std::wstring &job, const wchar_t *name, std::vector<Picture> *pages, std::wstring *error) {
    return testbed::RenderPostScript(job, 300, pages, error, ArtifactsDir() + L"\\" + name);
}

}  // namespace faxtest
