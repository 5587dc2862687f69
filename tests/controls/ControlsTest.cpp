// CBitmapBtn and CBitmapComboBox in a visible host window: which face each state draws (read
// back from the screen), what a disabled button lets through, hover by capture and by timer.
#include <gtest/gtest.h>

#include <vector>

#include "controls/BitmapBtn.h"
#include "controls/BitmapComboBox.h"
#include "controls/BitmapRegion.h"
#include "controls/Skin.h"
#include "framework/WinApp.h"

namespace {

constexpr COLORREF kNormal = RGB(200, 40, 40);
constexpr COLORREF kHover = RGB(40, 200, 40);
constexpr COLORREF kPressed = RGB(40, 40, 200);
constexpr COLORREF kDisabled = RGB(120, 120, 120);
constexpr RECT kButtonRect{10, 10, 50, 40};
constexpr UINT kButtonId = 1000;
constexpr UINT kBoxId = 1002;

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

// A bitmap of `width` x `height` in one colour, with an optional second colour outside its
// top-left `innerWidth` x `innerHeight`.
UniqueBitmap SolidBitmap(int width, int height, COLORREF colour, int innerWidth = 0, int innerHeight = 0,
                         COLORREF outside = 0) {
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = (innerWidth && (x >= innerWidth || y >= innerHeight)) ? outside : colour;
            pixels[static_cast<size_t>(y) * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    return UniqueBitmap(::CreateBitmap(width, height, 1, 32, pixels.data()));
}

// A pixel as the window's own painting left it: only what it invalidated itself is redrawn.
COLORREF PaintedPixel(HWND wnd, int x, int y) {
    ::UpdateWindow(wnd);
    Pump();
    WindowDC dc(wnd);
    return ::GetPixel(dc.Get(), x, y);
}

COLORREF PixelOf(HWND wnd, int x, int y) {
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return PaintedPixel(wnd, x, y);
}

// A visible, active top-level window that records the notifications of its controls.
class Host : public CWnd {
public:
    Host() {
        CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), L"controls host", WS_POPUP | WS_VISIBLE, 100, 100, 300, 220,
                 nullptr, nullptr);
        ::SetForegroundWindow(m_hWnd);
        ::SetActiveWindow(m_hWnd);
        Pump();
    }
    std::vector<std::pair<UINT, UINT>> commands;  // (identifier, code)

protected:
    const MessageMap* GetMessageMap() const override {
        static const MessageEntry entries[] = {::OnCommand<Host, &Host::OnCommand>(kAnyId, kAnyCode)};
        static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
        return &map;
    }

private:
    LRESULT OnCommand(WPARAM wParam, LPARAM) {
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return 0;
    }
};

class BitmapButton : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.m_hWnd);
        ASSERT_TRUE(button.Create(L"", WS_VISIBLE, kButtonRect, &host, kButtonId));
        UniqueBitmap faces[] = {SolidBitmap(40, 30, kNormal), SolidBitmap(40, 30, kHover),
                                SolidBitmap(40, 30, kPressed), SolidBitmap(40, 30, kDisabled)};
        button.SetBitmaps(faces[0].Get(), faces[1].Get(), faces[2].Get(), faces[3].Get(), kButtonRect);
        button.SetEnabled(TRUE);
    }
    void TearDown() override { ::ReleaseCapture(); }

    // The pointer moved over the button (client point), as the system reports it.
    void MoveOver(int x = 5, int y = 5, WPARAM keys = 0) { button.SendMessage(WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }
    // Ends a hover as the pointer leaving does (losing the capture alone does not end it).
    void MoveAway() {
        if (::GetCapture() != button.m_hWnd) ::SetCapture(button.m_hWnd);
        MoveOver(120, 60);
    }
    int Clicks() const {
        int n = 0;
        for (auto [id, code] : host.commands) n += id == kButtonId && code == BN_CLICKED;
        return n;
    }

    Host host;
    CBitmapBtn button;
};

}  // namespace

TEST_F(BitmapButton, IsOwnerDrawnAndNeverATabStop) {
    CBitmapBtn bare;  // asked to be a tab stop, and given no faces
    ASSERT_TRUE(bare.Create(L"", WS_VISIBLE | WS_TABSTOP, RECT{60, 10, 100, 40}, &host, kButtonId + 1));
    const LONG style = ::GetWindowLongW(bare.m_hWnd, GWL_STYLE);
    EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(style & WS_TABSTOP, 0);
    EXPECT_EQ(PixelOf(bare.m_hWnd, 20, 15), ::GetSysColor(COLOR_BTNFACE)) << "without faces, the button colour";
}

TEST_F(BitmapButton, DrawsTheFaceOfItsStateAndTheDisabledFaceAboveAll) {
    struct Case {
        BOOL enabled;
        bool hover, pressed;
        COLORREF face;
    } cases[] = {
        {TRUE, false, false, kNormal},   {TRUE, true, false, kHover},    {TRUE, false, true, kPressed},
        {TRUE, true, true, kPressed},    {FALSE, false, false, kDisabled}, {FALSE, true, false, kDisabled},
        {FALSE, false, true, kDisabled}, {FALSE, true, true, kDisabled},
    };
    for (const Case& c : cases) {
        button.SetEnabled(c.enabled);
        MoveAway();
        if (c.hover) MoveOver();
        ASSERT_EQ(button.IsHovering(), c.hover ? TRUE : FALSE);
        button.SendMessage(BM_SETSTATE, c.pressed);
        EXPECT_EQ(PixelOf(button.m_hWnd, 20, 15), c.face)
            << "enabled " << c.enabled << " hover " << c.hover << " pressed " << c.pressed;
        button.SendMessage(BM_SETSTATE, FALSE);
    }
}

TEST_F(BitmapButton, ADisabledButtonSendsNoClickForTheMouseOrTheSpaceBar) {
    struct Case {
        BOOL enabled;
        int clicks;
    } cases[] = {{TRUE, 2}, {FALSE, 0}};
    for (const Case& c : cases) {
        host.commands.clear();
        const BOOL previous = button.SetEnabled(c.enabled);
        EXPECT_EQ(button.SetEnabled(c.enabled), c.enabled) << "SetEnabled returns the previous flag";
        (void)previous;
        button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ::SetFocus(button.m_hWnd);
        button.SendMessage(WM_KEYDOWN, VK_SPACE, 0x00390001);
        button.SendMessage(WM_KEYUP, VK_SPACE, 0xC0390001);
        Pump();
        EXPECT_EQ(Clicks(), c.clicks) << "enabled " << c.enabled;
    }
}

TEST_F(BitmapButton, LeavingWithNoMouseButtonDownEndsTheHoverAndGivesTheCaptureBack) {
    MoveOver();
    ASSERT_EQ(::GetCapture(), button.m_hWnd);
    MoveOver(120, 60);  // over the host, outside the button
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(PixelOf(button.m_hWnd, 20, 15), kNormal);
}

TEST_F(BitmapButton, LeavingWhilePressedEndsTheHoverButKeepsTheCaptureForThePress) {
    MoveOver();
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));  // the press takes the capture anew
    ASSERT_EQ(::GetCapture(), button.m_hWnd);
    MoveOver(120, 60, MK_LBUTTON);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(::GetCapture(), button.m_hWnd);
}

TEST_F(BitmapButton, ALargerSourceGivesItsTopLeftPartAtTheButtonsSize) {
    UniqueBitmap large = SolidBitmap(100, 80, kHover, 40, 30, kPressed);
    button.SetBitmaps(large.Get(), nullptr, nullptr, nullptr, RECT{200, 200, 240, 230});
    EXPECT_EQ(PixelOf(button.m_hWnd, 0, 0), kHover);
    EXPECT_EQ(PixelOf(button.m_hWnd, 39, 29), kHover);

    UniqueBitmap copy;
    WindowDC dc(button.m_hWnd);
    CopyBitmapRegion(dc.Get(), copy, nullptr, kButtonRect);
    EXPECT_FALSE(copy) << "a null source copies nothing";
    CopyBitmapRegion(dc.Get(), copy, large.Get(), RECT{5, 5, 45, 35});
    BITMAP size{};
    ASSERT_TRUE(::GetObjectW(copy.Get(), sizeof(size), &size));
    EXPECT_EQ(size.bmWidth, 40);
    EXPECT_EQ(size.bmHeight, 30);
}

namespace {

constexpr COLORREF kFaceNormal = RGB(230, 230, 230);
constexpr COLORREF kFaceHover = RGB(200, 220, 250);

class BitmapCombo : public ::testing::Test {
protected:
    void SetUp() override {
        box.m_hBitmapNormal = normal.Get();
        box.m_hBitmapHover = hover.Get();
        ASSERT_TRUE(box.Create(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VISIBLE,
                               RECT{92, 20, 178, 140}, &host, kBoxId));
    }
    void TearDown() override {
        box.SendMessage(CB_SHOWDROPDOWN, FALSE);
        ::ReleaseCapture();
    }
    void AddEntries() {
        for (const wchar_t* text : {L"320x240", L"640x480", L"1.3M"}) box.AddString(text);
    }
    // Pixels of the face's text rectangle that are not the face colour.
    int MarkedPixels(COLORREF face) {
        ::RedrawWindow(box.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        WindowDC dc(box.m_hWnd);
        int marked = 0;
        for (int y = box.m_rcText.top; y < box.m_rcText.bottom; ++y)
            for (int x = box.m_rcText.left; x < box.m_rcText.right; ++x) marked += ::GetPixel(dc.Get(), x, y) != face;
        return marked;
    }

    Host host;
    UniqueBitmap normal = SolidBitmap(86, 30, kFaceNormal);
    UniqueBitmap hover = SolidBitmap(86, 30, kFaceHover);
    CBitmapComboBox box;
};

}  // namespace

TEST_F(BitmapCombo, ListItemsAre24PixelsHighAndTheClosedBoxShowsItsFaceWithTheSelectedTextOnly) {
    AddEntries();
    EXPECT_EQ(box.SendMessage(CB_GETITEMHEIGHT, 0), 24);
    EXPECT_EQ(PixelOf(box.m_hWnd, 80, 2), kFaceNormal) << "the face at its own size from (0, 0)";
    EXPECT_EQ(MarkedPixels(kFaceNormal), 0) << "no text without a selection";
    box.SetCurSel(1);
    EXPECT_GT(MarkedPixels(kFaceNormal), 20) << "the selected text on the face";
}

TEST_F(BitmapCombo, HoverShowsTheHoverFaceUntilTheTimerFindsThePointerElsewhere) {
    ::SetCursorPos(100 + 120, 100 + 30);  // over the box
    box.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
    ASSERT_TRUE(box.IsHovering());
    EXPECT_EQ(PixelOf(box.m_hWnd, 80, 2), kFaceHover);
    ::SetCursorPos(100 + 250, 100 + 200);  // over the host
    const ULONGLONG deadline = ::GetTickCount64() + 2000;
    while (box.IsHovering() && ::GetTickCount64() < deadline) {
        ::Sleep(20);
        Pump();
    }
    EXPECT_FALSE(box.IsHovering());
    EXPECT_EQ(PixelOf(box.m_hWnd, 80, 2), kFaceNormal);

    // The focus going elsewhere ends a hover too, and the whole face shows it (the box itself
    // redraws only its text).
    ::SetCursorPos(100 + 120, 100 + 30);
    box.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
    ::SetFocus(box.m_hWnd);
    ASSERT_EQ(PixelOf(box.m_hWnd, 80, 2), kFaceHover);
    ::SetFocus(host.m_hWnd);
    EXPECT_FALSE(box.IsHovering());
    EXPECT_EQ(PaintedPixel(box.m_hWnd, 80, 2), kFaceNormal);
}

TEST_F(BitmapCombo, TheOpenListShowsEveryItemOnTheListColourWithoutAHighlight) {
    AddEntries();
    box.SetCurSel(1);
    box.SendMessage(CB_SHOWDROPDOWN, TRUE);
    COMBOBOXINFO info{sizeof(info)};
    ASSERT_TRUE(::GetComboBoxInfo(box.m_hWnd, &info));
    ASSERT_TRUE(::IsWindowVisible(info.hwndList));
    for (int item = 0; item < 3; ++item) {
        RECT rect{};
        ASSERT_NE(::SendMessageW(info.hwndList, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)), LB_ERR);
        EXPECT_EQ(rect.bottom - rect.top, 24);
        EXPECT_EQ(PixelOf(info.hwndList, rect.left + 2, rect.top + 2), CBitmapComboBox::kListColour) << "item " << item;
    }
}

// A static shown a new picture hands back the one before: the one it was made with is
// deleted, never the caller's picture shown before twice, and the new one stays alive.
TEST(SkinInStatic, ThePictureHandedBackIsDeletedOnceAndTheShownOneStays) {
    Host host;
    HWND picture = ::CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 20, 20, host.m_hWnd,
                                     nullptr, nullptr, nullptr);
    ASSERT_TRUE(picture);
    UniqueBitmap made = SolidBitmap(20, 20, kNormal);  // as the template's picture, the static's
    const HBITMAP template_ = made.Release();
    ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(template_));

    UniqueBitmap shown;
    UniqueBitmap first = SolidBitmap(20, 20, kHover);
    const HBITMAP firstHandle = first.Get();
    ShowSkinInStatic(picture, shown, std::move(first));
    EXPECT_EQ(::GetObjectType(template_), 0u) << "the template's picture, handed back, is deleted";
    EXPECT_EQ(shown.Get(), firstHandle);
    ShowSkinInStatic(picture, shown, SolidBitmap(20, 20, kPressed));
    EXPECT_EQ(::GetObjectType(firstHandle), 0u) << "the picture shown before goes with its owner";
    EXPECT_EQ(::GetObjectType(shown.Get()), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(reinterpret_cast<HBITMAP>(::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)), shown.Get());
    ::DestroyWindow(picture);
}
