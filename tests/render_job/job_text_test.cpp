// The plug-in's text building from the inside: lines that cannot outgrow
// their buffers, values that cannot break out of their quotes, and what the
// job stream and injections do when memory for a line is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "render/injection.h"
#include "render/job_stream.h"
#include "render/job_text.h"
#include "tests/host/fake_core_ps.h"
#include "tests/host/guarded_buffer.h"
#include "tests/render_job/plugin_fixture.h"

using testbed::FakeCorePs;
using testbed::GuardedBuffer;

namespace {

// Numbers the plug-in's allocations from 1 and refuses the chosen ones.
struct RefusedAllocations {
    static inline int count = 0;
    static inline bool all = false;
    static inline std::set<int> chosen;
    static bool Filter(size_t) {
        ++count;
        return all || chosen.count(count) > 0;
    }
    explicit RefusedAllocations(std::set<int> which, bool everyOne = false) {
        count = 0;
        all = everyOne;
        chosen = std::move(which);
        SetAllocationFilter(&Filter);
    }
    ~RefusedAllocations() { SetAllocationFilter(nullptr); }
};

// A device as the driver hands it to the plug-in, built in place.
class Internals : public ::testing::Test {
protected:
    void SetUp() override {
        core = FakeCorePs::Create();
        std::memset(&dm, 0, sizeof(dm));
        MakeDefaultPrivateDevmode(&dm);
        std::memset(&state, 0, sizeof(state));
        state.size = sizeof(state);
        std::memset(&pub, 0, sizeof(pub));
        pub.dmSize = sizeof(pub);
        pub.dmCopies = 1;
        dev.dwSize = sizeof(dev);
        dev.pdevOEM = &state;
        dev.pOEMDM = &dm;
        dev.pPublicDM = &pub;
    }
    void TearDown() override { core->Release(); }

    std::string Inject(DWORD index) {
        core->ClearSpooled();
        EXPECT_EQ(HandleInjection(&dev, index, core), S_OK) << index;
        return core->Spooled();
    }
    void ManualDuplexTwoUp() {
        core->SetFeature("HasManualDuplex", {"True", "False"}, "True");
        core->SetFeature("%PagePerSheet", {"1", "2"}, "2");
        pub.dmDuplex = DMDUP_VERTICAL;
    }

    FakeCorePs *core = nullptr;
    PrivateDevmode dm;
    DeviceState state;
    DEVMODEW pub;
    DEVOBJ dev{};
};

}  // namespace

TEST(TextLine, CutsAtTheBufferAndStillEndsTheLine) {
    std::string longValue(5000, 'v');
    TextLine line;
    ASSERT_TRUE(line.ok());
    line.Format("@PJL SET JOBNAME = \"%s\"", longValue.c_str());
    EXPECT_EQ(line.length(), kLineBufferSize - 1);
    line.EndLine();
    ASSERT_EQ(line.length(), kLineBufferSize - 1);
    EXPECT_EQ(line.text()[kLineBufferSize - 2], '\n');
    EXPECT_EQ(std::string(line.text(), 20), "@PJL SET JOBNAME = \"");

    // Appending to a full line changes nothing; a short line gets its line feed.
    line.Append("%s", "more");
    line.AppendText("more");
    EXPECT_EQ(line.length(), kLineBufferSize - 1);
    line.Format("%s", "short");
    line.EndLine();
    EXPECT_STREQ(line.text(), "short\n");
    // Fixed text keeps its percent signs; formats take them as directives.
    line.Clear();
    line.AppendText("%%Page: %d");
    EXPECT_STREQ(line.text(), "%%Page: %d");
}

TEST(PjlValue, ReadsNoFurtherThanTheFieldAndWritesNoFurtherThanTheBuffer) {
    // A field without its terminator, right against a page that faults.
    GuardedBuffer field(8 * sizeof(wchar_t));
    ASSERT_TRUE(field.ok());
    for (int i = 0; i < 8; ++i) field.as<wchar_t>()[i] = static_cast<wchar_t>(L'A' + i);
    char out[32];
    ASSERT_TRUE(ToPjlValue(field.as<wchar_t>(), 8, out, sizeof(out)));
    EXPECT_STREQ(out, "ABCDEFGH");

    // An output just too small refuses rather than cutting a character in two
    // or writing past its end.
    GuardedBuffer small(8);
    ASSERT_TRUE(small.ok());
    EXPECT_FALSE(ToPjlValue(field.as<wchar_t>(), 8, small.as<char>(), 8));
    EXPECT_EQ(small.as<char>()[0], '\0');
    GuardedBuffer exact(9);
    ASSERT_TRUE(exact.ok());
    EXPECT_TRUE(ToPjlValue(field.as<wchar_t>(), 8, exact.as<char>(), 9));
    EXPECT_STREQ(exact.as<char>(), "ABCDEFGH");
}

TEST_F(Internals, NoMemoryAtAllWritesNothingButKeepsCountingAndKeepsFlagsDue) {
    RefusedAllocations refuse({}, true);
    ManualDuplexTwoUp();
    for (DWORD index : {PSINJECT_BEGINSTREAM, PSINJECT_PSADOBE, PSINJECT_COMMENTS, PSINJECT_BEGINSETUP,
                        PSINJECT_EOF})
        EXPECT_EQ(Inject(index), "") << index;
    EXPECT_FALSE(WriteJobHeader(&dev, core));
    EXPECT_FALSE(WriteJobTrailer(&dev, core));

    state.manualDuplexActive = 1;
    state.duplexSideRequests = 1;
    state.showPageMark = 5;
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(Inject(PSINJECT_PAGENUMBER), "");
        EXPECT_EQ(Inject(PSINJECT_BEGINPAGESETUP), "");
        EXPECT_EQ(state.psPageCount, page);
        EXPECT_EQ(Inject(PSINJECT_ENDPAGESETUP), "");
        if (page == 2) {
            EXPECT_EQ(state.eraseArmed, 1u);
        }
        EXPECT_EQ(Inject(PSINJECT_SHOWPAGE), "");
        EXPECT_EQ(state.showPageMark, 0u);
        EXPECT_EQ(Inject(PSINJECT_PAGETRAILER), "");
        EXPECT_EQ(state.duplexSideRequests, 1) << "the side command is still due";
    }
    EXPECT_EQ(state.erasePending, 1u) << "the erase is still due";
    EXPECT_EQ(state.eraseArmed, 0u);

    // Memory back: the due texts go out at the next chance.
    refuse.all = false;
    EXPECT_EQ(Inject(PSINJECT_PAGETRAILER),
              "statusdict dup /setmanualduplexmode known {begin 1 setmanualduplexmode end}{pop}ifelse\n"
              "erasepage\n");
    EXPECT_EQ(state.duplexSideRequests, 0);
    EXPECT_EQ(state.erasePending, 0u);
}

TEST_F(Internals, NoMemoryForTheUserNameLeavesTheHostOnly) {
    wcscpy(state.documentName, L"d");
    {
        // The header's line first, then the user name's buffer.
        RefusedAllocations refuse({2});
        EXPECT_TRUE(WriteJobHeader(&dev, core));
    }
    std::vector<std::string> lines = Lines(core->Spooled());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "@PJL XJOBINFO HOSTID = \"" + ComputerNameA() + "\"\n");
    EXPECT_EQ(lines[3], "@PJL SET JOBNAME = \"d\"\n");
}

TEST_F(Internals, NoMemoryForOneSettingsLineLosesOnlyThatLine) {
    dm.outputDestination = DEST_CONFIDENTIAL;
    wcscpy(dm.holdUserName, L"u");
    wcscpy(dm.holdPin, L"1111");
    wcscpy(state.documentName, L"d");
    {
        RefusedAllocations refuse({2});
        EXPECT_TRUE(WriteJobSettings(&dev, core));
    }
    EXPECT_EQ(core->Spooled(),
              "@PJL SET USERNAME = \"u\"\n"
              "@PJL SET HOLDTYPE = PRIVATE\n"
              "@PJL SET HOLDKEY = \"1111\"\n"
              "@PJL RDYMSG DISPLAY = \"d\"\n"
              "@PJL ENTER LANGUAGE = Postscript \n");
}

TEST_F(Internals, MissingPartsFailBeforeAnythingIsWrittenOrCounted) {
    EXPECT_EQ(HandleInjection(&dev, PSINJECT_BEGINPAGESETUP, nullptr), E_FAIL);
    EXPECT_EQ(HandleInjection(nullptr, PSINJECT_BEGINPAGESETUP, core), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(state.psPageCount, 0);
    EXPECT_FALSE(WriteJobHeader(nullptr, core));
    EXPECT_FALSE(WriteJobSettings(nullptr, core));
    dev.pdevOEM = nullptr;
    EXPECT_FALSE(WriteJobHeader(&dev, core));
    EXPECT_FALSE(WriteJobSettings(&dev, core));
    EXPECT_EQ(core->Spooled(), "");
}

TEST_F(Internals, VerifyPrintWithoutAPublicDevmodeLeavesOutTheCopiesOnly) {
    dm.outputDestination = DEST_VERIFY;
    wcscpy(dm.holdUserName, L"v");
    dev.pPublicDM = nullptr;
    EXPECT_EQ(Inject(PSINJECT_PSADOBE),
              "@PJL SET USERNAME = \"v\"\n"
              "@PJL SET HOLD = PROOF\n"
              "@PJL RDYMSG DISPLAY = \"\"\n"
              "@PJL ENTER LANGUAGE = Postscript \n");
}
