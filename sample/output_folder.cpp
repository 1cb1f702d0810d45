#include "sample/output_folder.h"

#include <shlobj.h>

#include <vector>

namespace sample {
namespace {

bool IsFolder(const std::wstring &path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FullPath(const std::wstring &path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (!n) return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(n);
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    return full;
}

// Names in `folder` that match `pattern` (a wildcard file name).
std::vector<std::wstring> FilesMatching(const std::wstring &folder, const std::wstring &pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::wstring PicturePattern() { return std::wstring(kPicturePrefix) + L"*" + kPictureSuffix; }

std::wstring LastErrorText() { return L" (error " + std::to_wstring(GetLastError()) + L")"; }

}  // namespace

OutputFolder::~OutputFolder() { RemoveWork(); }

bool OutputFolder::Open(const std::wstring &folder, std::wstring *error) {
    folder_ = FullPath(folder);
    if (!IsFolder(folder_)) {
        const int rc = SHCreateDirectoryExW(nullptr, folder_.c_str(), nullptr);
        if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS) {
            *error = L"cannot create the output folder " + folder_ + L" (error " + std::to_wstring(rc) + L")";
            return false;
        }
        if (!IsFolder(folder_)) {
            *error = L"the output folder " + folder_ + L" is not a folder";
            return false;
        }
    }
    work_ = folder_ + L"\\.sampleprint-" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(work_.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        *error = L"cannot write to the output folder " + folder_ + LastErrorText();
        work_.clear();
        return false;
    }
    // A folder may take a sub-folder and still refuse files; find out now
    // rather than after the job has printed.
    const std::wstring probe = WorkFile(L"probe");
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = L"cannot write to the output folder " + folder_ + LastErrorText();
        return false;
    }
    CloseHandle(file);
    DeleteFileW(probe.c_str());
    return true;
}

std::wstring OutputFolder::WorkFile(const wchar_t *name) const { return work_ + L"\\" + name; }

bool OutputFolder::Commit(const wchar_t *jobName, std::wstring *jobPath, std::wstring *error) {
    const std::wstring job = folder_ + L"\\" + kJobFileName;
    // An earlier job file must not stand beside this run's pictures.
    if (!DeleteFileW(job.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        *error = L"cannot replace " + job + LastErrorText();
        return false;
    }
    for (const std::wstring &old : FilesMatching(folder_, PicturePattern()))
        DeleteFileW((folder_ + L"\\" + old).c_str());
    for (const std::wstring &picture : FilesMatching(work_, PicturePattern())) {
        if (!MoveFileExW((work_ + L"\\" + picture).c_str(), (folder_ + L"\\" + picture).c_str(),
                         MOVEFILE_REPLACE_EXISTING)) {
            *error = L"cannot move " + picture + L" into " + folder_ + LastErrorText();
            return false;
        }
    }
    // The job file goes last: its presence says the run is complete.
    if (!MoveFileExW(WorkFile(jobName).c_str(), job.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        *error = L"cannot move the job file into " + folder_ + LastErrorText();
        return false;
    }
    *jobPath = job;
    RemoveWork();
    return true;
}

void OutputFolder::RemoveWork() {
    if (work_.empty()) return;
    for (const std::wstring &name : FilesMatching(work_, L"*")) DeleteFileW((work_ + L"\\" + name).c_str());
    RemoveDirectoryW(work_.c_str());
    work_.clear();
}

}  // namespace sample
