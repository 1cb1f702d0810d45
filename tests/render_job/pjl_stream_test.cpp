// The PJL the plug-in puts around the job, byte for byte, as the driver
// receives it through Command at the stream start, before the PostScript
// header and at the end of the file.
#include <gtest/gtest.h>

#include "tests/render_job/plugin_fixture.h"

namespace {

const std::string kUel = "\x1b%-12345X";
const std::string kLanguageSwitch = "@PJL ENTER LANGUAGE = Postscript \n";

class JobHeader : public PluginFixture {};
class JobSettings : public PluginFixture {
protected:
    // The settings block with the ready message for the document "Doc" and the
    // language switch stripped from its end, which every case shares.
    std::string Group() {
        SetDocumentName(L"Doc");
        std::string text = Text(PSINJECT_PSADOBE);
        const std::string tail = "@PJL RDYMSG DISPLAY = \"Doc\"\n" + kLanguageSwitch;
        EXPECT_GE(text.size(), tail.size());
        if (text.size() < tail.size()) return text;
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
        return text.substr(0, text.size() - tail.size());
    }
};
class JobColor : public JobSettings {};

}  // namespace

TEST_F(JobHeader, OpensTheJobAndNamesUserHostAndDocument) {
    SetDocumentName(L"Quarterly report");
    std::string user = UserNameA(), host = ComputerNameA();
    ASSERT_FALSE(user.empty());
    EXPECT_EQ(Text(PSINJECT_BEGINSTREAM), kUel +
                                              "@PJL JOB\n"
                                              "@PJL SET XMULTIPAGEPRINT=OFF\n"
                                              "@PJL XJOBINFO USERID = \"" +
                                              user + "\" HOSTID = \"" + host +
                                              "\"\n"
                                              "@PJL SET JOBNAME = \"Quarterly report\"\n");
    // One write for the opening, one for each line after it.
    EXPECT_EQ(core().spoolWrites, 3);
}

TEST_F(JobHeader, AccountNumberJoinsTheJobInfoLineOnlyWhenEnabled) {
    SetWide(dm().accountNumber, 17, L"4711");
    std::string user = UserNameA(), host = ComputerNameA();
    dm().accountNumberEnabled = 1;
    std::vector<std::string> lines = Lines(Text(PSINJECT_BEGINSTREAM));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "@PJL XJOBINFO USERID = \"" + user + "\" HOSTID = \"" + host +
                            "\" ACCOUNTNUMBER = \"4711\"\n");

    dm().accountNumberEnabled = 0;
    std::string text = Text(PSINJECT_BEGINSTREAM) + Text(PSINJECT_PSADOBE);
    EXPECT_EQ(text.find("4711"), std::string::npos);
    EXPECT_EQ(text.find("ACCOUNTNUMBER"), std::string::npos);
}

TEST_F(JobHeader, EmptyDocumentNameIsAnEmptyQuotedName) {
    SetDocumentName(L"");
    std::vector<std::string> lines = Lines(Text(PSINJECT_BEGINSTREAM));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "@PJL SET JOBNAME = \"\"\n");
}

TEST_F(JobHeader, TrailerClearsThePanelAndEndsTheJob) {
    EXPECT_EQ(Text(PSINJECT_EOF), kUel + "@PJL RDYMSG DISPLAY = \"\"\n" + kUel + "@PJL EOJ\n" + kUel);
    EXPECT_EQ(core().spoolWrites, 2);
}

TEST_F(JobSettings, PrinterFileAndEpsWriteOnlyReadyMessageAndLanguageSwitch) {
    GiveFeature("HasKeepPreviousPHJobs");
    for (uint32_t destination : {DEST_PRINTER, DEST_FILE, DEST_EPS}) {
        dm().outputDestination = destination;
        SetDocumentName(L"Plain");
        EXPECT_EQ(Text(PSINJECT_PSADOBE), "@PJL RDYMSG DISPLAY = \"Plain\"\n" + kLanguageSwitch)
            << "destination " << destination;
    }
}

TEST_F(JobSettings, ConfidentialPrintNamesUserHoldTypeAndPin) {
    dm().outputDestination = DEST_CONFIDENTIAL;
    SetWide(dm().holdUserName, 25, L"alice");
    SetWide(dm().holdPin, 5, L"0907");
    EXPECT_EQ(Group(),
              "@PJL SET USERNAME = \"alice\"\n"
              "@PJL SET HOLD = ON\n"
              "@PJL SET HOLDTYPE = PRIVATE\n"
              "@PJL SET HOLDKEY = \"0907\"\n");
}

TEST_F(JobSettings, ReserveRepeatAndVerifyPrint) {
    SetWide(dm().holdUserName, 25, L"bob");
    dm().outputDestination = DEST_RESERVE;
    EXPECT_EQ(Group(), "@PJL SET USERNAME = \"bob\"\n@PJL SET HOLD = STORE\n");
    dm().outputDestination = DEST_REPEAT;
    EXPECT_EQ(Group(), "@PJL SET USERNAME = \"bob\"\n@PJL SET HOLD = ON\n@PJL SET HOLDTYPE = PUBLIC\n");
    dm().outputDestination = DEST_VERIFY;
    publicDm().dmCopies = 3;
    EXPECT_EQ(Group(), "@PJL SET USERNAME = \"bob\"\n@PJL SET HOLD = PROOF\n@PJL SET QTY = 3\n");
}

TEST_F(JobSettings, FaxAlwaysSendsFineResolutionAndTheNumberEvenWhenEmpty) {
    dm().outputDestination = DEST_FAX;
    SetWide(dm().fax.stationId, 128, L"Front desk");
    for (uint16_t resolution : {0, 1, 7}) {
        dm().fax.resolution = resolution;
        EXPECT_EQ(Group(),
                  "@PJL XFAX PHONENUMBER = \"\" STATIONID = \"Front desk\"\n"
                  "@PJL SET XFAXRESOLUTION = FINE\n");
    }
    SetWide(dm().fax.recipientFaxNumber, 128, L"+49 30 1234");
    EXPECT_EQ(Group(),
              "@PJL XFAX PHONENUMBER = \"+49 30 1234\" STATIONID = \"Front desk\"\n"
              "@PJL SET XFAXRESOLUTION = FINE\n");
}

TEST_F(JobSettings, DuplicateHeldJobsOnlyForHoldDestinationsOnPrintersThatKeepThem) {
    SetWide(dm().holdUserName, 25, L"u");
    dm().outputDestination = DEST_REPEAT;
    EXPECT_EQ(Group().find("XDUPLICATEHELDJOBS"), std::string::npos);

    GiveFeature("HasKeepPreviousPHJobs");
    for (uint32_t destination : {DEST_CONFIDENTIAL, DEST_RESERVE, DEST_REPEAT, DEST_VERIFY}) {
        dm().outputDestination = destination;
        dm().keepDuplicateHeldJobs = 1;
        std::vector<std::string> lines = Lines(Group());
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "@PJL SET XDUPLICATEHELDJOBS = SAVE\n") << "destination " << destination;
        dm().keepDuplicateHeldJobs = 0;
        lines = Lines(Group());
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "@PJL SET XDUPLICATEHELDJOBS = DELETE\n") << "destination " << destination;
    }
    for (uint32_t destination : {0u, 1u, 2u, 3u, 8u}) {
        dm().outputDestination = destination;
        EXPECT_EQ(Group().find("XDUPLICATEHELDJOBS"), std::string::npos) << "destination " << destination;
    }
}

TEST_F(JobSettings, AConfidentialJobInFullReadsInTheDocumentedOrder) {
    GiveFeature("HasKeepPreviousPHJobs");
    dm().outputDestination = DEST_CONFIDENTIAL;
    SetWide(dm().holdUserName, 25, L"carol");
    SetWide(dm().holdPin, 5, L"1234");
    dm().color.correction = 2;
    dm().color.balanceEnabled = 1;
    dm().color.balanceCyan = 1;
    dm().color.balanceMagenta = 2;
    dm().color.balanceYellow = 3;
    dm().color.balanceBlack = 4;
    dm().color.colorThrift = 2;
    dm().keepDuplicateHeldJobs = 1;
    SetDocumentName(L"Payroll");
    EXPECT_EQ(Text(PSINJECT_PSADOBE),
              "@PJL SET USERNAME = \"carol\"\n"
              "@PJL SET HOLD = ON\n"
              "@PJL SET HOLDTYPE = PRIVATE\n"
              "@PJL SET HOLDKEY = \"1234\"\n"
              "@PJL SET XCOLORCORRECTION = AUTO\n"
              "@PJL SET XCOLORBALANCECYAN = 1\n"
              "@PJL SET XCOLORBALANCEMAGENTA = 2\n"
              "@PJL SET XCOLORBALANCEYELLOW = 3\n"
              "@PJL SET XCOLORBALANCEBLACK = 4\n"
              "@PJL SET XCOLORTHRIFT = ON\n"
              "@PJL SET XDUPLICATEHELDJOBS = SAVE\n"
              "@PJL RDYMSG DISPLAY = \"Payroll\"\n" +
                  kLanguageSwitch);
    // Each line is a write of its own.
    EXPECT_EQ(core().spoolWrites, 13);
}

TEST_F(JobColor, CorrectionWords) {
    const std::pair<uint32_t, const char *> cases[] = {
        {1, "OFF"}, {2, "AUTO"}, {3, "MANUAL"}, {4, "MANUAL"}, {0xFFFFFFFF, "MANUAL"}};
    for (auto [value, word] : cases) {
        dm().color.correction = value;
        EXPECT_EQ(Group(), std::string("@PJL SET XCOLORCORRECTION = ") + word + "\n") << "correction " << value;
    }
    dm().color.correction = 0;
    EXPECT_EQ(Group(), "");
}

TEST_F(JobColor, ManualFieldsPrintTheirWordsInFixedOrderOnlyUnderManualCorrection) {
    struct Field {
        uint32_t ColorSettings::*member;
        const char *command;
        const char *words[4];
    };
    const Field fields[] = {
        {&ColorSettings::rgbText, "XMANUALCOLORRGBTEXT", {"SRGBDISPLAY", "SRGBVIVID", "VIVID", "OFF"}},
        {&ColorSettings::rgbGraphics, "XMANUALCOLORRGBGRAPHICS", {"SRGBDISPLAY", "SRGBVIVID", "VIVID", "OFF"}},
        {&ColorSettings::rgbImage, "XMANUALCOLORRGBIMAGE", {"SRGBDISPLAY", "SRGBVIVID", "VIVID", "OFF"}},
        {&ColorSettings::cmykText, "XMANUALCOLORCMYKTEXT", {"USCMYK", "EUROCMYK", "VIVIDCMYK", "OFF"}},
        {&ColorSettings::cmykGraphics, "XMANUALCOLORCMYKGRAPHICS", {"USCMYK", "EUROCMYK", "VIVIDCMYK", "OFF"}},
        {&ColorSettings::cmykImage, "XMANUALCOLORCMYKIMAGE", {"USCMYK", "EUROCMYK", "VIVIDCMYK", "OFF"}},
    };
    const std::string manual = "@PJL SET XCOLORCORRECTION = MANUAL\n";
    ColorSettings &c = dm().color;
    c.correction = 3;
    for (const Field &f : fields) {
        for (uint32_t value = 1; value <= 4; ++value) {
            c.*f.member = value;
            EXPECT_EQ(Group(), manual + "@PJL SET " + f.command + " = " + f.words[value - 1] + "\n")
                << f.command << " " << value;
        }
        for (uint32_t value : {5u, 0x80000000u}) {
            c.*f.member = value;
            EXPECT_EQ(Group(), manual) << f.command << " " << value;
        }
        c.*f.member = 0;
    }

    // All at once: text, graphics, image for RGB, then the same for CMYK.
    c.rgbImage = 1;
    c.rgbText = 2;
    c.rgbGraphics = 3;
    c.cmykImage = 4;
    c.cmykText = 1;
    c.cmykGraphics = 2;
    EXPECT_EQ(Group(), manual +
                           "@PJL SET XMANUALCOLORRGBTEXT = SRGBVIVID\n"
                           "@PJL SET XMANUALCOLORRGBGRAPHICS = VIVID\n"
                           "@PJL SET XMANUALCOLORRGBIMAGE = SRGBDISPLAY\n"
                           "@PJL SET XMANUALCOLORCMYKTEXT = USCMYK\n"
                           "@PJL SET XMANUALCOLORCMYKGRAPHICS = EUROCMYK\n"
                           "@PJL SET XMANUALCOLORCMYKIMAGE = OFF\n");
    // An out-of-range correction counts as manual for the word but not for the fields.
    c.correction = 4;
    EXPECT_EQ(Group(), manual);
    c.correction = 2;
    EXPECT_EQ(Group(), "@PJL SET XCOLORCORRECTION = AUTO\n");
}

TEST_F(JobColor, BalanceIsSignedAndOnlyWhenEnabled) {
    ColorSettings &c = dm().color;
    c.balanceCyan = -5;
    c.balanceMagenta = 0;
    c.balanceYellow = 7;
    c.balanceBlack = -2147483647 - 1;
    EXPECT_EQ(Group(), "");
    c.balanceEnabled = 1;
    EXPECT_EQ(Group(),
              "@PJL SET XCOLORBALANCECYAN = -5\n"
              "@PJL SET XCOLORBALANCEMAGENTA = 0\n"
              "@PJL SET XCOLORBALANCEYELLOW = 7\n"
              "@PJL SET XCOLORBALANCEBLACK = -2147483648\n");
}

TEST_F(JobColor, ColorThriftIsOnOnlyForTwo) {
    const std::pair<uint32_t, const char *> cases[] = {{0, nullptr}, {1, "OFF"}, {2, "ON"}, {3, "OFF"}};
    for (auto [value, word] : cases) {
        dm().color.colorThrift = value;
        EXPECT_EQ(Group(), word ? std::string("@PJL SET XCOLORTHRIFT = ") + word + "\n" : "") << value;
    }
}
