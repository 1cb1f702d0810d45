#include "tests/package/package_files.h"

#include <algorithm>

#include "tests/host/ui_host.h"

namespace pkgtest {

const Arch &BuildArch() {
#if defined(__aarch64__)
    return kArches[2];
#else
    return kArches[sizeof(void *) == 8 ? 1 : 0];
#endif
}

std::wstring BuildPackage() {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(testbed::ProgramDirFile(L"..\\package").c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::wstring ReleasePackage() {
    std::wstring path = L"Z:";  // Wine's drive for the Unix root
    for (char c : std::string(PACKAGE_SOURCE_ROOT "/out/package")) path += c == '/' ? L'\\' : wchar_t(c);
    return path;
}

bool FileExists(const std::wstring &path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Contains(const std::vector<std::wstring> &names, const std::wstring &name) {
    return std::any_of(names.begin(), names.end(), [&](auto &n) { return lstrcmpiW(n.c_str(), name.c_str()) == 0; });
}

bool IsPlugin(const std::wstring &file) { return Contains({L"uiplug.dll", L"renderplug.dll"}, file); }

Inf::Inf(const std::wstring &package)
    : inf_(SetupOpenInfFileW((package + L"\\psplugin.inf").c_str(), nullptr, INF_STYLE_WIN4, &errorLine)) {}

Inf::~Inf() {
    if (ok()) SetupCloseInfFile(inf_);
}

static std::vector<std::wstring> LineFields(INFCONTEXT *line, DWORD first) {
    std::vector<std::wstring> fields;
    for (DWORD i = first; i <= SetupGetFieldCount(line); ++i) {
        wchar_t text[512] = L"";
        SetupGetStringFieldW(line, i, text, 512, nullptr);
        fields.push_back(text);
    }
    return fields;
}

std::wstring Inf::Text(const std::wstring &section, const wchar_t *key) const {
    INFCONTEXT line;
    wchar_t text[512] = L"";
    if (SetupFindFirstLineW(inf_, section.c_str(), key, &line))
        SetupGetLineTextW(&line, nullptr, nullptr, nullptr, text, 512, nullptr);
    return text;
}

std::vector<std::wstring> Inf::Values(const std::wstring &section, const wchar_t *key) const {
    INFCONTEXT line;
    return SetupFindFirstLineW(inf_, section.c_str(), key, &line) ? LineFields(&line, 1) : std::vector<std::wstring>{};
}

std::vector<std::vector<std::wstring>> Inf::Lines(const std::wstring &section) const {
    std::vector<std::vector<std::wstring>> lines;
    INFCONTEXT line;
    for (BOOL more = SetupFindFirstLineW(inf_, section.c_str(), nullptr, &line); more;
         more = SetupFindNextLine(&line, &line))
        lines.push_back(LineFields(&line, 0));
    return lines;
}

std::wstring Inf::InstallSection(const Arch &arch, std::wstring *model) const {
    auto makers = Lines(L"Manufacturer");
    if (makers.size() != 1 || makers[0].size() < 2) return L"";
    std::vector<std::wstring> decorations(makers[0].begin() + 2, makers[0].end());
    if (!Contains(decorations, arch.decoration)) return L"";
    auto models = Lines(makers[0][1] + L"." + arch.decoration);
    if (models.size() != 1 || models[0].size() < 2) return L"";
    if (model) *model = models[0][0];
    return models[0][1];
}

std::vector<std::wstring> Inf::CopiedFiles(const std::wstring &install) const {
    std::vector<std::wstring> files;
    for (const std::wstring &entry : Values(install, L"CopyFiles")) {
        // A file-list line has no key; the parser gives its first field as field 0 or 1.
        for (const auto &line : Lines(entry)) files.push_back(line[0].empty() ? line.at(1) : line[0]);
    }
    return files;
}

std::wstring Inf::SourcePath(const std::wstring &root, const Arch &arch, const std::wstring &file) const {
    auto where = Values(std::wstring(L"SourceDisksFiles.") + arch.folder, file.c_str());
    if (where.empty()) where = Values(L"SourceDisksFiles", file.c_str());
    if (where.empty()) return L"";
    auto disk = Values(L"SourceDisksNames", where[0].c_str());
    if (disk.empty()) return L"";
    std::wstring path = root;
    if (disk.size() >= 4 && !disk[3].empty()) path += (disk[3][0] == L'\\' ? L"" : L"\\") + disk[3];
    if (where.size() >= 2 && !where[1].empty()) path += L"\\" + where[1];
    return path + L"\\" + file;
}

}  // namespace pkgtest
