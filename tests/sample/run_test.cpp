// The sample print as a user runs it: the built program started as a child
// process, its job file and page pictures read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/render_host.h"
#include "tests/host/ui_host.h"
#include "tests/sample/occurrences.h"
#include "tests/host/wine_printer.h"

using testbed::Picture;

namespace {

constexpr DWORD kRunTimeoutMs = 300000;

// The cover page's N-up neutralisation and its mark for the printer, as the
// plug-ins write them.
const char kCoverNeutralisation[] =
    "/definenup {pop pop pop pop pop pop} def\n/definenup {pop pop pop pop pop pop} def\n"
    "/startnup {pop pop} def\nuserdict /realshowpage known {finalpage} if\r\n/finalpage {} def\n";
const char kCoverMark[] =
    "%%Make this page the Fax Cover page: \r\n statusdict /setcoverpage known \n"
    " {statusdict begin true setcoverpage end} if \n";

struct ProgramRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

std::wstring Quote(const std::wstring &arg) { return L"\"" + arg + L"\""; }

HANDLE InheritableFile(const std::wstring &path) {
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

ProgramRun RunSamplePrint(const std::vector<std::wstring> &args, const std::wstring &scratch) {
    ProgramRun run;
    const std::wstring exe = testbed::ProgramDirFile(L"sampleprint.exe");
    std::wstring command = Quote(exe);
    for (const std::wstring &arg : args) command += L" " + Quote(arg);
    const std::wstring outPath = scratch + L"\\stdout.txt", errPath = scratch + L"\\stderr.txt";
    HANDLE out = InheritableFile(outPath), err = InheritableFile(errPath);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    const BOOL started =
        CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) return run;
    if (WaitForSingleObject(pi.hProcess, kRunTimeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(pi.hProcess, &run.exitCode);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    run.out = testbed::ReadFileBytes(outPath);
    run.err = testbed::ReadFileBytes(errPath);
    return run;
}

// A fresh output folder inside the test's scratch folder.
std::wstring FreshFolder(const std::wstring &scratch, const wchar_t *name) {
    const std::wstring folder = scratch + L"\\" + name;
    testbed::RunUnixShell(L"rm -rf '" + testbed::UnixPath(folder) + L"'");
    return folder;
}

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> FilesIn(const std::wstring &folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

size_t Lines(const std::string &text) { return Occurrences(text, "\n") + (!text.empty() && text.back() != '\n'); }

// The page pictures as pixels (through ImageMagick, which reads PNG).
bool ReadPicture(const std::wstring &png, Picture *picture) {
    const std::wstring ppm = png + L".ppm";
    if (testbed::RunUnixShell(L"convert '" + testbed::UnixPath(png) + L"' '" + testbed::UnixPath(ppm) + L"'") != 0)
        return false;
    const bool ok = testbed::ReadPpm(ppm, picture);
    DeleteFileW(ppm.c_str());
    return ok;
}

// Pixels of the stored "Draft" watermark's light grey in the middle third of
// a page; the document itself prints in black and saturated colours.
int WatermarkPixels(const Picture &p) {
    int n = 0;
    for (int y = p.height / 3; y < 2 * p.height / 3; ++y)
        for (int x = p.width / 3; x < 2 * p.width / 3; ++x) {
            const uint8_t *c = p.At(x, y);
            if (c[0] == c[1] && c[1] == c[2] && c[0] >= 190 && c[0] <= 215) ++n;
        }
    return n;
}

class SamplePrint : public ::testing::Test {
protected:
    void SetUp() override { scratch = testbed::ScratchDir(L"sampleprint"); }
    std::wstring scratch;
};

}  // namespace

TEST_F(SamplePrint, DefaultRunHoldsAConfidentialJobWithTheDraftWatermarkOnEveryPage) {
    const std::wstring folder = FreshFolder(scratch, L"default");
    const ProgramRun run = RunSamplePrint({L"--out", folder}, scratch);
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    const std::string job = testbed::ReadFileBytes(folder + L"\\job.prn");
    ASSERT_EQ(job.compare(0, 17, "\x1b%-12345X@PJL JOB"), 0) << job.substr(0, 40);
    const std::string held =
        "@PJL SET USERNAME = \"sample\"\n@PJL SET HOLD = ON\n@PJL SET HOLDTYPE = PRIVATE\n"
        "@PJL SET HOLDKEY = \"1234\"\n";
    ASSERT_EQ(Occurrences(job, held), 1u);
    EXPECT_LT(job.find(held), job.find("%!PS-Adobe"));
    EXPECT_EQ(Occurrences(job, "\x1b%-12345X@PJL EOJ"), 1u);

    const size_t pages = Occurrences(job, "\n%%Page: ");
    ASSERT_GE(pages, 3u);
    for (size_t page = 1; page <= pages; ++page) {
        wchar_t name[32];
        swprintf(name, 32, L"\\page-%03zu.png", page);
        Picture picture;
        ASSERT_TRUE(ReadPicture(folder + name, &picture)) << "page " << page;
        EXPECT_GT(WatermarkPixels(picture), 1000) << "page " << page;
    }
    EXPECT_EQ(FilesIn(folder).size(), pages + 1) << "the job file and one picture per page, nothing else";
}

TEST_F(SamplePrint, FaxedJobEndsWithItsCoverPageAloneOnASheet) {
    const std::wstring folder = FreshFolder(scratch, L"fax");
    const ProgramRun run = RunSamplePrint(
        {L"--destination", L"fax", L"--cover-page", L"--fax-number", L"555 0100", L"--pages-per-sheet", L"2", L"--out",
         folder},
        scratch);
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    const std::string job = testbed::ReadFileBytes(folder + L"\\job.prn");
    const std::string faxLines =
        "@PJL XFAX PHONENUMBER = \"555 0100\" STATIONID = \"Sample station\"\n@PJL SET XFAXRESOLUTION = FINE\n";
    ASSERT_EQ(Occurrences(job, faxLines), 1u);
    ASSERT_EQ(Occurrences(job, kCoverNeutralisation), 1u);
    ASSERT_EQ(Occurrences(job, kCoverMark), 1u);

    // The neutralisation belongs to the cover page's page setup, the last
    // page's; the cover page's own PostScript follows it on that page.
    const size_t coverPage = job.rfind("\n%%Page: ");
    const size_t setup = job.find("%%BeginPageSetup", coverPage);
    const size_t neutralised = job.find(kCoverNeutralisation);
    const size_t mark = job.find(kCoverMark);
    EXPECT_LT(job.find(faxLines), job.find("%!PS-Adobe"));
    EXPECT_LT(setup, neutralised);
    EXPECT_LT(neutralised, job.find("%%EndPageSetup", setup));
    EXPECT_LT(job.find("%%EndPageSetup", setup), mark);

    // Two document pages a sheet, then the cover page by itself: Ghostscript
    // printed them all without an error, or the program would have failed.
    const size_t documentPages = Occurrences(job, "\n%%Page: ") - 1;
    const size_t sheets = (documentPages + 1) / 2 + 1;
    EXPECT_EQ(FilesIn(folder).size(), sheets + 1);
    wchar_t last[32];
    swprintf(last, 32, L"\\page-%03zu.png", sheets);
    EXPECT_TRUE(Exists(folder + last));
}

TEST_F(SamplePrint, AFailedRunSaysWhyOnOneLineAndLeavesNoJobFile) {
    const std::wstring folder = FreshFolder(scratch, L"failed");
    const std::wstring notAFolder = scratch + L"\\plain-file";
    HANDLE file = CreateFileW(notAFolder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    struct Case {
        const char *what;
        std::vector<std::wstring> args;
        DWORD exitCode;
    };
    const Case cases[] = {
        {"bad option", {L"--copies", L"0", L"--out", folder}, 2},
        {"unknown option", {L"--colour", L"--out", folder}, 2},
        {"missing input", {L"--input", scratch + L"\\no-such-file.txt", L"--out", folder}, 1},
        {"unwritable output folder", {L"--out", notAFolder + L"\\inside"}, 1},
        // Fails after the output folder is in use: nothing of the run stays.
        {"watermark not in the store", {L"--watermark", L"No Such Mark", L"--out", folder}, 1},
    };
    for (const Case &c : cases) {
        const ProgramRun run = RunSamplePrint(c.args, scratch);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
        EXPECT_EQ(Lines(run.err), 1u) << c.what << ": " << run.err;
        EXPECT_EQ(run.err.compare(0, 13, "sampleprint: "), 0) << c.what << ": " << run.err;
        EXPECT_TRUE(FilesIn(folder).empty()) << c.what;
    }
}
