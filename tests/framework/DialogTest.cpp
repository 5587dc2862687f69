// Dialogs from a template: modal and modeless, the data exchange that attaches controls,
// the keys the dialog manager turns into commands, and the end of the modal loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {
constexpr UINT kTemplate = 200;
constexpr int kEditId = 300;
constexpr UINT_PTR kActionTimer = 7;

// An edit control object, so that attachment can be seen.
class CEdit : public CWnd {};

// Runs `action` on the dialog from a timer once the modal loop runs.
class TestDialog : public CDialog {
public:
    explicit TestDialog(std::function<void(TestDialog&)> action = {}, CWnd* parent = nullptr)
        : CDialog(kTemplate, parent), m_action(std::move(action)) {}
    CEdit edit;
    bool initialised = false;
    bool editAttachedAtInit = false;
    int okCalls = 0;
    bool destroyedAfterwards = false;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CDialog::OnInitDialog();
        initialised = true;
        editAttachedAtInit = edit.m_hWnd == ::GetDlgItem(m_hWnd, kEditId) && CWnd::FromHandle(edit.m_hWnd) == &edit;
        if (m_action) ::SetTimer(m_hWnd, kActionTimer, 10, nullptr);
        return result;
    }
    void DoDataExchange(CDataExchange* exchange) override { DDX_Control(exchange, kEditId, edit); }
    void OnOK() override {
        ++okCalls;
        CDialog::OnOK();
    }
    void PostNcDestroy() override { destroyedAfterwards = true; }
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {OnMessage<WM_TIMER, TestDialog, &TestDialog::OnTimer>()};
        static const MessageMap map = MakeMessageMap(CDialog::GetMessageMap(), entries);
        return &map;
    }

private:
    LRESULT OnTimer(WPARAM id, LPARAM) {
        if (id != kActionTimer) return Default();
        ::KillTimer(m_hWnd, kActionTimer);
        m_action(*this);
        return 0;
    }
    std::function<void(TestDialog&)> m_action;
};

class FrameworkDialog : public ::testing::Test {
protected:
    CWinApp app;
};

}  // namespace

TEST_F(FrameworkDialog, ModalDialogAttachesItsControlsAndReturnsWhatEndsIt) {
    struct Case {
        const char* how;
        std::function<void(TestDialog&)> action;
        INT_PTR result;
        int okCalls;
    } cases[] = {
        {"OK button", [](TestDialog& d) { d.SendMessage(WM_COMMAND, IDOK, 0); }, IDOK, 1},
        {"EndDialog", [](TestDialog& d) { d.EndDialog(42); }, 42, 0},
        // Keys go through the loop's pre-translation to the dialog manager.
        {"Escape key", [](TestDialog& d) { ::PostMessageW(d.edit.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001); }, IDCANCEL, 0},
        {"Enter key", [](TestDialog& d) { ::PostMessageW(d.edit.m_hWnd, WM_KEYDOWN, VK_RETURN, 0x001C0001); }, IDOK, 1},
        {"close box", [](TestDialog& d) { d.PostMessage(WM_CLOSE); }, IDCANCEL, 0},
    };
    for (auto& c : cases) {
        TestDialog dialog(c.action);
        EXPECT_EQ(dialog.DoModal(), c.result) << c.how;
        EXPECT_TRUE(dialog.initialised) << c.how;
        EXPECT_TRUE(dialog.editAttachedAtInit) << c.how;
        EXPECT_EQ(dialog.okCalls, c.okCalls) << c.how;
        EXPECT_EQ(dialog.m_hWnd, nullptr) << c.how << ": the window is gone after DoModal";
        EXPECT_TRUE(dialog.destroyedAfterwards) << c.how;
    }
}

TEST_F(FrameworkDialog, QuitDuringTheModalLoopEndsItAndReachesTheOuterLoop) {
    TestDialog dialog([](TestDialog&) { ::PostQuitMessage(5); });
    EXPECT_EQ(dialog.DoModal(), -1);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(FrameworkDialog, ModelessDialogLivesUntilDestroyed) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(kTemplate));
    EXPECT_TRUE(dialog.initialised);
    EXPECT_TRUE(dialog.editAttachedAtInit);
    dialog.SendMessage(WM_COMMAND, IDOK, 0);  // OnOK of a modeless dialog ends no loop
    EXPECT_TRUE(::IsWindow(dialog.m_hWnd));
    dialog.DestroyWindow();
    EXPECT_TRUE(dialog.destroyedAfterwards);
    EXPECT_EQ(dialog.edit.m_hWnd, nullptr) << "the control went with its dialog";
}

TEST_F(FrameworkDialog, ModalDialogDisablesItsParentMeanwhile) {
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    bool ownerDisabled = false;
    TestDialog dialog(
        [&](TestDialog& d) {
            ownerDisabled = !::IsWindowEnabled(owner.m_hWnd);
            d.EndDialog(IDOK);
        },
        &owner);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
}
