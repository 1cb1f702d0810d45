#include "tests/package/package_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"

namespace pkgtest {

const Arch &BuildArch() { return kArches[sizeof(void *) == 8 ? 1 : 0]; }

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
        if (entry.rfind(L"@", 0) == 0) files.push_back(entry.substr(1));
        if (entry.rfind(L"@", 0) == 0) continue;
        // A file-list line has no key; the parser gives its first field as field 0 or 1.
        for (const auto &line : Lines(entry)) files.push_back(line[0].empty() ? line.at(1) : line[0]);
    }
    return files;
}

std::wstring Inf::SourcePath(const std::wstring &root, const Arch &arch, const std::wstring &file) const {
    auto where = Values(std::wstring(L"SourceDisksFiles.") + arch.folder, file.c_str());
    if (where.empty()) where = Values(L"SourceDisksFiles", file.c_str());
    if (where.empty()) return L"";
    auto disk = Values(std::wstring(L"SourceDisksNames.") + arch.folder, where[0].c_str());
    if (disk.empty()) disk = Values(L"SourceDisksNames", where[0].c_str());
    if (disk.empty()) return L"";
    std::wstring path = root;
    if (disk.size() >= 4 && !disk[3].empty()) path += (disk[3][0] == L'\\' ? L"" : L"\\") + disk[3];
    if (where.size() >= 2 && !where[1].empty()) path += L"\\" + where[1];
    return path + L"\\" + file;
}

WORD MachineOf(const std::wstring &path) {
    std::string image = testbed::ReadFileBytes(path);
    if (image.size() < sizeof(IMAGE_DOS_HEADER)) return 0;
    size_t at = static_cast<size_t>(reinterpret_cast<const IMAGE_DOS_HEADER *>(image.data())->e_lfanew);
    if (image.compare(0, 2, "MZ") != 0 || at + 4 + sizeof(IMAGE_FILE_HEADER) > image.size() ||
        image.compare(at, 4, std::string("PE\0\0", 4)) != 0)
        return 0;
    return reinterpret_cast<const IMAGE_FILE_HEADER *>(image.data() + at + 4)->Machine;
}

std::wstring FileVersionText(const std::wstring &path, VS_FIXEDFILEINFO *fixed) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::unique_ptr<BYTE[]> block(new BYTE[size ? size : 1]);
    void *value = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, block.get())) return L"";
    if (fixed && VerQueryValueW(block.get(), L"\\", &value, &length) && length >= sizeof(*fixed))
        *fixed = *static_cast<VS_FIXEDFILEINFO *>(value);
    if (!VerQueryValueW(block.get(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4) return L"";
    wchar_t query[64];
    auto *pair = static_cast<WORD *>(value);
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", pair[0], pair[1]);
    if (!VerQueryValueW(block.get(), query, &value, &length) || !length) return L"";
    return static_cast<wchar_t *>(value);
}

void ExpectArchComplete(const Inf &inf, const std::wstring &root, const Arch &arch, const std::wstring &version) {
    SCOPED_TRACE(Narrow(arch.folder));
    std::vector<std::wstring> files = inf.CopiedFiles(inf.InstallSection(arch));
    EXPECT_EQ(files.size(), 4u);
    for (const std::wstring &file : files) {
        std::wstring path = inf.SourcePath(root, arch, file);
        ASSERT_TRUE(FileExists(path)) << Narrow(file) << " not at " << Narrow(path);
        if (!IsPlugin(file)) continue;
        EXPECT_EQ(path, root + L"\\" + arch.folder + L"\\" + file);
        EXPECT_EQ(MachineOf(path), arch.machine) << Narrow(path);
        EXPECT_EQ(FileVersionText(path), version) << Narrow(path);
    }
}

}  // namespace pkgtest
