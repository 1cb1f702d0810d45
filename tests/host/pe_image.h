// Reads back what the linker wrote into a DLL's headers: the mitigation
// flags, the base relocations that make its address movable, the imports,
// and the COFF symbol table where the image keeps one. Works on an image of
// any architecture, so one test program checks every build.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testbed {

struct PeFacts {
    bool ok = false;  // a PE image whose headers lie inside the file
    WORD machine = 0;
    WORD dllCharacteristics = 0;
    DWORD relocationBytes = 0;             // size of the base-relocation directory
    std::vector<std::string> imports;      // "module!function", module lower-case
    std::vector<std::string> exports;      // names, in the export table's (sorted) order
    std::vector<std::string> symbolNames;  // of the COFF symbol table, if any
};

PeFacts ReadPeFacts(const std::wstring &path);

// The RVA of a COFF symbol defined in a section of the image, or 0.
DWORD SymbolRva(const std::wstring &path, const char *name);

// Whether the function a symbol names returns at its first instruction: a
// stand-in that does nothing. False when the image does not define it.
bool ReturnsAtOnce(const std::wstring &path, const char *name);

bool HasImport(const PeFacts &facts, const char *module, const char *function);
bool HasSymbol(const PeFacts &facts, const char *name);

// What the plug-ins' images must say of themselves, by machine: movable
// (with the relocations to move it), no execution from data, a 64-bit image
// (x64 or ARM64) anywhere in its address space, a 32-bit image with no SEH
// handlers.
// Empty when all hold, else the missing ones, comma-separated.
std::string MissingMitigations(const PeFacts &facts);

}  // namespace testbed
