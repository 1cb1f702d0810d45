// uiplug.dll as a file: what it exports and what it imports, read from its
// PE headers.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"

namespace {

class PeImage {
public:
    explicit PeImage(std::string bytes) : bytes_(std::move(bytes)) {}

    bool Parse() {
        auto *dos = At<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
        auto *nt = At<IMAGE_NT_HEADERS>(static_cast<size_t>(dos->e_lfanew));
        if (!nt || nt->Signature != IMAGE_NT_SIGNATURE) return false;
        sections_ = reinterpret_cast<const IMAGE_SECTION_HEADER *>(
            reinterpret_cast<const char *>(&nt->OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader);
        sectionCount_ = nt->FileHeader.NumberOfSections;
        exports_ = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        imports_ = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        return true;
    }

    std::vector<std::string> ExportNames() const {
        std::vector<std::string> names;
        auto *dir = AtRva<IMAGE_EXPORT_DIRECTORY>(exports_.VirtualAddress);
        if (!exports_.VirtualAddress || !dir) return names;
        for (DWORD i = 0; i < dir->NumberOfNames; ++i) {
            auto *rva = AtRva<DWORD>(dir->AddressOfNames + i * 4);
            if (rva) names.push_back(String(*rva));
        }
        return names;
    }

    std::vector<std::string> ImportedDlls() const {
        std::vector<std::string> dlls;
        if (!imports_.VirtualAddress) return dlls;
        for (DWORD offset = 0;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            auto *d = AtRva<IMAGE_IMPORT_DESCRIPTOR>(imports_.VirtualAddress + offset);
            if (!d || d->Name == 0) break;
            dlls.push_back(String(d->Name));
        }
        return dlls;
    }

private:
    template <typename T>
    const T *At(size_t offset) const {
        return offset + sizeof(T) <= bytes_.size() ? reinterpret_cast<const T *>(bytes_.data() + offset) : nullptr;
    }
    template <typename T>
    const T *AtRva(DWORD rva) const {
        for (WORD i = 0; i < sectionCount_; ++i) {
            const IMAGE_SECTION_HEADER &s = sections_[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return At<T>(rva - s.VirtualAddress + s.PointerToRawData);
        }
        return nullptr;
    }
    std::string String(DWORD rva) const {
        const char *p = AtRva<char>(rva);
        if (!p) return {};
        size_t max = bytes_.size() - static_cast<size_t>(p - bytes_.data());
        return std::string(p, strnlen(p, max));
    }

    std::string bytes_;
    const IMAGE_SECTION_HEADER *sections_ = nullptr;
    WORD sectionCount_ = 0;
    IMAGE_DATA_DIRECTORY exports_{}, imports_{};
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

TEST(UiPlugImage, ExportsOnlyItsEntryPointsAndImportsOnlySystemDlls) {
    PeImage image(testbed::ReadFileBytes(testbed::ProgramDirFile(L"uiplug.dll")));
    ASSERT_TRUE(image.Parse());
    std::vector<std::string> exports = image.ExportNames();
    std::sort(exports.begin(), exports.end());
    EXPECT_EQ(exports,
              (std::vector<std::string>{"CreateManualDuplexDlg", "DllCanUnloadNow", "DllGetClassObject"}));

    // What every Windows installation carries; the compiler's runtime is linked in.
    const std::set<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",   "advapi32.dll",
                                          "shlwapi.dll",  "comctl32.dll", "version.dll", "winspool.drv",
                                          "ole32.dll",    "oleaut32.dll", "msvcrt.dll"};
    std::vector<std::string> imports = image.ImportedDlls();
    EXPECT_FALSE(imports.empty());
    for (const std::string &dll : imports) EXPECT_TRUE(system.count(Lower(dll))) << dll;
}

}  // namespace
