// What the plug-in writes at the PostScript injection points, and the page
// and manual-duplex state it keeps, driven through Command as the driver
// drives it.
#include <gtest/gtest.h>

#include "tests/render_job/plugin_fixture.h"

namespace {

const std::string kT4 = "statusdict dup /setmanualduplexmode known {begin 1 setmanualduplexmode end}{pop}ifelse\n";
const std::string kT5 = "statusdict dup /setmanualduplexmode known {begin 2 setmanualduplexmode end}{pop}ifelse\n";
const std::string kT6 = "clippath pathbbox translate 180 rotate pop pop\r\n";
const std::string kT7 =
    "/definenup {pop pop pop pop pop pop} def\n"
    "/definenup {pop pop pop pop pop pop} def\n"
    "/startnup {pop pop} def\n"
    "userdict /realshowpage known {finalpage} if\r\n"
    "/finalpage {} def\n";
const std::string kT8 = "/definenup {} def\n/startnup {} def\n/finalpage {} def\n";
const std::string kT9 = "dn6 dn5 dn4 dn3 dn2 dn1 definenup\nsn2 sn1 startnup\n";
const std::string kT10 = "finalpage\n" + kT9;
const std::string kT11 =
    "/sn1 exch def\n/sn2 exch def\n/dn1 exch def\n/dn2 exch def\n/dn3 exch def\n/dn4 exch def\n/dn5 exch "
    "def\n/dn6 exch def\n";
const std::string kT12 = "erasepage\n";
const std::string kT13 =
    "\n/definenup {/LH/nupshowpage ld nupv astore !/pgx_nup 0 store/pgy_nup 0 store} def\n"
    "/startnup {/pgy_nup ~ store /pgx_nup ~ store nupv aload !/ny_nup ~ store/nx_nup ~ "
    "store/pageh_nup ~ store /pagew_nup ~ store/borderlinewidth ~ store @/nupangle ~ store R "
    "clippath/nups pathbbox 3 -1 $ sub papermarg_nup sub ny_nup V pagemarg_nup sub pageh_nup V "
    "~ 3 -1 $ sub papermarg_nup sub nx_nup V pagemarg_nup sub pagew_nup V 2 copy gt{~}if ! "
    "store nups @ +S/paperw_nup pagew_nup pagemarg_nup nups V add store/paperh_nup pageh_nup "
    "pagemarg_nup nups V add store pathbbox $m aload ! pagemarg_nup nups V @ 8 ^ 11 ^ sub "
    "paperh_nup ny_nup mul sub add 2 V ~ 9 ^ 12 ^ sub paperw_nup nx_nup mul sub add 2 V 7 ^ 0 "
    "eq{8 -4 $ 4 2 $ 8 4 $}if 8 -2 $ add 0 gt{9}{neg 7} ? ^ add 4 -1 $ sub ~ 5 -2 $ add 0 "
    "gt{5}{neg 3}? ^ add 3 -1 $ sub 2 copy/yoffset ~ store/xoffset ~ store + ! ! ! "
    "!/paperw_nup paperw_nup paperh_nup $m idtransform abs/paperh_nup ~ store abs "
    "store/pagew_nup pagew_nup pageh_nup $m idtransform abs/pageh_nup ~ store abs store $m 0 "
    "get abs $m 1 get abs lt{ /nx_nup ny_nup/ny_nup nx_nup store store}if borderlinewidth 0 "
    "gt{.48 nups V @ /borderlinewidth ~ store Lw}{/framenup F d}? $m concat pgx_nup paperw_nup "
    "mul pgy_nup paperh_nup mul + $m matrix invertmatrix concat N startpage} def\n"
    "userdict /realshowpage known {finalpage} if\r\n"
    "/finalpage {; realshowpage/LH/realshowpage ld} def\n";

class Injection : public PluginFixture {
protected:
    // The page-level points of one page, the way the driver reaches them.
    struct PageTexts {
        std::string number, beginSetup, endSetup, showPage, trailer;
    };
    PageTexts Page() {
        PageTexts p;
        p.number = Text(PSINJECT_PAGENUMBER);
        p.beginSetup = Text(PSINJECT_BEGINPAGESETUP);
        p.endSetup = Text(PSINJECT_ENDPAGESETUP);
        p.showPage = Text(PSINJECT_SHOWPAGE);
        p.trailer = Text(PSINJECT_PAGETRAILER);
        return p;
    }
};

std::string PageComment(int n) { return "%%Page: " + std::to_string(n) + " " + std::to_string(n) + "\n"; }

}  // namespace

TEST_F(Injection, DocumentPoints) {
    EXPECT_EQ(Text(PSINJECT_COMMENTS), "%%Corvane PS System Driver Version:  3.0\n");
    const std::string policy =
        "[{\r\n"
        "<< currentpagedevice /InputAttributes get 0 get /PageSize get /PageSize exch /Policies << /PageSize 2 >> >> "
        "setpagedevice\r\n"
        "} stopped cleartomark\r\n";
    EXPECT_EQ(Text(PSINJECT_BEGINSETUP), policy);
    dm().pageSizePolicy = 65535;  // printed unsigned, whatever the record holds
    EXPECT_NE(Text(PSINJECT_BEGINSETUP).find("/Policies << /PageSize 65535 >>"), std::string::npos);
    for (uint32_t destination : {DEST_FILE, DEST_FAX, DEST_CONFIDENTIAL, DEST_VERIFY}) {
        dm().outputDestination = destination;
        EXPECT_NE(Text(PSINJECT_BEGINSETUP), "") << "destination " << destination;
    }
    // An EPS file must not set the page device of the document it is placed in.
    dm().outputDestination = DEST_EPS;
    EXPECT_EQ(Text(PSINJECT_BEGINSETUP), "");
}

TEST_F(Injection, UnusedPointsAnswerNotSupportedAndWriteNothing) {
    const DWORD unused[] = {0, 3, 4, 12, 13, 14, 15, 17, 18, 20, 21, 104, 106, 107, 200, 201, PSINJECT_DLFONT};
    for (DWORD index : unused) {
        Answer a = Command(index);
        EXPECT_EQ(a.hr, S_OK) << index;
        EXPECT_EQ(a.result, static_cast<DWORD>(ERROR_NOT_SUPPORTED)) << index;
        EXPECT_EQ(a.text, "") << index;
    }
}

TEST_F(Injection, MissingDeviceStateOrSettingsFailWithoutTouchingAnything) {
    DEVOBJ copy = *device().dev();
    copy.pdevOEM = nullptr;
    DWORD result = 0;
    EXPECT_EQ(host.plugin()->Command(&copy, PSINJECT_BEGINPAGESETUP, nullptr, 0, &result), E_FAIL);
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    copy = *device().dev();
    copy.pOEMDM = nullptr;
    EXPECT_EQ(host.plugin()->Command(&copy, PSINJECT_BEGINPAGESETUP, nullptr, 0, &result), E_FAIL);
    // Even an unused point fails when the device is incomplete.
    EXPECT_EQ(host.plugin()->Command(&copy, 12, nullptr, 0, &result), E_FAIL);
    EXPECT_EQ(state().psPageCount, 0);
    EXPECT_EQ(core().Spooled(), "");
}

TEST_F(Injection, PagesAreCountedAtPageSetupAndCommentedAhead) {
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(1));
    EXPECT_EQ(state().psPageCount, 0);
    EXPECT_EQ(Text(PSINJECT_BEGINPAGESETUP), "");
    EXPECT_EQ(state().psPageCount, 1);
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(2));
    // A count that arrives through the escapes is taken as it stands.
    state().psPageCount = 41;
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(42));
    state().psPageCount = 2147483647;
    Text(PSINJECT_BEGINPAGESETUP);
    EXPECT_EQ(state().psPageCount, 2147483647);
}

TEST_F(Injection, RotationEndsEveryPageSetupWithOrWithoutManualDuplex) {
    dm().rotate180 = 1;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Page().endSetup, kT6);
    EnableManualDuplex(2);
    PageTexts p = Page();  // page 4: the second of its sheet
    EXPECT_EQ(p.endSetup, kT6);
    p = Page();  // page 5: first of a sheet, so the capture follows the rotation
    EXPECT_EQ(p.endSetup, kT6 + kT11);
}

TEST_F(Injection, SideCommandsGoOutOnceAtThePageCommentForOnePagePerSheet) {
    state().duplexSideRequests = 1;
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(1) + kT4);
    EXPECT_EQ(state().duplexSideRequests, 0);
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(1));
    state().duplexSideRequests = 2;
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(1) + kT5);
    EXPECT_EQ(state().duplexSideRequests, 0);
    // Both due is no request the printer could act on: nothing, and both stay.
    state().duplexSideRequests = 3;
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(1));
    EXPECT_EQ(Text(PSINJECT_PAGETRAILER), "");
    EXPECT_EQ(state().duplexSideRequests, 3);
    // Without manual duplex the page trailer never sends one.
    state().duplexSideRequests = 1;
    EXPECT_EQ(Text(PSINJECT_PAGETRAILER), "");
    EXPECT_EQ(state().duplexSideRequests, 1);
}

TEST_F(Injection, SideCommandsMoveToThePageTrailerUnderManualDuplexNup) {
    EnableManualDuplex(2);
    state().duplexSideRequests = 2;
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(1));
    EXPECT_EQ(state().duplexSideRequests, 2);
    Text(PSINJECT_BEGINPAGESETUP);
    EXPECT_EQ(Text(PSINJECT_PAGETRAILER), kT5);
    EXPECT_EQ(state().duplexSideRequests, 0);
    // N-up without manual duplex (a simplex job): neither point sends it.
    publicDm().dmDuplex = DMDUP_SIMPLEX;
    state().duplexSideRequests = 1;
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(2));
    EXPECT_EQ(Text(PSINJECT_PAGETRAILER), "");
    EXPECT_EQ(state().duplexSideRequests, 1);
}

TEST_F(Injection, CoverPageNeutralisesNupEvenUnderManualDuplex) {
    EnableManualDuplex(2);
    dm().outputDestination = DEST_FAX;
    dm().fax.sendCoverPage = 1;
    state().coverPageMode = 1;
    PageTexts p = Page();
    EXPECT_EQ(p.beginSetup, kT7);
    EXPECT_EQ(state().psPageCount, 1);
    // The neutralised calls ate their arguments: nothing is left to capture.
    EXPECT_EQ(p.endSetup, "");

    // Any missing condition: the ordinary manual-duplex text.
    state().psPageCount = 0;
    state().coverPageMode = 0;
    EXPECT_EQ(Page().beginSetup, kT8);
    state().psPageCount = 0;
    state().coverPageMode = 1;
    dm().fax.sendCoverPage = 0;
    EXPECT_EQ(Page().beginSetup, kT8);
    state().psPageCount = 0;
    dm().fax.sendCoverPage = 1;
    dm().outputDestination = DEST_PRINTER;
    EXPECT_EQ(Page().beginSetup, kT8);
    // And with neither N-up nor manual duplex, the cover page still gets it.
    publicDm().dmDuplex = DMDUP_SIMPLEX;
    SetPagesPerSheet(1);
    dm().outputDestination = DEST_FAX;
    EXPECT_EQ(Page().beginSetup, kT7);
}

TEST_F(Injection, ManualDuplexTwoUpRebuildsTheDriversNupPerSheet) {
    EnableManualDuplex(2);
    PageTexts p1 = Page();
    EXPECT_EQ(p1.number, PageComment(1));
    EXPECT_EQ(p1.beginSetup, kT8);
    EXPECT_EQ(p1.endSetup, kT11);
    EXPECT_EQ(p1.showPage, kT13);
    EXPECT_EQ(kT13.size(), 1368u);
    EXPECT_EQ(p1.trailer, "");

    PageTexts p2 = Page();
    EXPECT_EQ(p2.beginSetup, kT9);
    EXPECT_EQ(p2.endSetup + p2.showPage + p2.trailer, "");
    PageTexts p3 = Page();
    EXPECT_EQ(p3.beginSetup, kT8);
    EXPECT_EQ(p3.endSetup, kT11);
    EXPECT_EQ(p3.showPage, p1.showPage);
    PageTexts p4 = Page();
    EXPECT_EQ(p4.beginSetup, kT10);
    EXPECT_EQ(p4.endSetup + p4.showPage, "");
    PageTexts p5 = Page();
    EXPECT_EQ(p5.beginSetup, kT8);
    EXPECT_EQ(p5.endSetup, kT11);
    EXPECT_EQ(p5.showPage, p1.showPage);
}

TEST_F(Injection, ManualDuplexFourUpLeavesTheLaterPagesOfASheetAlone) {
    EnableManualDuplex(4);
    std::vector<PageTexts> pages;
    for (int i = 0; i < 8; ++i) pages.push_back(Page());
    EXPECT_EQ(pages[0].beginSetup, kT8);
    EXPECT_EQ(pages[1].beginSetup, kT9);
    EXPECT_EQ(pages[4].beginSetup, kT8);
    EXPECT_EQ(pages[5].beginSetup, kT10);
    for (int i : {2, 3, 6, 7}) {
        EXPECT_EQ(pages[i].beginSetup, "") << "page " << i + 1;
        EXPECT_EQ(pages[i].endSetup, "") << "page " << i + 1;
        EXPECT_EQ(pages[i].showPage, "") << "page " << i + 1;
    }
    EXPECT_EQ(pages[4].showPage.size(), 1368u);
}

TEST_F(Injection, NupTextsNeedManualDuplexAndSeveralPagesPerSheet) {
    // N-up alone, manual duplex on a printer without the feature, and manual
    // duplex at one page per sheet or in booklet mode: no N-up text.
    SetPagesPerSheet(2);
    publicDm().dmDuplex = DMDUP_VERTICAL;
    for (int i = 0; i < 3; ++i) {
        PageTexts p = Page();
        EXPECT_EQ(p.beginSetup + p.endSetup + p.showPage + p.trailer, "");
    }
    GiveFeature("HasManualDuplex");
    publicDm().dmDuplex = DMDUP_HORIZONTAL;
    core().SetSelection("%PagePerSheet", "Booklet");
    state().psPageCount = 0;
    for (int i = 0; i < 3; ++i) {
        PageTexts p = Page();
        EXPECT_EQ(p.beginSetup + p.endSetup + p.showPage + p.trailer, "");
    }
    core().SetSelection("%PagePerSheet", "2");
    state().psPageCount = 0;
    EXPECT_EQ(Page().beginSetup, kT8);
}

TEST_F(Injection, EraseIsArmedOnASheetsSecondPageAndWrittenAfterTheNextSheetsFirst) {
    EnableManualDuplex(2);
    state().manualDuplexActive = 1;
    PageTexts p1 = Page();
    EXPECT_EQ(state().eraseArmed, 0u);
    PageTexts p2 = Page();
    EXPECT_EQ(state().eraseArmed, 1u);
    EXPECT_EQ(state().erasePending, 0u);
    EXPECT_EQ(p2.trailer, "");
    // Page 3 begins the next sheet: the erase becomes due at its trailer.
    EXPECT_EQ(Text(PSINJECT_PAGENUMBER), PageComment(3));
    Text(PSINJECT_BEGINPAGESETUP);
    Text(PSINJECT_ENDPAGESETUP);
    EXPECT_EQ(state().eraseArmed, 0u);
    EXPECT_EQ(state().erasePending, 1u);
    Text(PSINJECT_SHOWPAGE);
    EXPECT_EQ(Text(PSINJECT_PAGETRAILER), kT12);
    EXPECT_EQ(state().erasePending, 0u);
    EXPECT_EQ(Text(PSINJECT_PAGETRAILER), "");
    // Without an active manual-duplex job nothing is armed.
    state().manualDuplexActive = 0;
    Page();
    EXPECT_EQ(state().eraseArmed, 0u);
    // A pending erase from outside goes out even without manual duplex.
    publicDm().dmDuplex = DMDUP_SIMPLEX;
    state().erasePending = 1;
    EXPECT_EQ(Text(PSINJECT_PAGETRAILER), kT12);
    (void)p1;
}

TEST_F(Injection, ShowPageClearsTheMark) {
    state().showPageMark = 0x1234;
    EXPECT_EQ(Text(PSINJECT_SHOWPAGE), "");
    EXPECT_EQ(state().showPageMark, 0u);
}
