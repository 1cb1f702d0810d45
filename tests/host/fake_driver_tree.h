// The PostScript driver's document option tree as compstui receives it: the
// kinds of option items a real tree holds (two-state, a paper-size list, an
// up-down number, an edit box with its own text buffer, items named by a
// string or by a resource id only, a push button and a header without an
// option type), and the driver's two CommonUIProp calls and the callback
// its page makes when it becomes active.
#pragma once

#include <windows.h>

#include "platform/oem_abi.h"
#include "tests/host/ui_host.h"

namespace testbed {

class FakeDriverTree {
public:
    enum Item : DWORD {
        kOrientation,  // TVOT_2STATES, DMPUB_ORIENTATION
        kPaperSize,    // TVOT_LISTBOX of kPaperSizes, DMPUB_FORMNAME
        kCopies,       // TVOT_UDARROW 1..999, DMPUB_COPIES_COLLATE
        kBannerText,   // TVOT_EDITBOX, string name, no public id
        kResolution,   // TVOT_COMBOBOX of 3, string name, no public id
        kTrayMode,     // TVOT_3STATES, named by resource id kTrayModeNameId
        kHalftone,     // TVOT_PUSHBUTTON: stores nothing
        kGroup,        // no option type: stores nothing
        kItemCount
    };
    static constexpr DWORD kPaperSizes = 5;
    static constexpr WORD kTrayModeNameId = 4321;
    // The edit box's buffer: characters, terminator included.
    static constexpr size_t kBannerChars = 64;
    static const wchar_t kBannerName[];      // "Banner Text"
    static const wchar_t kResolutionName[];  // "Resolution"

    FakeDriverTree();
    FakeDriverTree(const FakeDriverTree &) = delete;
    FakeDriverTree &operator=(const FakeDriverTree &) = delete;

    OPTITEM &operator[](Item i) { return items[i]; }
    void ClearChangedFlags();

    OPTITEM items[kItemCount]{};
    // One character more than the driver declares, to catch a write past it.
    wchar_t bannerText[kBannerChars + 1]{};

private:
    OPTPARAM twoStates_[2]{}, paper_[kPaperSizes]{}, copies_[2]{}, banner_[2]{}, resolution_[3]{}, tray_[3]{},
        halftone_[1]{};
    OPTTYPE types_[7]{};
};

// The driver's side of the tree for one document sheet: CommonUIProp's
// count call and item call, then the callback as compstui makes it.
class DriverTreeSession {
public:
    DriverTreeSession(UiPluginHost *host, HANDLE printer, FakeDriverTree *tree);
    // Both CommonUIProp calls; false unless both answer S_OK.
    bool Attach();
    // The driver's page became active (hDlg = that page).
    LONG Activate(HWND page);
    OEMCUIPPARAM param{};

private:
    UiPluginHost *host_;
    OPTITEM pluginItems_[1]{};
};

}  // namespace testbed
