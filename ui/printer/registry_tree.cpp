#include "ui/printer/registry_tree.h"

#include <cwchar>

#include "platform/raii.h"

namespace {

// The value a registry link keeps its target in.
constexpr wchar_t kLinkValue[] = L"SymbolicLinkValue";
// A key name is at most 255 characters.
constexpr DWORD kKeyNameChars = 256;
constexpr REGSAM kWalkAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
constexpr REGSAM kDeleteAccess = kWalkAccess | DELETE;

// A key opened as itself is a link when it carries a target. A key whose
// answer is anything but "no such value" is taken for one: leaving an
// ordinary key behind costs nothing.
bool MayBeLink(HKEY key) {
    return RegQueryValueExW(key, kLinkValue, nullptr, nullptr, nullptr, nullptr) != ERROR_FILE_NOT_FOUND;
}

// Opens `name` (one component) under `parent` as itself; false for a link.
bool OpenAsItself(HKEY parent, const wchar_t *name, REGSAM access, unique_hkey *key) {
    if (RegOpenKeyExW(parent, name, REG_OPTION_OPEN_LINK, access, key->put()) != ERROR_SUCCESS) return false;
    if (!MayBeLink(key->get())) return true;
    key->reset();
    return false;
}

// Walks `path` one component at a time; the last key gets `access`.
bool OpenPathAsItself(HKEY root, const wchar_t *path, REGSAM access, unique_hkey *key) {
    if (!path || !path[0]) return false;
    unique_hkey current;
    HKEY parent = root;
    const wchar_t *component = path;
    for (;;) {
        const wchar_t *end = std::wcschr(component, L'\\');
        const size_t length = end ? static_cast<size_t>(end - component) : std::wcslen(component);
        if (length == 0 || length >= kKeyNameChars) return false;
        wchar_t name[kKeyNameChars];
        std::wmemcpy(name, component, length);
        name[length] = L'\0';
        unique_hkey next;
        if (!OpenAsItself(parent, name, end ? kWalkAccess : access, &next)) return false;
        current = std::move(next);
        parent = current.get();
        if (!end) break;
        component = end + 1;
    }
    *key = std::move(current);
    return true;
}

// Deletes the very key the handle holds; a name could meanwhile lead
// somewhere else.
bool DeleteByHandle(HKEY key) {
    using NtDeleteKeyFn = LONG(NTAPI *)(HANDLE);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto deleteKey = ntdll ? reinterpret_cast<NtDeleteKeyFn>(
                                 reinterpret_cast<void *>(GetProcAddress(ntdll, "NtDeleteKey")))
                           : nullptr;
    return deleteKey && deleteKey(key) >= 0;
}

bool CountContents(HKEY key, DWORD *subKeys, DWORD *values) {
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, subKeys, nullptr, nullptr, values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

// Sub-keys go from the last index down, so that each deletion leaves the
// indexes still to come as they were. One that stays (a link, a key this
// account may not delete, one too deep) keeps `key` as well.
bool DeleteOpenedTree(HKEY key, int depth) {
    DWORD subKeys = 0, values = 0;
    if (depth > kMaxDeleteDepth || !CountContents(key, &subKeys, &values)) return false;
    bool all = true;
    for (DWORD index = subKeys; index-- > 0;) {
        wchar_t name[kKeyNameChars];
        DWORD chars = kKeyNameChars;
        unique_hkey child;
        if (RegEnumKeyExW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            !OpenAsItself(key, name, kDeleteAccess, &child) || !DeleteOpenedTree(child.get(), depth + 1))
            all = false;
    }
    return all && DeleteByHandle(key);
}

}  // namespace

bool DeleteKeyTreeKeepingLinks(HKEY root, const wchar_t *path) {
    unique_hkey key;
    return OpenPathAsItself(root, path, kDeleteAccess, &key) && DeleteOpenedTree(key.get(), 0);
}

bool DeleteEmptyKeyKeepingLinks(HKEY root, const wchar_t *path) {
    unique_hkey key;
    DWORD subKeys = 0, values = 0;
    if (!OpenPathAsItself(root, path, kDeleteAccess, &key) || !CountContents(key.get(), &subKeys, &values))
        return false;
    return subKeys == 0 && values == 0 && DeleteByHandle(key.get());
}
