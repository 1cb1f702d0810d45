// Values that come from documents, users and settings end up inside quoted
// PJL strings. None of them may close its string, end its line or start a
// command of its own, and no length of value may take the plug-in outside
// its buffers.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/render_job/plugin_fixture.h"

namespace {

const std::string kUel = "\x1b%-12345X";

class HostileValues : public PluginFixture {
protected:
    std::string Pjl() { return Text(PSINJECT_BEGINSTREAM) + Text(PSINJECT_PSADOBE) + Text(PSINJECT_EOF); }
};

// Every line is a PJL command (the first and the trailer's lines open with
// the universal exit), carries its quotes in pairs, and holds nothing below a
// space but ESC of a universal exit at its start and its own line feed.
void ExpectEveryLineIsOneCommand(const std::string &pjl) {
    for (const std::string &line : Lines(pjl)) {
        std::string body = line;
        if (body.compare(0, kUel.size(), kUel) == 0) body = body.substr(kUel.size());
        if (body.empty()) continue;  // the final universal exit
        EXPECT_EQ(body.compare(0, 5, "@PJL "), 0) << line;
        EXPECT_EQ(std::count(body.begin(), body.end(), '"') % 2, 0) << line;
        for (size_t i = 0; i + 1 < body.size(); ++i)
            EXPECT_GE(static_cast<unsigned char>(body[i]), 0x20) << "at " << i << " in " << line;
        EXPECT_EQ(body.back(), '\n') << line;
    }
}

size_t CountLinesStartingWith(const std::string &pjl, const std::string &start) {
    size_t n = 0;
    for (const std::string &line : Lines(pjl))
        if (line.compare(0, start.size(), start) == 0) ++n;
    return n;
}

// Wine takes the user name from this variable of the process; Windows would
// need a real account of that name, so there the test does not apply.
class UserNameOverride {
public:
    explicit UserNameOverride(const std::wstring &name) {
        SetEnvironmentVariableW(L"WINEUSERNAME", name.c_str());
        wchar_t seen[4096] = {};
        DWORD size = 4096;
        applies_ = GetUserNameW(seen, &size) && name == seen;
    }
    ~UserNameOverride() { SetEnvironmentVariableW(L"WINEUSERNAME", saved_.empty() ? nullptr : saved_.c_str()); }
    bool applies() const { return applies_; }

private:
    std::wstring saved_ = [] {
        wchar_t buffer[1024] = {};
        DWORD n = GetEnvironmentVariableW(L"WINEUSERNAME", buffer, 1024);
        return n && n < 1024 ? std::wstring(buffer, n) : std::wstring();
    }();
    bool applies_ = false;
};

}  // namespace

TEST_F(HostileValues, DocumentNameCannotInjectACommand) {
    dm().outputDestination = DEST_CONFIDENTIAL;
    SetWide(dm().holdUserName, 25, L"alice");
    SetWide(dm().holdPin, 5, L"1234");
    SetDocumentName(L"x\"\n@PJL SET HOLD = OFF");
    std::string pjl = Pjl();
    ExpectEveryLineIsOneCommand(pjl);
    EXPECT_EQ(CountLinesStartingWith(pjl, "@PJL SET HOLD = OFF"), 0u);
    EXPECT_EQ(CountLinesStartingWith(pjl, "@PJL SET HOLD = ON"), 1u);
    EXPECT_NE(pjl.find("@PJL SET JOBNAME = \"x  @PJL SET HOLD = OFF\"\n"), std::string::npos);
    EXPECT_NE(pjl.find("@PJL RDYMSG DISPLAY = \"x  @PJL SET HOLD = OFF\"\n"), std::string::npos);
}

TEST_F(HostileValues, SettingsValuesCannotInjectCommands) {
    dm().outputDestination = DEST_CONFIDENTIAL;
    SetWide(dm().holdUserName, 25, L"a\"\r\n@PJL SET HOLD = OFF");
    SetWide(dm().holdPin, 5, L"1\"\n\x1b");
    SetWide(dm().accountNumber, 17, L"9\"\n@PJL EOJ\x1b%");
    dm().accountNumberEnabled = 1;
    SetDocumentName(L"tab\there\x1b%-12345X\r");
    std::string pjl = Pjl();
    ExpectEveryLineIsOneCommand(pjl);
    EXPECT_EQ(CountLinesStartingWith(pjl, "@PJL SET HOLD = OFF"), 0u);
    EXPECT_EQ(CountLinesStartingWith(pjl, "@PJL EOJ"), 0u);
    EXPECT_NE(pjl.find("@PJL SET USERNAME = \"a   @PJL SET HOLD = OFF\"\n"), std::string::npos);
    EXPECT_NE(pjl.find("@PJL SET HOLDKEY = \"1   \"\n"), std::string::npos);
    EXPECT_NE(pjl.find(" ACCOUNTNUMBER = \"9  @PJL EOJ %\"\n"), std::string::npos);
    // The universal exit occurs only where the plug-in itself puts it.
    size_t exits = 0;
    for (size_t at = pjl.find(kUel); at != std::string::npos; at = pjl.find(kUel, at + 1)) ++exits;
    EXPECT_EQ(exits, 4u);

    dm().outputDestination = DEST_FAX;
    SetWide(dm().fax.recipientFaxNumber, 128, L"5\r\n@PJL SET HOLD = OFF");
    SetWide(dm().fax.stationId, 128, L"\"\n");
    pjl = Pjl();
    ExpectEveryLineIsOneCommand(pjl);
    EXPECT_EQ(CountLinesStartingWith(pjl, "@PJL SET HOLD"), 0u);
    EXPECT_NE(pjl.find("@PJL XFAX PHONENUMBER = \"5  @PJL SET HOLD = OFF\" STATIONID = \"  \"\n"),
              std::string::npos);
}

TEST_F(HostileValues, UserNameCannotInjectACommand) {
    UserNameOverride user(L"eve\"\n@PJL SET HOLD = OFF");
    if (!user.applies()) GTEST_SKIP() << "the user name cannot be chosen here";
    std::string pjl = Pjl();
    ExpectEveryLineIsOneCommand(pjl);
    EXPECT_EQ(CountLinesStartingWith(pjl, "@PJL SET HOLD"), 0u);
    EXPECT_NE(pjl.find("@PJL XJOBINFO USERID = \"eve  @PJL SET HOLD = OFF\" HOSTID = \""), std::string::npos);
}

TEST_F(HostileValues, LongestDocumentNameGoesOutWhole) {
    std::wstring name(255, L'n');
    SetDocumentName(name);
    std::string pjl = Pjl();
    std::string narrow(name.begin(), name.end());
    EXPECT_NE(pjl.find("@PJL SET JOBNAME = \"" + narrow + "\"\n"), std::string::npos);
    EXPECT_NE(pjl.find("@PJL RDYMSG DISPLAY = \"" + narrow + "\"\n"), std::string::npos);
}

TEST_F(HostileValues, UnterminatedFieldsAreReadOnlyToTheirEnd) {
    // Full to the last character, no terminator; the next field follows at once.
    for (wchar_t &c : state().documentName) c = L'd';
    SetWide(state().userName, 1024, L"NEXTFIELD");
    dm().outputDestination = DEST_CONFIDENTIAL;
    for (wchar_t &c : dm().holdUserName) c = L'u';
    SetWide(dm().holdPin, 5, L"4321");
    dm().accountNumberEnabled = 1;
    for (wchar_t &c : dm().accountNumber) c = L'7';
    std::string pjl = Pjl();
    EXPECT_EQ(pjl.find("NEXTFIELD"), std::string::npos);
    EXPECT_NE(pjl.find("@PJL SET JOBNAME = \"" + std::string(256, 'd') + "\"\n"), std::string::npos);
    EXPECT_NE(pjl.find("@PJL SET USERNAME = \"" + std::string(25, 'u') + "\"\n"), std::string::npos);
    EXPECT_NE(pjl.find(" ACCOUNTNUMBER = \"" + std::string(17, '7') + "\"\n"), std::string::npos);
    // The PIN field is five characters wide: all of them are the value.
    for (wchar_t &c : dm().holdPin) c = L'9';
    EXPECT_NE(Pjl().find("@PJL SET HOLDKEY = \"99999\"\n"), std::string::npos);
}

TEST_F(HostileValues, OverlongUserNameIsCutAtTheLineBufferAndKeepsItsLineEnd) {
    UserNameOverride user(std::wstring(2000, L'w'));
    if (!user.applies()) GTEST_SKIP() << "the user name cannot be chosen here";
    dm().accountNumberEnabled = 1;
    SetWide(dm().accountNumber, 17, L"12345");
    SetDocumentName(L"after");
    std::vector<std::string> lines = Lines(Text(PSINJECT_BEGINSTREAM));
    ASSERT_EQ(lines.size(), 4u);
    const std::string &info = lines[2];
    EXPECT_EQ(info.size(), 2047u);
    EXPECT_EQ(info.compare(0, 24, "@PJL XJOBINFO USERID = \""), 0);
    EXPECT_EQ(info.back(), '\n');
    // The next command is whole and on a line of its own.
    EXPECT_EQ(lines[3], "@PJL SET JOBNAME = \"after\"\n");
}

TEST_F(HostileValues, UserNameTooLongForItsBufferLeavesTheHostOnly) {
    UserNameOverride user(std::wstring(2100, L'w'));
    if (!user.applies()) GTEST_SKIP() << "the user name cannot be chosen here";
    std::vector<std::string> lines = Lines(Text(PSINJECT_BEGINSTREAM));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "@PJL XJOBINFO HOSTID = \"" + ComputerNameA() + "\"\n");
}
