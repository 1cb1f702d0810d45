#include "tests/ui_quality/template_check.h"

#include <commctrl.h>

#include <cstdio>
#include <map>

#include "platform/raii.h"

namespace quality {
namespace {

INT_PTR CALLBACK TemplateProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

BOOL CALLBACK CollectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR lParam) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<WORD> *>(lParam)->push_back(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

std::string Narrow(const std::wstring &w) {
    std::string s;
    for (wchar_t c : w) s += (c < 128) ? static_cast<char>(c) : '?';
    return s;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Control rectangle in the dialog's client coordinates.
RECT RectIn(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

enum class Kind { Other, Text, PushButton, CheckOrRadio, GroupBox, Input };

LONG StyleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

Kind KindOf(HWND control) {
    std::wstring cls = ClassOf(control);
    LONG style = StyleOf(control);
    if (lstrcmpiW(cls.c_str(), L"Static") == 0) {
        switch (style & SS_TYPEMASK) {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
        case SS_LEFTNOWORDWRAP:
        case SS_SIMPLE:
            return Kind::Text;
        default:
            return Kind::Other;
        }
    }
    if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            return Kind::PushButton;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return Kind::CheckOrRadio;
        case BS_GROUPBOX:
            return Kind::GroupBox;
        default:
            return Kind::Other;
        }
    }
    if (lstrcmpiW(cls.c_str(), L"Edit") == 0 || lstrcmpiW(cls.c_str(), L"ComboBox") == 0 ||
        lstrcmpiW(cls.c_str(), L"ListBox") == 0 || lstrcmpiW(cls.c_str(), TRACKBAR_CLASSW) == 0 ||
        lstrcmpiW(cls.c_str(), WC_LISTVIEWW) == 0)
        return Kind::Input;
    return Kind::Other;
}

std::string ControlName(HWND control) {
    char line[512];
    std::snprintf(line, sizeof(line), "control %d \"%s\"", GetDlgCtrlID(control), Narrow(TextOf(control)).c_str());
    return line;
}

std::string Describe(WORD dialogId, HWND control) { return "dialog " + std::to_string(dialogId) + ", " + ControlName(control); }

// The text's extent in the control's own font; `wrapWidth` > 0 wraps the
// text at that width as a multi-line static does.
SIZE TextExtent(HWND control, const std::wstring &text, bool noPrefix, int wrapWidth) {
    SIZE extent{0, 0};
    HDC dc = GetDC(control);
    if (!dc) return extent;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    select_object_guard selected(dc, font ? font : GetStockObject(SYSTEM_FONT));
    RECT r{0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
    UINT flags = DT_CALCRECT | (noPrefix ? DT_NOPREFIX : 0) | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, text.c_str(), -1, &r, flags);
    extent = {r.right - r.left, r.bottom - r.top};
    ReleaseDC(control, dc);
    return extent;
}

int AverageCharWidth(HWND control) {
    HDC dc = GetDC(control);
    if (!dc) return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    select_object_guard selected(dc, font ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    ReleaseDC(control, dc);
    return metrics.tmAveCharWidth;
}

// Room the control leaves for its text: what a check box's box, a button's
// edges and a group box's caption indent take is not available to it.
void CheckTextFits(WORD dialogId, HWND control, Kind kind, std::vector<std::string> *findings) {
    std::wstring text = TextOf(control);
    if (text.empty()) return;
    LONG style = StyleOf(control);
    RECT client{};
    GetClientRect(control, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    bool noPrefix = kind == Kind::Text && (style & SS_NOPREFIX);
    SIZE extent{};
    switch (kind) {
    case Kind::Text: {
        int type = style & SS_TYPEMASK;
        bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        extent = TextExtent(control, text, noPrefix, wraps ? width : 0);
        break;
    }
    case Kind::PushButton:
        extent = TextExtent(control, text, false, (style & BS_MULTILINE) ? width : 0);
        width -= 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
        height -= 2 * GetSystemMetrics(SM_CYEDGE);
        break;
    case Kind::CheckOrRadio:
        extent = TextExtent(control, text, false, 0);
        // The box and the gap before the text, as the button draws them.
        width -= GetSystemMetrics(SM_CXMENUCHECK) + AverageCharWidth(control) / 2;
        break;
    case Kind::GroupBox:
        extent = TextExtent(control, text, false, 0);
        width -= 2 * AverageCharWidth(control);
        height = extent.cy;  // the caption sits on the frame, not inside a line
        break;
    default:
        return;
    }
    if (extent.cx > width || extent.cy > height) {
        char line[160];
        std::snprintf(line, sizeof(line), ": text needs %ldx%ld px, the control gives %dx%d", extent.cx, extent.cy,
                      width, height);
        findings->push_back(Describe(dialogId, control) + line);
    }
}

bool Contains(const RECT &outer, const RECT &inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool IsVisibleInTemplate(HWND control) { return (StyleOf(control) & WS_VISIBLE) != 0; }

bool IsUpDown(HWND control) { return lstrcmpiW(ClassOf(control).c_str(), UPDOWN_CLASSW) == 0; }

bool IsBuddyPair(HWND upDown, HWND buddy) {
    return IsUpDown(upDown) && reinterpret_cast<HWND>(SendMessageW(upDown, UDM_GETBUDDY, 0, 0)) == buddy;
}

// The character a label's "&" makes its mnemonic, upper-cased; 0 for none.
wchar_t Mnemonic(const std::wstring &text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] == L'&') {
            ++i;
            continue;
        }
        return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(
            reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(text[i + 1])))));
    }
    return 0;
}

bool TakesFocus(Kind kind) {
    return kind == Kind::Input || kind == Kind::PushButton || kind == Kind::CheckOrRadio;
}

}  // namespace

HWND CreateTemplate(HMODULE module, WORD id, HWND parent) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(module, path, MAX_PATH);
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
    request.lpSource = path;
    request.lpResourceName = MAKEINTRESOURCEW(2);
    request.hModule = module;
    unique_actctx context(CreateActCtxW(&request));
    ULONG_PTR cookie = 0;
    bool active = context && ActivateActCtx(context.get(), &cookie);
    HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(id), parent, TemplateProc, 0);
    if (active) DeactivateActCtx(0, cookie);
    if (dialog && (StyleOf(dialog) & WS_CHILD)) {
        SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(dialog, SW_SHOW);
    }
    return dialog;
}

std::vector<WORD> DialogTemplateIds(HMODULE module) {
    std::vector<WORD> ids;
    EnumResourceNamesW(module, RT_DIALOG, CollectId, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

void CheckLayout(HWND dialog, WORD id, std::vector<std::string> *findings) {
    RECT bounds{};
    GetClientRect(dialog, &bounds);
    std::vector<HWND> children = Children(dialog);
    for (HWND control : children) {
        Kind kind = KindOf(control);
        CheckTextFits(id, control, kind, findings);
        RECT r = RectIn(dialog, control);
        if (!Contains(bounds, r)) findings->push_back(Describe(id, control) + ": lies outside the dialog");
    }
    for (size_t i = 0; i < children.size(); ++i) {
        for (size_t j = i + 1; j < children.size(); ++j) {
            HWND a = children[i], b = children[j];
            // Controls that take turns in one place are never shown together.
            if (IsVisibleInTemplate(a) != IsVisibleInTemplate(b)) continue;
            RECT ra = RectIn(dialog, a), rb = RectIn(dialog, b), overlap{};
            if (!IntersectRect(&overlap, &ra, &rb)) continue;
            Kind ka = KindOf(a), kb = KindOf(b);
            // An up-down control lies on its buddy's border by design.
            if (IsBuddyPair(a, b) || IsBuddyPair(b, a)) continue;
            if (ka == Kind::GroupBox && Contains(ra, rb)) continue;
            if (kb == Kind::GroupBox && Contains(rb, ra)) continue;
            findings->push_back(Describe(id, a) + " overlaps " + ControlName(b));
        }
    }
}

void CheckKeyboard(HWND dialog, WORD id, int defaultButton, std::vector<std::string> *findings) {
    std::vector<HWND> children = Children(dialog);
    std::map<wchar_t, HWND> mnemonics;
    for (HWND control : children) {
        Kind kind = KindOf(control);
        if (kind == Kind::Other || kind == Kind::Input) continue;
        if (kind == Kind::Text && (StyleOf(control) & SS_NOPREFIX)) continue;
        wchar_t key = Mnemonic(TextOf(control));
        if (!key) continue;
        auto [where, fresh] = mnemonics.emplace(key, control);
        if (!fresh) {
            char letter[8];
            std::snprintf(letter, sizeof(letter), "%c", static_cast<char>(key < 128 ? key : '?'));
            findings->push_back(Describe(id, control) + ": mnemonic " + letter + " is also that of control " +
                                std::to_string(GetDlgCtrlID(where->second)));
        }
        if (kind == Kind::Text) {
            // A label's mnemonic moves the focus to the next tab stop after it.
            HWND next = GetWindow(control, GW_HWNDNEXT);
            while (next && !(StyleOf(next) & WS_TABSTOP)) next = GetWindow(next, GW_HWNDNEXT);
            if (!next || KindOf(next) != Kind::Input)
                findings->push_back(Describe(id, control) + ": its mnemonic reaches no input control");
        }
    }
    // Tab reaches a control with WS_TABSTOP; a radio group is reached
    // through its tab stop and walked with the arrow keys.
    bool groupHasStop = false;
    std::vector<HWND> groupRadios;
    auto closeGroup = [&]() {
        if (!groupRadios.empty() && !groupHasStop)
            findings->push_back(Describe(id, groupRadios.front()) + ": its radio group cannot be reached with Tab");
        groupRadios.clear();
        groupHasStop = false;
    };
    for (HWND control : children) {
        Kind kind = KindOf(control);
        LONG style = StyleOf(control);
        if (style & WS_GROUP) closeGroup();
        bool radio = lstrcmpiW(ClassOf(control).c_str(), L"Button") == 0 &&
                     ((style & BS_TYPEMASK) == BS_RADIOBUTTON || (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON);
        if (radio) {
            groupRadios.push_back(control);
            if (style & WS_TABSTOP) groupHasStop = true;
            continue;
        }
        // Controls shown or enabled later need their tab stop as well.
        if (!TakesFocus(kind) || IsUpDown(control)) continue;
        if (!(style & WS_TABSTOP)) findings->push_back(Describe(id, control) + ": cannot be reached with Tab");
    }
    closeGroup();
    if (defaultButton) {
        LRESULT answer = SendMessageW(dialog, DM_GETDEFID, 0, 0);
        int actual = HIWORD(answer) == DC_HASDEFID ? LOWORD(answer) : 0;
        if (actual != defaultButton)
            findings->push_back("dialog " + std::to_string(id) + ": the default button is " + std::to_string(actual) +
                                ", not " + std::to_string(defaultButton));
    }
}

}  // namespace quality
