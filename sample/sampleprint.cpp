// sampleprint: prints a document through both plug-ins on the test printer
// and writes the job file as the printer would receive it, with a picture of
// every printed page. See README.md for the options.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sample/document.h"
#include "sample/options.h"
#include "sample/output_folder.h"
#include "sample/pictures.h"
#include "sample/print_run.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr wchar_t kWorkJobName[] = L"job.prn";

// Wine hands the console's bytes to the terminal as they are; UTF-8 is what
// the terminal expects.
void Write(FILE *stream, const std::wstring &text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string bytes(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n, nullptr,
                                   nullptr);
    std::fputs(bytes.c_str(), stream);
    std::fflush(stream);
}

void Say(const std::wstring &line) { Write(stdout, line + L"\n"); }

int Fail(const std::wstring &reason, int code) {
    std::wstring line = L"sampleprint: " + reason;
    for (wchar_t &c : line)
        if (c == L'\r' || c == L'\n') c = L' ';
    Write(stderr, line + L"\n");
    return code;
}

std::wstring Milliseconds(double seconds) { return std::to_wstring(static_cast<long>(seconds * 1000)) + L" ms"; }

std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

int Run(const sample::SampleOptions &options) {
    std::wstring error;
    sample::TextDocument document = sample::BuiltInDocument();
    if (!options.inputFile.empty() && !sample::ReadTextDocument(options.inputFile, &document, &error))
        return Fail(error, kExitFailed);

    sample::OutputFolder output;
    if (!output.Open(options.outputDir, &error)) return Fail(error, kExitFailed);
    const std::wstring workJob = output.WorkFile(kWorkJobName);

    Say(L"printing '" + document.title + L"' to " + sample::DestinationName(options.destination));
    sample::PrintedJob printed;
    if (!sample::PrintSample(options, document, output.workDir(), workJob, Say, &printed, &error))
        return Fail(error, kExitFailed);
    Say(L"printed " + std::to_wstring(printed.jobPages) + L" pages in " + Milliseconds(printed.printSeconds) +
        L" (document events " + Milliseconds(printed.eventSeconds) + L"); rendering them with Ghostscript");

    const ULONGLONG renderStart = GetTickCount64();
    int pictures = 0;
    if (!sample::RenderPictures(workJob, output.workDir(), options.dpi, &pictures, &error))
        return Fail(error, kExitFailed);
    Say(L"rendered in " + Milliseconds((GetTickCount64() - renderStart) / 1000.0));
    std::wstring jobPath;
    if (!output.Commit(kWorkJobName, &jobPath, &error)) return Fail(error, kExitFailed);
    Say(L"job file: " + jobPath);
    Say(L"pictures: " + std::to_wstring(pictures) + L" in " + output.folder() + L"\\" + sample::kPicturePrefix +
        L"*" + sample::kPictureSuffix);
    return 0;
}

}  // namespace

int main() {
    sample::SampleOptions options;
    std::wstring error;
    if (!sample::ParseOptions(Arguments(), &options, &error))
        return Fail(error + L" (see --help)", kExitUsage);
    if (options.help) {
        Write(stdout, sample::UsageText());
        return 0;
    }
    return Run(options);
}
