// Watermark dialogs of two sheets open at once on two threads of one
// process, as an application that prints from several threads shows them:
// a field being put back in one dialog must not keep the other from checking
// what its own user typed.
#include "tests/ui_wmeditor/editor_fixture.h"

#include "ui/watermark/position_dialog.h"

using namespace wmeditor;
using testbed::GetText;

namespace {

constexpr DWORD kWaitMs = 5000;

// A modal dialog run on a thread of its own. The tests open the second only
// once the first shows: Wine 8's Uniscribe, which its edit control calls for
// every text set, now and then fails when two threads set up edit text at
// once (seen as a read through a null pointer while ScriptStringAnalyse sets
// up its script cache, under the dialogs' first SetWindowText, and as a
// broken heap free list), where Windows' is safe for threads. What the tests
// are about happens with both dialogs open, and the dialogs close one after
// the other as each DialogThread ends.
class DialogThread {
public:
    explicit DialogThread(std::function<void()> run) : run_(std::move(run)) {
        thread_ = CreateThread(nullptr, 0, Main, this, 0, &id_);
    }
    ~DialogThread() {
        if (!thread_) return;
        if (dialog_) PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
        WaitForSingleObject(thread_, kWaitMs);
        CloseHandle(thread_);
    }
    DialogThread(const DialogThread &) = delete;
    DialogThread &operator=(const DialogThread &) = delete;

    HWND WaitForDialog() {
        for (DWORD waited = 0; thread_ && !dialog_ && waited < kWaitMs; waited += 5) {
            EnumThreadWindows(id_, Visible, reinterpret_cast<LPARAM>(&dialog_));
            if (!dialog_) Sleep(5);
        }
        return dialog_;
    }

private:
    static DWORD WINAPI Main(void *param) {
        static_cast<DialogThread *>(param)->run_();
        return 0;
    }
    static BOOL CALLBACK Visible(HWND window, LPARAM found) {
        if (!IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND *>(found) = window;
        return FALSE;
    }

    std::function<void()> run_;
    HANDLE thread_ = nullptr;
    DWORD id_ = 0;
    HWND dialog_ = nullptr;
};

// Holds an edit control inside the WM_SETTEXT that puts `restored` back,
// on the control's own thread, until released: the dialog is then in the
// middle of its restore while the test acts on another dialog.
class RestoreHold {
public:
    RestoreHold(HWND edit, const wchar_t *restored)
        : edit_(edit), restored_(restored), entered_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        active_ = this;
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~RestoreHold() {
        SetEvent(release_);
        SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        active_ = nullptr;
        CloseHandle(entered_);
        CloseHandle(release_);
    }
    RestoreHold(const RestoreHold &) = delete;
    RestoreHold &operator=(const RestoreHold &) = delete;

    bool ok() const { return original_ && entered_ && release_; }
    bool WaitEntered() const { return WaitForSingleObject(entered_, kWaitMs) == WAIT_OBJECT_0; }
    void Release() const { SetEvent(release_); }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        RestoreHold *self = active_;
        if (message == WM_SETTEXT && lParam && self->restored_ == reinterpret_cast<const wchar_t *>(lParam)) {
            SetEvent(self->entered_);
            WaitForSingleObject(self->release_, kWaitMs);
        }
        return CallWindowProcW(self->original_, window, message, wParam, lParam);
    }

    static RestoreHold *active_;
    HWND edit_;
    std::wstring restored_;
    HANDLE entered_;
    HANDLE release_;
    WNDPROC original_ = nullptr;
};

RestoreHold *RestoreHold::active_ = nullptr;

// Types into a field of a dialog of another thread from a thread of its own,
// since the dialog's thread holds the call while its restore is held.
class Typist {
public:
    Typist(HWND dialog, int id, const wchar_t *text) : dialog_(dialog), id_(id), text_(text) {
        thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    }
    ~Typist() {
        if (!thread_) return;
        WaitForSingleObject(thread_, kWaitMs);
        CloseHandle(thread_);
    }
    Typist(const Typist &) = delete;
    Typist &operator=(const Typist &) = delete;

private:
    static DWORD WINAPI Main(void *param) {
        auto *self = static_cast<Typist *>(param);
        SetDlgItemTextW(self->dialog_, self->id_, self->text_.c_str());
        return 0;
    }

    HWND dialog_;
    int id_;
    std::wstring text_;
    HANDLE thread_ = nullptr;
};

class ConcurrentDialogsTest : public EditorTest {
protected:
    // A sheet context of its own for each dialog, as each sheet has one.
    PageContext *OwnContext() {
        PageContext *ctx = AllocatePageContext(host_.heap);
        if (!ctx) return nullptr;
        *ctx = *ctx_;
        ctx->editIsNew = 1;
        MakeDefaultWatermark(&ctx->editWatermark);
        ctx->editWatermark.verticalOffset = 1.0;
        ctx->editWatermark.units = 1;
        owned_.push_back(ctx);
        return ctx;
    }
    void TearDown() override {
        for (PageContext *ctx : owned_) HeapFree(host_.heap, 0, ctx);
        EditorTest::TearDown();
    }

    std::vector<PageContext *> owned_;
};

TEST_F(ConcurrentDialogsTest, PositionDialogsCheckTheirOffsetsApart) {
    PageContext *first = OwnContext(), *second = OwnContext();
    ASSERT_TRUE(first && second);
    DialogThread one([first] { RunPositionDialog(nullptr, first); });
    HWND dialogOne = one.WaitForDialog();
    DialogThread two([second] { RunPositionDialog(nullptr, second); });
    HWND dialogTwo = two.WaitForDialog();
    ASSERT_TRUE(dialogOne && dialogTwo) << "both position dialogs show";

    RestoreHold hold(GetDlgItem(dialogOne, IDC_WMPOS_VOFFSET), L"1.0");
    ASSERT_TRUE(hold.ok());
    {
        Typist bad(dialogOne, IDC_WMPOS_VOFFSET, L"x");
        ASSERT_TRUE(hold.WaitEntered()) << "the first dialog puts its offset back";
        SetDlgItemTextW(dialogTwo, IDC_WMPOS_VOFFSET, L"2.5");
        EXPECT_DOUBLE_EQ(second->positionLastVertical, 2.5) << "the second dialog took its user's offset";
        hold.Release();
    }
    EXPECT_EQ(GetText(dialogOne, IDC_WMPOS_VOFFSET), L"1.0");
    EXPECT_DOUBLE_EQ(first->positionLastVertical, 1.0);
}

TEST_F(ConcurrentDialogsTest, EditorsCheckTheirIntensitiesApart) {
    PageContext *first = OwnContext(), *second = OwnContext();
    ASSERT_TRUE(first && second);
    DialogThread one([first] { RunWatermarkEditor(nullptr, first); });
    HWND editorOne = one.WaitForDialog();
    DialogThread two([second] { RunWatermarkEditor(nullptr, second); });
    HWND editorTwo = two.WaitForDialog();
    ASSERT_TRUE(editorOne && editorTwo) << "both editors show";
    ASSERT_EQ(GetText(editorOne, IDC_WMEDIT_INTENSITY), L"100");

    RestoreHold hold(GetDlgItem(editorOne, IDC_WMEDIT_INTENSITY), L"100");
    ASSERT_TRUE(hold.ok());
    {
        Typist bad(editorOne, IDC_WMEDIT_INTENSITY, L"x");
        ASSERT_TRUE(hold.WaitEntered()) << "the first editor puts its intensity back";
        SetDlgItemTextW(editorTwo, IDC_WMEDIT_INTENSITY, L"55");
        EXPECT_EQ(second->editIntensity, 55) << "the second editor took its user's intensity";
        hold.Release();
    }
    EXPECT_EQ(GetText(editorOne, IDC_WMEDIT_INTENSITY), L"100");
    EXPECT_EQ(first->editIntensity, 100);
}

}  // namespace
