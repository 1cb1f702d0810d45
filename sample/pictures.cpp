#include "sample/pictures.h"

#include "platform/raii.h"
#include "sample/output_folder.h"
#include "tests/host/wine_printer.h"

namespace sample {
namespace {

constexpr char kPostScriptStart[] = "%!PS";
constexpr wchar_t kPostScriptFile[] = L"pages.ps";
constexpr wchar_t kLogFile[] = L"gs.log";
constexpr DWORD kGhostscriptTimeoutMs = 600000;

bool WriteBytes(const std::wstring &path, const char *data, size_t size) {
    unique_hfile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

// Ghostscript's own words for what went wrong: its first line that names an
// error, or else its first line.
std::wstring FirstErrorLine(const std::string &log) {
    std::string first, error;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find('\n', at);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(at, end - at);
        at = end + 1;
        if (line.empty()) continue;
        if (first.empty()) first = line;
        if (error.empty() && line.find("rror") != std::string::npos) error = line;
    }
    const std::string &pick = error.empty() ? first : error;
    return std::wstring(pick.begin(), pick.end());
}

int CountPictures(const std::wstring &workDir) {
    int count = 0;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((workDir + L"\\" + kPicturePrefix + L"*" + kPictureSuffix).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do ++count;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

}  // namespace

bool RenderPictures(const std::wstring &jobFile, const std::wstring &workDir, int dpi, int *pages,
                    std::wstring *error) {
    const std::string job = testbed::ReadFileBytes(jobFile);
    const size_t start = job.find(kPostScriptStart);
    if (start == std::string::npos) {
        *error = L"the job file holds no PostScript";
        return false;
    }
    const std::wstring postScript = workDir + L"\\" + kPostScriptFile;
    if (!WriteBytes(postScript, job.data() + start, job.size() - start)) {
        *error = L"cannot write " + postScript;
        return false;
    }
    const std::wstring log = workDir + L"\\" + kLogFile;
    const std::wstring pattern = workDir + L"\\" + kPicturePrefix + L"%03d" + kPictureSuffix;
    const std::wstring command = L"/usr/bin/gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r" +
                                 std::to_wstring(dpi) + L" '-sOutputFile=" + testbed::UnixPath(pattern) + L"' '" +
                                 testbed::UnixPath(postScript) + L"' >'" + testbed::UnixPath(log) + L"' 2>&1";
    const int rc = testbed::RunUnixShell(command, kGhostscriptTimeoutMs);
    const std::string output = testbed::ReadFileBytes(log);
    DeleteFileW(postScript.c_str());
    DeleteFileW(log.c_str());
    if (rc < 0) {
        *error = L"Ghostscript did not run";
        return false;
    }
    // A PostScript error ends the job early; the pages before it would look
    // like a complete, shorter job.
    if (rc != 0 || output.find("Error:") != std::string::npos) {
        *error = L"Ghostscript failed: " + FirstErrorLine(output);
        return false;
    }
    *pages = CountPictures(workDir);
    if (*pages == 0) {
        *error = L"Ghostscript printed no page";
        return false;
    }
    return true;
}

}  // namespace sample
