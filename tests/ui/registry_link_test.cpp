// Driver deletion over every user's hive meets registry links that a user
// placed in their own: inside the driver key, in place of the driver key, and
// on the way to it. Whatever a link names must survive.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/raii.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/watermark/store.h"

using namespace uitest;

namespace {

const std::wstring kDriver = L"UIF Link Driver";
// Fake user hives under HKEY_USERS, each with a link in another place.
const std::wstring kInsideHive = L"S-1-5-21-link-inside";
const std::wstring kInsteadHive = L"S-1-5-21-link-instead";
const std::wstring kWayHive = L"S-1-5-21-link-way";
// Where every link points.
const std::wstring kTargets = kInsideHive + L"\\Software\\UIF Link Targets";
// The links: inside the driver key, in its place, and on the way to it.
const std::wstring kInsideDriver = kInsideHive + L"\\Software\\Corvane\\PSPlugIn\\" + kDriver;
const std::wstring kInsideLink = kInsideDriver + L"\\Profiles";
const std::wstring kInsteadLink = kInsteadHive + L"\\Software\\Corvane\\PSPlugIn\\" + kDriver;
const std::wstring kWayLink = kWayHive + L"\\Software\\Corvane";

// The native name of HKEY_USERS\`path`, as a link holds its target.
std::wstring NativeName(const std::wstring &path) { return L"\\Registry\\User\\" + path; }

bool CreateLink(const std::wstring &path, const std::wstring &target) {
    unique_hkey link;
    if (RegCreateKeyExW(HKEY_USERS, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring native = NativeName(target);
    return RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE *>(native.data()),
                          static_cast<DWORD>(native.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The link key itself, not what it names.
bool LinkExists(const std::wstring &path) {
    unique_hkey link;
    return RegOpenKeyExW(HKEY_USERS, path.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, link.put()) ==
           ERROR_SUCCESS;
}

void DeleteLink(const std::wstring &path) {
    using NtDeleteKeyFn = LONG(NTAPI *)(HANDLE);
    auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    unique_hkey link;
    if (deleteKey &&
        RegOpenKeyExW(HKEY_USERS, path.c_str(), REG_OPTION_OPEN_LINK, DELETE, link.put()) == ERROR_SUCCESS)
        deleteKey(link.get());
}

class RegistryLinks : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    // Links first, a failed run's too: a tree delete would follow them.
    static void Clean() {
        for (const std::wstring &link : {kInsideLink, kInsteadLink, kWayLink}) DeleteLink(link);
        DeleteTree(HKEY_CURRENT_USER, DriverKey(kDriver));
        for (const std::wstring &hive : {kInsideHive, kInsteadHive, kWayHive}) DeleteTree(HKEY_USERS, hive);
    }

    static void Link(const std::wstring &path, const std::wstring &target) {
        ASSERT_TRUE(CreateLink(path, target)) << Narrow(path) << ": " << GetLastError();
    }

    // A key with a value and a sub-key of its own, for a link to name.
    static void Target(const std::wstring &path) {
        DWORD one = 1;
        ASSERT_TRUE(WriteValue(HKEY_USERS, path, L"Keep", REG_DWORD, &one, sizeof(one)));
        ASSERT_TRUE(WriteValue(HKEY_USERS, path + L"\\Child", L"Keep", REG_DWORD, &one, sizeof(one)));
    }
    static bool TargetIntact(const std::wstring &path) {
        DWORD value = 0;
        return ReadDword(HKEY_USERS, path, L"Keep", &value) && ReadDword(HKEY_USERS, path + L"\\Child", L"Keep", &value);
    }
};

TEST_F(RegistryLinks, DriverDeletionNeitherFollowsNorDeletesThem) {
    DWORD one = 1;
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, DriverKey(kDriver) + L"\\Watermarks", L"Draft", REG_DWORD, &one,
                           sizeof(one)));
    ASSERT_TRUE(WriteValue(HKEY_USERS, kInsideDriver + L"\\Watermarks", L"Draft", REG_DWORD, &one, sizeof(one)));
    Target(kTargets + L"\\inside");
    Link(kInsideLink, kTargets + L"\\inside");
    ASSERT_TRUE(WriteValue(HKEY_USERS, kInsteadHive + L"\\Software\\Corvane\\PSPlugIn", L"x", REG_DWORD, &one,
                           sizeof(one)));
    Target(kTargets + L"\\instead");
    Link(kInsteadLink, kTargets + L"\\instead");
    // The way's target is laid out like a driver key's parents.
    ASSERT_TRUE(WriteValue(HKEY_USERS, kWayHive + L"\\Software", L"x", REG_DWORD, &one, sizeof(one)));
    Target(kTargets + L"\\way\\PSPlugIn\\" + kDriver);
    Link(kWayLink, kTargets + L"\\way");
    // Opened by name, each leads to its target.
    ASSERT_TRUE(TargetIntact(kInsideLink));
    ASSERT_TRUE(TargetIntact(kInsteadLink));
    ASSERT_TRUE(TargetIntact(kWayHive + L"\\" + DriverKey(kDriver)));

    DeleteDriverSettings(kDriver.c_str());

    EXPECT_TRUE(TargetIntact(kTargets + L"\\inside"));
    EXPECT_TRUE(TargetIntact(kTargets + L"\\instead"));
    EXPECT_TRUE(TargetIntact(kTargets + L"\\way\\PSPlugIn\\" + kDriver));
    for (const std::wstring &link : {kInsideLink, kInsteadLink, kWayLink}) EXPECT_TRUE(LinkExists(link)) << Narrow(link);
    // Keys that are no links go; one that holds a link stays with it.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, DriverKey(kDriver)));
    EXPECT_FALSE(KeyExists(HKEY_USERS, kInsideDriver + L"\\Watermarks"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, kInsideDriver));
}

}  // namespace
