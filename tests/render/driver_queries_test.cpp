// The questions the renderer asks the driver's helper, answered by a helper
// that behaves like the driver's, including malformed replies.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "render/driver_queries.h"
#include "render/option_reply.h"
#include "tests/host/fake_core_ps.h"
#include "tests/host/guarded_buffer.h"

using namespace testbed;
using Guard = GuardedBuffer::Guard;

namespace {

class DriverQueries : public ::testing::Test {
protected:
    void SetUp() override {
        core = FakeCorePs::Create();
        publicDm.dmSize = sizeof(publicDm);
        dev.dwSize = sizeof(dev);
        dev.pdevOEM = &state;
        dev.pPublicDM = &publicDm;
        dev.pOEMDM = &state;  // present; the queries do not read it
    }
    void TearDown() override { EXPECT_EQ(core->Release(), 0u) << "a query kept a reference"; }

    void PagesPerSheet(const std::string &option) {
        core->SetFeature("%PagePerSheet", {"1", "2", "4", "Booklet"}, option);
    }

    FakeCorePs *core = nullptr;
    DeviceState state{};
    DEVMODEW publicDm{};
    DEVOBJ dev{};
};

BOOL APIENTRY FirstStartDoc(SURFOBJ *, LPWSTR, DWORD) { return TRUE; }
BOOL APIENTRY SecondStartDoc(SURFOBJ *, LPWSTR, DWORD) { return TRUE; }

}  // namespace

TEST_F(DriverQueries, FeatureIsDefinedWhenItsOptionsHaveASize) {
    core->SetFeature("HasManualDuplex", {"True", "False"}, "True");
    EXPECT_TRUE(HasPpdFeature(&dev, core, "HasManualDuplex"));
    EXPECT_FALSE(HasPpdFeature(&dev, core, "HasKeepPreviousPHJobs"));
    EXPECT_FALSE(HasPpdFeature(nullptr, core, "HasManualDuplex"));
    EXPECT_FALSE(HasPpdFeature(&dev, nullptr, "HasManualDuplex"));
    DEVOBJ stateless = dev;
    stateless.pdevOEM = nullptr;
    EXPECT_FALSE(HasPpdFeature(&stateless, core, "HasManualDuplex"));
}

TEST_F(DriverQueries, PagesPerSheetFromTheSelectedOption) {
    for (const char *booklet : {"Booklet", "booklet", "BOOKLET"}) {
        PagesPerSheet(booklet);
        EXPECT_EQ(QueryPagesPerSheet(&dev, core), 1) << booklet;
    }
    PagesPerSheet("4");
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 4);
    PagesPerSheet("16");
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 16);
    PagesPerSheet("6up");
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 6);
    PagesPerSheet("Booklets");
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 0) << "an option without leading digits";
    PagesPerSheet("99999999999999");
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), INT_MAX);

    // The request is the one keyword as a list of its own, probed then fetched.
    core->optionsCalls.clear();
    PagesPerSheet("2");
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 2);
    ASSERT_EQ(core->optionsCalls.size(), 2u);
    EXPECT_EQ(core->optionsCalls[0].request, std::string("%PagePerSheet\0\0", 15));
    EXPECT_FALSE(core->optionsCalls[0].hadBuffer);
    EXPECT_TRUE(core->optionsCalls[1].hadBuffer);
    EXPECT_EQ(core->optionsCalls[1].cbSize, sizeof("%PagePerSheet\0" "2\0"));
}

TEST_F(DriverQueries, PagesPerSheetFallsBackToOne) {
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 1) << "the printer has no such feature";
    PagesPerSheet("4");
    EXPECT_EQ(QueryPagesPerSheet(&dev, nullptr), 1);
    EXPECT_EQ(QueryPagesPerSheet(nullptr, core), 1);
    core->failOptionsFill = true;
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 1);
    core->failOptionsFill = false;
    // Malformed replies from the driver.
    core->OverrideOptionsReply(std::string("%PagePerSheet\0" "4", 15));  // option unterminated
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 4);
    core->OverrideOptionsReply(std::string("%PagePerSheet"));  // no option at all
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 1);
    core->OverrideOptionsReply(std::string("Duplex\0" "4\0\0", 10));  // another feature
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 1);
    core->OverrideOptionsReply(std::string());
    EXPECT_EQ(QueryPagesPerSheet(&dev, core), 1);
}

TEST(OptionReply, NeverReadsPastTheReplySize) {
    struct Case {
        std::string reply;
        bool found;
        int pages;
    };
    const Case cases[] = {
        {std::string("%PagePerSheet\0" "4\0\0", 17), true, 4},
        {std::string("%PagePerSheet\0" "12", 16), true, 12},
        {std::string("%PagePerSheet\0" "Booklet", 21), true, 1},
        {std::string("%PagePerSheet\0" "bookle", 20), true, 0},
        {std::string("%PagePerSheet\0", 14), true, 0},
        {std::string("%PagePerSheet"), false, 0},
        {std::string("%PagePer"), false, 0},
        {std::string(), false, 0},
    };
    for (const Case &c : cases) {
        for (Guard guard : {Guard::After, Guard::Before}) {
            GuardedBuffer buffer(c.reply.size(), guard);
            std::memcpy(buffer.data(), c.reply.data(), c.reply.size());
            int pages = -1;
            EXPECT_EQ(PagesPerSheetFromReply(reinterpret_cast<const char *>(buffer.data()), c.reply.size(), &pages),
                      c.found)
                << c.reply;
            if (c.found) {
                EXPECT_EQ(pages, c.pages) << c.reply;
            }
        }
    }
}

TEST_F(DriverQueries, SheetsFromPagesAndPagesPerSheet) {
    state.psPageCount = 5;
    PagesPerSheet("4");
    EXPECT_EQ(GetSheetCount(&dev, core), 2);
    state.psPageCount = 8;
    EXPECT_EQ(GetSheetCount(&dev, core), 2);
    state.psPageCount = 0;
    EXPECT_EQ(GetSheetCount(&dev, core), 0);
    state.psPageCount = INT_MAX;
    PagesPerSheet("2");
    EXPECT_EQ(GetSheetCount(&dev, core), INT_MAX / 2 + 1);
    state.psPageCount = 5;
    PagesPerSheet("Booklet");
    EXPECT_EQ(GetSheetCount(&dev, core), 5);
    PagesPerSheet("Booklets");
    EXPECT_EQ(GetSheetCount(&dev, core), 1) << "no usable count of pages per sheet";
    EXPECT_EQ(GetSheetCount(&dev, nullptr), 1);
    EXPECT_EQ(GetPsPageCount(&dev), 5);
    EXPECT_EQ(GetPsPageCount(nullptr), 1);
}

TEST_F(DriverQueries, ManualDuplexNeedsTheFeatureAndATwoSidedJob) {
    core->SetFeature("HasManualDuplex", {"True", "False"}, "True");
    publicDm.dmDuplex = DMDUP_VERTICAL;
    EXPECT_TRUE(ManualDuplexApplies(&dev, core));
    publicDm.dmDuplex = DMDUP_HORIZONTAL;
    EXPECT_TRUE(ManualDuplexApplies(&dev, core));
    publicDm.dmDuplex = DMDUP_SIMPLEX;
    EXPECT_FALSE(ManualDuplexApplies(&dev, core));
    publicDm.dmDuplex = DMDUP_VERTICAL;
    dev.pPublicDM = nullptr;
    EXPECT_FALSE(ManualDuplexApplies(&dev, core));
    dev.pPublicDM = &publicDm;
    core->RemoveFeature("HasManualDuplex");
    EXPECT_FALSE(ManualDuplexApplies(&dev, core));
}

TEST_F(DriverQueries, WritesGoIntoTheJobAsGiven) {
    const char text[] = "%%Page: 1 1\n";
    WriteToJob(&dev, core, text, sizeof(text) - 1);
    WriteToJob(&dev, core, text, 0);
    WriteToJob(&dev, nullptr, text, sizeof(text) - 1);
    EXPECT_EQ(core->Spooled(), "%%Page: 1 1\n");
    EXPECT_EQ(core->spoolWrites, 1);
    EXPECT_EQ(core->lastDevobj, &dev);
}

TEST(DriverFunctionTable, FirstEntryWithAnAddressWithinTheCount) {
    const ULONG count = 4;
    GuardedBuffer buffer(count * sizeof(DRVFN));
    auto *table = buffer.as<DRVFN>();
    table[0] = DRVFN{INDEX_DrvStartDoc, nullptr};
    table[1] = DRVFN{INDEX_DrvEscape, nullptr};
    table[2] = DRVFN{INDEX_DrvStartDoc, reinterpret_cast<PFN>(reinterpret_cast<void *>(&FirstStartDoc))};
    table[3] = DRVFN{INDEX_DrvStartDoc, reinterpret_cast<PFN>(reinterpret_cast<void *>(&SecondStartDoc))};
    DeviceState state{};
    state.driverFunctions = table;
    state.driverFunctionCount = count;
    EXPECT_EQ(reinterpret_cast<void *>(FindDriverFunction(&state, INDEX_DrvStartDoc)),
              reinterpret_cast<void *>(&FirstStartDoc));
    // Scanned to the end of the table, and not a byte beyond it.
    EXPECT_EQ(FindDriverFunction(&state, INDEX_DrvEscape), nullptr);
    state.driverFunctionCount = 2;
    EXPECT_EQ(FindDriverFunction(&state, INDEX_DrvStartDoc), nullptr);
    state.driverFunctions = nullptr;
    EXPECT_EQ(FindDriverFunction(&state, INDEX_DrvStartDoc), nullptr);
    EXPECT_EQ(FindDriverFunction(nullptr, INDEX_DrvStartDoc), nullptr);
}
