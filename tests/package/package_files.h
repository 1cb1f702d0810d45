// The driver packages under test and how their files are read: the INF by
// the platform's own INF parser, the DLLs as files.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

namespace pkgtest {

struct Arch {
    const wchar_t *folder;      // of the DLLs, and decoration of the source-file sections
    const wchar_t *decoration;  // of the model sections
    WORD machine;
};
inline constexpr Arch kArches[] = {{L"x86", L"NTx86", IMAGE_FILE_MACHINE_I386},
                                   {L"amd64", L"NTamd64", IMAGE_FILE_MACHINE_AMD64},
                                   {L"arm64", L"NTarm64", IMAGE_FILE_MACHINE_ARM64}};
const Arch &BuildArch();

// This build's package (build/<arch>/package) and the one of tools/package.sh.
std::wstring BuildPackage();
std::wstring ReleasePackage();
bool FileExists(const std::wstring &path);
bool IsPlugin(const std::wstring &file);
bool Contains(const std::vector<std::wstring> &names, const std::wstring &name);
inline std::string Narrow(const std::wstring &w) { return std::string(w.begin(), w.end()); }

class Inf {
public:
    explicit Inf(const std::wstring &package);
    ~Inf();
    Inf(const Inf &) = delete;
    Inf &operator=(const Inf &) = delete;
    bool ok() const { return inf_ != INVALID_HANDLE_VALUE; }
    UINT errorLine = 0;

    std::wstring Text(const std::wstring &section, const wchar_t *key) const;  // the line's fields as text
    std::vector<std::wstring> Values(const std::wstring &section, const wchar_t *key) const;  // fields 1..n
    std::vector<std::vector<std::wstring>> Lines(const std::wstring &section) const;          // fields 0..n
    // The install section of the one model listed for `arch`, or empty.
    std::wstring InstallSection(const Arch &arch, std::wstring *model = nullptr) const;
    std::vector<std::wstring> CopiedFiles(const std::wstring &install) const;
    // Where the package holds `file` for `arch`; empty when the INF lists no source.
    std::wstring SourcePath(const std::wstring &root, const Arch &arch, const std::wstring &file) const;

private:
    HINF inf_;
};

}  // namespace pkgtest
