#include "tests/host/pe_image.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "tests/host/wine_printer.h"

namespace testbed {
namespace {

constexpr size_t kSymbolBytes = 18;  // IMAGE_SYMBOL on disk, unpadded

struct Image {
    std::string bytes;
    const IMAGE_FILE_HEADER *file = nullptr;
    const BYTE *optional = nullptr;
    const IMAGE_SECTION_HEADER *sections = nullptr;

    template <typename T> bool Fits(size_t at, size_t count = 1) const {
        return at <= bytes.size() && count <= (bytes.size() - at) / sizeof(T);
    }
    template <typename T> T At(size_t at) const {
        T value{};
        if (Fits<T>(at)) std::memcpy(&value, bytes.data() + at, sizeof(T));
        return value;
    }
    bool Is64() const { return optional && At<WORD>(optional - Base()) == IMAGE_NT_OPTIONAL_HDR64_MAGIC; }
    const BYTE *Base() const { return reinterpret_cast<const BYTE *>(bytes.data()); }

    // File offset of an RVA, or SIZE_MAX when no section holds it.
    size_t Offset(DWORD rva) const {
        for (WORD i = 0; sections && i < file->NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER &s = sections[i];
            DWORD span = std::max(s.Misc.VirtualSize, s.SizeOfRawData);
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < span)
                return s.PointerToRawData + (rva - s.VirtualAddress);
        }
        return SIZE_MAX;
    }
    std::string CString(size_t at) const {
        if (at >= bytes.size()) return {};
        return std::string(bytes.data() + at, strnlen(bytes.data() + at, bytes.size() - at));
    }
    IMAGE_DATA_DIRECTORY Directory(int index) const {
        size_t count = (optional - Base()) + (Is64() ? 108 : 92);
        size_t first = (optional - Base()) + (Is64() ? 112 : 96);
        if (static_cast<DWORD>(index) >= At<DWORD>(count)) return {};
        return At<IMAGE_DATA_DIRECTORY>(first + index * sizeof(IMAGE_DATA_DIRECTORY));
    }
};

bool Open(const std::wstring &path, Image *image) {
    image->bytes = ReadFileBytes(path);
    const std::string &b = image->bytes;
    if (b.size() < sizeof(IMAGE_DOS_HEADER) || b.compare(0, 2, "MZ") != 0) return false;
    size_t nt = static_cast<size_t>(image->At<IMAGE_DOS_HEADER>(0).e_lfanew);
    if (!image->Fits<BYTE>(nt, 4 + sizeof(IMAGE_FILE_HEADER)) || b.compare(nt, 4, std::string("PE\0\0", 4)) != 0)
        return false;
    image->file = reinterpret_cast<const IMAGE_FILE_HEADER *>(b.data() + nt + 4);
    size_t optional = nt + 4 + sizeof(IMAGE_FILE_HEADER);
    size_t sections = optional + image->file->SizeOfOptionalHeader;
    if (image->file->SizeOfOptionalHeader < 96 ||
        !image->Fits<IMAGE_SECTION_HEADER>(sections, image->file->NumberOfSections))
        return false;
    image->optional = image->Base() + optional;
    image->sections = reinterpret_cast<const IMAGE_SECTION_HEADER *>(b.data() + sections);
    return true;
}

void ReadImports(const Image &image, std::vector<std::string> *out) {
    IMAGE_DATA_DIRECTORY dir = image.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    size_t at = dir.VirtualAddress ? image.Offset(dir.VirtualAddress) : SIZE_MAX;
    const size_t thunkBytes = image.Is64() ? 8 : 4;
    for (; at != SIZE_MAX && image.Fits<IMAGE_IMPORT_DESCRIPTOR>(at); at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        auto desc = image.At<IMAGE_IMPORT_DESCRIPTOR>(at);
        if (!desc.Name) break;
        std::string module = image.CString(image.Offset(desc.Name));
        std::transform(module.begin(), module.end(), module.begin(), [](char c) { return std::tolower(c); });
        DWORD thunks = desc.OriginalFirstThunk ? desc.OriginalFirstThunk : desc.FirstThunk;
        for (size_t t = image.Offset(thunks); t != SIZE_MAX && image.Fits<BYTE>(t, thunkBytes); t += thunkBytes) {
            uint64_t thunk = thunkBytes == 8 ? image.At<uint64_t>(t) : image.At<DWORD>(t);
            if (!thunk) break;
            bool byOrdinal = thunk >> (thunkBytes * 8 - 1);
            std::string name = byOrdinal ? "#" + std::to_string(thunk & 0xffff)
                                         : image.CString(image.Offset(static_cast<DWORD>(thunk)) + 2);
            out->push_back(module + "!" + name);
        }
    }
}

void ReadExports(const Image &image, std::vector<std::string> *out) {
    IMAGE_DATA_DIRECTORY dir = image.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    size_t at = dir.VirtualAddress ? image.Offset(dir.VirtualAddress) : SIZE_MAX;
    if (at == SIZE_MAX || !image.Fits<IMAGE_EXPORT_DIRECTORY>(at)) return;
    auto table = image.At<IMAGE_EXPORT_DIRECTORY>(at);
    size_t names = image.Offset(table.AddressOfNames);
    for (DWORD i = 0; names != SIZE_MAX && i < table.NumberOfNames && image.Fits<DWORD>(names, i + 1); ++i)
        out->push_back(image.CString(image.Offset(image.At<DWORD>(names + i * sizeof(DWORD)))));
}

// Calls `visit(name, symbol)` for every primary symbol of the COFF table.
template <typename Visit> void ForEachSymbol(const Image &image, Visit visit) {
    size_t table = image.file->PointerToSymbolTable;
    size_t count = image.file->NumberOfSymbols;
    if (!table || !image.Fits<BYTE>(table, count * kSymbolBytes)) return;
    size_t strings = table + count * kSymbolBytes;
    for (size_t i = 0; i < count; ++i) {
        size_t at = table + i * kSymbolBytes;
        IMAGE_SYMBOL symbol{};
        std::memcpy(&symbol, image.bytes.data() + at, kSymbolBytes);
        std::string name = symbol.N.Name.Short ? std::string(reinterpret_cast<const char *>(symbol.N.ShortName),
                                                             strnlen(reinterpret_cast<const char *>(symbol.N.ShortName), 8))
                                               : image.CString(strings + symbol.N.Name.Long);
        visit(name, symbol);
        i += symbol.NumberOfAuxSymbols;
    }
}

}  // namespace

PeFacts ReadPeFacts(const std::wstring &path) {
    PeFacts facts;
    Image image;
    if (!Open(path, &image)) return facts;
    facts.ok = true;
    facts.machine = image.file->Machine;
    facts.dllCharacteristics = image.At<WORD>((image.optional - image.Base()) + 70);
    facts.relocationBytes = image.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size;
    ReadImports(image, &facts.imports);
    ReadExports(image, &facts.exports);
    ForEachSymbol(image, [&](const std::string &name, const IMAGE_SYMBOL &) { facts.symbolNames.push_back(name); });
    return facts;
}

DWORD SymbolRva(const std::wstring &path, const char *name) {
    Image image;
    DWORD rva = 0;
    if (!Open(path, &image)) return 0;
    ForEachSymbol(image, [&](const std::string &n, const IMAGE_SYMBOL &s) {
        // Section numbers count from 1; the symbol's value is its offset in it.
        if (rva || n != name || s.SectionNumber < 1 || s.SectionNumber > image.file->NumberOfSections) return;
        rva = image.sections[s.SectionNumber - 1].VirtualAddress + s.Value;
    });
    return rva;
}

bool ReturnsAtOnce(const std::wstring &path, const char *name) {
    DWORD rva = SymbolRva(path, name);
    Image image;
    if (!rva || !Open(path, &image)) return false;
    size_t at = image.Offset(rva);
    if (image.file->Machine == IMAGE_FILE_MACHINE_ARM64) return image.At<DWORD>(at) == 0xd65f03c0;  // ret
    // ret, ret imm16, rep ret
    BYTE first = image.At<BYTE>(at);
    return first == 0xc3 || first == 0xc2 || (first == 0xf3 && image.At<BYTE>(at + 1) == 0xc3);
}

bool HasImport(const PeFacts &facts, const char *module, const char *function) {
    std::string want = std::string(module) + "!" + function;
    return std::find(facts.imports.begin(), facts.imports.end(), want) != facts.imports.end();
}

bool HasSymbol(const PeFacts &facts, const char *name) {
    return std::find(facts.symbolNames.begin(), facts.symbolNames.end(), name) != facts.symbolNames.end();
}

std::string MissingMitigations(const PeFacts &facts) {
    if (!facts.ok) return "not a PE image";
    std::string missing;
    auto need = [&](bool holds, const char *what) {
        if (!holds) missing += (missing.empty() ? "" : ", ") + std::string(what);
    };
    WORD flags = facts.dllCharacteristics;
    need(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, "DYNAMIC_BASE");
    need(facts.relocationBytes > 0, "base relocations");
    need(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT, "NX_COMPAT");
    if (facts.machine == IMAGE_FILE_MACHINE_AMD64 || facts.machine == IMAGE_FILE_MACHINE_ARM64)
        need(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, "HIGH_ENTROPY_VA");
    if (facts.machine == IMAGE_FILE_MACHINE_I386) need(flags & IMAGE_DLLCHARACTERISTICS_NO_SEH, "NO_SEH");
    return missing;
}

}  // namespace testbed
