// Window objects: linking, message maps along the class chain, default processing,
// reflection to controls, and the end of a window's life.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {
constexpr UINT kPing = WM_APP + 1;
constexpr UINT kOnlyInBase = WM_APP + 2;
constexpr UINT kUnmapped = WM_APP + 3;

std::vector<std::string> g_calls;

class BaseWnd : public CWnd {
public:
    bool created = false;
    ~BaseWnd() override { g_calls.push_back("~BaseWnd"); }

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnMessage<WM_CREATE, BaseWnd, &BaseWnd::OnCreate>(),
            OnMessage<kPing, BaseWnd, &BaseWnd::OnPing>(),
            OnMessage<kOnlyInBase, BaseWnd, &BaseWnd::OnOnlyInBase>(),
        };
        static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
        return &map;
    }
    LRESULT OnCreate(WPARAM, LPARAM) {
        created = m_hWnd != nullptr && FromHandle(m_hWnd) == this;
        return Default();
    }
    LRESULT OnPing(WPARAM, LPARAM) { return 1; }
    LRESULT OnOnlyInBase(WPARAM wParam, LPARAM) { return 100 + static_cast<LRESULT>(wParam); }
};

class DerivedWnd : public BaseWnd {
public:
    std::wstring textSeen;

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnMessage<kPing, DerivedWnd, &DerivedWnd::OnPing>(),
            OnMessage<WM_SETTEXT, DerivedWnd, &DerivedWnd::OnSetText>(),
            OnMessage<WM_GETTEXTLENGTH, DerivedWnd, &DerivedWnd::OnGetTextSwallowed>(),
        };
        static const MessageMap map = MakeMessageMap(BaseWnd::GetMessageMap(), entries);
        return &map;
    }
    LRESULT OnPing(WPARAM, LPARAM) { return 2; }
    // Sees the text and lets the default procedure store it.
    LRESULT OnSetText(WPARAM, LPARAM lParam) {
        textSeen = reinterpret_cast<const wchar_t*>(lParam);
        return Default();
    }
    // Handled without default processing: the real length is never reported.
    LRESULT OnGetTextSwallowed(WPARAM, LPARAM) { return 777; }
};

class FrameworkWindow : public ::testing::Test {
protected:
    CWinApp app;
};

TEST_F(FrameworkWindow, DispatchesAlongTheClassChainAndFallsBackToDefaultProcessing) {
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"title", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    EXPECT_TRUE(wnd.created) << "linked before WM_CREATE";
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);

    EXPECT_EQ(wnd.SendMessage(kPing), 2) << "the derived entry wins over the base entry";
    EXPECT_EQ(wnd.SendMessage(kOnlyInBase, 5), 105) << "an entry of the base class only";
    EXPECT_EQ(wnd.SendMessage(kUnmapped), 0) << "DefWindowProc's answer";

    ::SetWindowTextW(wnd.m_hWnd, L"changed");
    EXPECT_EQ(wnd.textSeen, L"changed");
    wchar_t text[32]{};
    ::InternalGetWindowText(wnd.m_hWnd, text, 32);
    EXPECT_STREQ(text, L"changed") << "Default() ran the default procedure";
    EXPECT_EQ(wnd.SendMessage(WM_GETTEXTLENGTH), 777) << "handled without default processing";

    HWND handle = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(handle), nullptr);
}

TEST_F(FrameworkWindow, BaseObjectAloneUsesItsOwnMap) {
    BaseWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(wnd.SendMessage(kPing), 1);
}

TEST_F(FrameworkWindow, ObjectDestroyedBeforeItsWindowTakesTheWindowWithIt) {
    HWND handle;
    {
        DerivedWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        handle = wnd.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(handle));
}

// A main window that owns itself, as the program's hidden main window does.
class SelfOwnedMainWnd : public CWnd {
public:
    static int liveObjects;
    SelfOwnedMainWnd() { ++liveObjects; }
    ~SelfOwnedMainWnd() override { --liveObjects; }

protected:
    void PostNcDestroy() override { delete this; }
};
int SelfOwnedMainWnd::liveObjects = 0;

TEST_F(FrameworkWindow, MainWindowDeletesItselfAndEndsTheMessageLoop) {
    auto* wnd = new SelfOwnedMainWnd;
    ASSERT_TRUE(wnd->CreateEx(0, nullptr, L"main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    app.m_pMainWnd = wnd;
    ASSERT_EQ(SelfOwnedMainWnd::liveObjects, 1);

    wnd->PostMessage(WM_CLOSE);  // default processing destroys the window
    const ULONGLONG start = ::GetTickCount64();
    ::SetTimer(nullptr, 0, 10000, nullptr);  // a bound, should the loop fail to end
    EXPECT_EQ(app.Run(), 0);
    EXPECT_LT(::GetTickCount64() - start, 9000u) << "the loop ended by WM_QUIT, not by the time-out";
    EXPECT_EQ(SelfOwnedMainWnd::liveObjects, 0);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST_F(FrameworkWindow, LoopEndsAtOnceWithoutMainWindow) {
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(app.Run(), 0);
}

TEST_F(FrameworkWindow, DestroyingAnotherWindowLeavesTheLoopRunning) {
    auto* mainWnd = new SelfOwnedMainWnd;
    ASSERT_TRUE(mainWnd->CreateEx(0, nullptr, L"main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    app.m_pMainWnd = mainWnd;
    auto* other = new SelfOwnedMainWnd;
    ASSERT_TRUE(other->CreateEx(0, nullptr, L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    other->DestroyWindow();
    EXPECT_EQ(app.m_pMainWnd, mainWnd);
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    mainWnd->DestroyWindow();
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Owner-drawn controls draw themselves; their notifications reach the control's own map
// first and the parent only when the control leaves them.
class SelfDrawingButton : public CButton {
public:
    int drawCalls = 0;
    int clicks = 0;
    void DrawItem(DRAWITEMSTRUCT* item) override {
        if (item->hwndItem == m_hWnd) ++drawCalls;
    }

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnReflectedCommand<SelfDrawingButton, &SelfDrawingButton::OnClicked>(BN_CLICKED),
        };
        static const MessageMap map = MakeMessageMap(CButton::GetMessageMap(), entries);
        return &map;
    }
    LRESULT OnClicked(WPARAM, LPARAM) {
        ++clicks;
        return 0;
    }
};

class MeasuredCombo : public CComboBox {
public:
    int measureCalls = 0;
    void MeasureItem(MEASUREITEMSTRUCT* item) override {
        ++measureCalls;
        item->itemHeight = 24;
    }
};

class ParentWnd : public CWnd {
public:
    std::vector<UINT> commands;

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnCommand<ParentWnd, &ParentWnd::OnPlainButton>(11, BN_CLICKED),
            OnCommand<ParentWnd, &ParentWnd::OnOwnerButton>(12, kAnyCode),
        };
        static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
        return &map;
    }
    void OnPlainButton() { commands.push_back(11); }
    void OnOwnerButton() { commands.push_back(12); }
};

TEST_F(FrameworkWindow, ReflectsDrawingMeasuringAndNotificationsToTheControl) {
    ParentWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr));
    CButton plain;
    ASSERT_TRUE(plain.Create(L"plain", WS_VISIBLE, RECT{0, 0, 50, 20}, &parent, 11));
    SelfDrawingButton owner;
    ASSERT_TRUE(owner.Create(L"", WS_VISIBLE | BS_OWNERDRAW, RECT{60, 0, 110, 20}, &parent, 12));
    MeasuredCombo combo;
    ASSERT_TRUE(combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                             RECT{0, 30, 86, 150}, &parent, 13));
    EXPECT_GT(combo.measureCalls, 0) << "WM_MEASUREITEM of the combo box's own creation reached it";
    EXPECT_EQ(CWnd::FromHandle(combo.m_hWnd), &combo);

    ::UpdateWindow(parent.m_hWnd);
    owner.Invalidate();
    owner.UpdateWindow();
    EXPECT_GT(owner.drawCalls, 0);

    plain.SendMessage(BM_CLICK);
    owner.SendMessage(BM_CLICK);
    EXPECT_EQ(owner.clicks, 1) << "the control's own map took BN_CLICKED";
    EXPECT_EQ(parent.commands, std::vector<UINT>{11}) << "the parent saw only the plain button's click";

    EXPECT_EQ(combo.AddString(L"640x480"), 0);
    EXPECT_EQ(combo.GetLBText(0), L"640x480");
    EXPECT_EQ(combo.GetLBText(5), L"");
}

// WM_NOTIFY and WM_COMMAND entries take exactly the identifier and code they name; "any"
// is a flag, so that NM_OUTOFMEMORY (0xFFFFFFFF) and code 0 are codes like the others.
class NotifiedChild : public CWnd {
protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnReflectedNotify<NotifiedChild, &NotifiedChild::OnClick>(NM_CLICK),
        };
        static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
        return &map;
    }
    LRESULT OnClick(NMHDR*) { return 40; }
};

class NotifiedParent : public CWnd {
protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {
            OnNotify<NotifiedParent, &NotifiedParent::OnClick21>(21, NM_CLICK),
            OnNotify<NotifiedParent, &NotifiedParent::OnAny21>(21, kAnyCode),
            OnNotify<NotifiedParent, &NotifiedParent::OnReturnFromAny>(kAnyId, NM_RETURN),
            OnNotify<NotifiedParent, &NotifiedParent::OnOutOfMemory23>(23, NM_OUTOFMEMORY),
            OnCommand<NotifiedParent, &NotifiedParent::OnCommand31>(31, kAnyCode),
            OnCommand<NotifiedParent, &NotifiedParent::OnMenu32>(32, 0),
        };
        static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
        return &map;
    }
    LRESULT OnClick21(NMHDR* header) { return header->idFrom == 21 ? 10 : -1; }
    LRESULT OnAny21(NMHDR*) { return 20; }
    LRESULT OnReturnFromAny(NMHDR*) { return 30; }
    LRESULT OnOutOfMemory23(NMHDR*) { return 50; }
    LRESULT OnCommand31(WPARAM, LPARAM) { return 60; }
    void OnMenu32() { ++menuCommands; }

public:
    int menuCommands = 0;
};

TEST_F(FrameworkWindow, IdAndCodeEntriesTakeExactlyWhatTheyName) {
    NotifiedParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    NotifiedChild child;
    ASSERT_TRUE(child.CreateEx(0, nullptr, L"", WS_CHILD, 0, 0, 10, 10, parent.m_hWnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(22))));
    struct Case {
        UINT_PTR id;
        UINT code;
        bool fromChild;
        LRESULT expected;  // 0: no entry took it (DefWindowProc's answer)
    };
    const Case notifications[] = {
        {21, NM_CLICK, false, 10},       {21, NM_DBLCLK, false, 20},   {21, NM_OUTOFMEMORY, false, 20},
        {99, NM_RETURN, false, 30},      {99, NM_CLICK, false, 0},     {23, NM_OUTOFMEMORY, false, 50},
        {23, NM_CLICK, false, 0},        {0, 0, false, 0},             {22, NM_CLICK, true, 40},
        {22, NM_RETURN, true, 30},       {22, NM_DBLCLK, true, 0},
    };
    for (const Case& c : notifications) {
        NMHDR header = {c.fromChild ? child.m_hWnd : nullptr, c.id, c.code};
        EXPECT_EQ(parent.SendMessage(WM_NOTIFY, c.id, reinterpret_cast<LPARAM>(&header)), c.expected)
            << "WM_NOTIFY from " << c.id << " with code " << static_cast<int>(c.code);
    }
    EXPECT_EQ(parent.SendMessage(WM_COMMAND, MAKEWPARAM(31, BN_DOUBLECLICKED)), 60);
    EXPECT_EQ(parent.SendMessage(WM_COMMAND, MAKEWPARAM(32, 1)), 0);  // an accelerator, not the menu
    EXPECT_EQ(parent.menuCommands, 0);
    EXPECT_EQ(parent.SendMessage(WM_COMMAND, MAKEWPARAM(32, 0)), 0);
    EXPECT_EQ(parent.menuCommands, 1);
}

// Messages for a child are offered to the child's object, then to each parent.
class KeyEatingParent : public CWnd {
public:
    int seen = 0;
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message != WM_KEYDOWN) return FALSE;
        ++seen;
        return msg->wParam == VK_ESCAPE;
    }
};

class EditWithCounter : public CWnd {
public:
    int seen = 0;
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN) ++seen;
        return FALSE;
    }
};

TEST_F(FrameworkWindow, PreTranslateMessageGoesFromTheTargetUpToItsParents) {
    KeyEatingParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    EditWithCounter child;
    ASSERT_TRUE(child.CreateEx(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd, nullptr));

    MSG escape{child.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0};
    EXPECT_TRUE(app.PreTranslateMessage(&escape));
    MSG letter{child.m_hWnd, WM_KEYDOWN, 'A', 0};
    EXPECT_FALSE(app.PreTranslateMessage(&letter));
    EXPECT_EQ(child.seen, 2);
    EXPECT_EQ(parent.seen, 2);
}

TEST_F(FrameworkWindow, SubclassedControlKeepsItsOwnBehaviourForUnmappedMessages) {
    ParentWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"abc", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd,
                                  reinterpret_cast<HMENU>(21), nullptr, nullptr);
    {
        CWnd object;
        ASSERT_TRUE(object.SubclassDlgItem(21, &parent));
        EXPECT_EQ(CWnd::FromHandle(edit), &object);
        EXPECT_EQ(object.SendMessage(WM_GETTEXTLENGTH), 3) << "unmapped messages reach the edit control";
        EXPECT_FALSE(CWnd().SubclassWindow(edit)) << "a window has one object";
        object.DestroyWindow();
    }
    EXPECT_FALSE(::IsWindow(edit));
}

TEST_F(FrameworkWindow, RegisteredClassesAreSharedByEqualAttributes) {
    HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    LPCWSTR a = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, arrow);
    LPCWSTR b = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, arrow);
    LPCWSTR c = AfxRegisterWndClass(CS_HREDRAW, arrow);
    ASSERT_TRUE(a && c);
    EXPECT_EQ(a, b);
    EXPECT_STRNE(a, c);
    WNDCLASSEXW info{sizeof(info)};
    ASSERT_TRUE(::GetClassInfoExW(AfxGetInstanceHandle(), a, &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(info.hCursor, arrow);
}
}  // namespace
