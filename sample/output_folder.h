// Where a run's results go. Everything is first written into a work folder
// inside the output folder and moved into place only when the whole run has
// succeeded, so a failed run leaves no partial job file and no pictures of a
// job that does not exist; an earlier run's results stay until then.
#pragma once

#include <windows.h>

#include <string>

namespace sample {

class OutputFolder {
public:
    OutputFolder() = default;
    ~OutputFolder();
    OutputFolder(const OutputFolder &) = delete;
    OutputFolder &operator=(const OutputFolder &) = delete;

    // Creates the folder (and its parents) when missing and proves that files
    // can be created in it. False with a one-line reason in *error.
    bool Open(const std::wstring &folder, std::wstring *error);

    // Paths inside the work folder.
    std::wstring WorkFile(const wchar_t *name) const;
    const std::wstring &workDir() const { return work_; }

    // Moves the job file and the page pictures of the work folder into the
    // output folder, replacing the results of an earlier run, and removes the
    // work folder. Returns the job file's final path in *jobPath.
    bool Commit(const wchar_t *jobName, std::wstring *jobPath, std::wstring *error);

    const std::wstring &folder() const { return folder_; }

private:
    void RemoveWork();

    std::wstring folder_;
    std::wstring work_;
};

// The job file's name in the output folder and the pattern of the pictures.
constexpr wchar_t kJobFileName[] = L"job.prn";
constexpr wchar_t kPicturePrefix[] = L"page-";
constexpr wchar_t kPictureSuffix[] = L".png";

}  // namespace sample
