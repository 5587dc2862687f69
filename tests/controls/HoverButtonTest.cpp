// The hover buttons of the camera panel in a visible host window, with the program's own
// face strips: which frame each state shows on the screen.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "resources/utility_resource.h"
#include "tests/support/XInput.h"
#include "controls/HoverButton.h"

namespace {

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

std::vector<COLORREF> Pixels(HDC dc, int left, int width, int height) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(dc, left + x, y));
    return pixels;
}

// Which frame of `strip` the button shows now; -1 when it shows none of them.
int ShownFrame(CHoverButton& button, UINT stripId, int frames) {
    ::RedrawWindow(button.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    const int width = button.FrameWidth();
    UniqueBitmap strip(static_cast<HBITMAP>(
        ::LoadImageW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(stripId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP size{};
    ::GetObjectW(strip.Get(), sizeof(size), &size);
    UniqueMemoryDC memory(::CreateCompatibleDC(nullptr));
    SelectObjectGuard selected(memory.Get(), strip.Get());
    WindowDC screen(button.m_hWnd);
    const std::vector<COLORREF> shown = Pixels(screen.Get(), 0, width, size.bmHeight);
    for (int k = 0; k < frames; ++k)
        if (Pixels(memory.Get(), k * width, width, size.bmHeight) == shown) return k;
    return -1;
}

class Host : public CWnd {
public:
    Host() {
        CreateEx(0, AfxRegisterWndClass(0), L"panel host", WS_POPUP | WS_VISIBLE, 200, 200, 100, 100, nullptr, nullptr);
        Pump();
    }
};

}  // namespace

TEST(HoverButton, ShowsTheFrameOfItsStateForFourAndSixFrameStrips) {
    struct Case {
        bool sixFrames, on, pressed, hovering;
        int frame;
    } cases[] = {
        {true, true, true, false, 5},   {true, true, false, true, 4},   {true, true, false, false, 3},
        {true, false, true, true, 2},   {true, false, false, true, 1},  {true, false, false, false, 0},
        {false, true, true, true, 3},   {false, false, false, true, 1}, {false, true, false, true, 1},
        {false, true, false, false, 2}, {false, false, false, false, 0},
    };
    CWinApp app;
    Host host;
    for (const Case& c : cases) {
        CHoverButton button;
        ASSERT_TRUE(button.Create(L"", WS_VISIBLE | BS_OWNERDRAW, RECT{0, 0, 10, 10}, &host, 1128));
        button.m_bSixFrames = c.sixFrames;
        const UINT strip = c.sixFrames ? IDB_LOW_LIGHT_STRIP : IDB_FLIP_STRIP;
        EXPECT_EQ(button.LoadStrip(strip, 10, 20, 24, 24), 1);
        RECT placed;
        ::GetWindowRect(button.m_hWnd, &placed);
        ::MapWindowPoints(nullptr, host.m_hWnd, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, 10);
        EXPECT_EQ(placed.top, 20);
        EXPECT_EQ(placed.right - placed.left, 24) << "one frame of the strip";

        button.m_bOn = c.on;
        if (c.hovering) button.SendMessage(WM_MOUSEHOVER);
        button.SendMessage(BM_SETSTATE, c.pressed);
        EXPECT_EQ(ShownFrame(button, strip, c.sixFrames ? 6 : 4), c.frame)
            << (c.sixFrames ? "six" : "four") << " frames, on " << c.on << " pressed " << c.pressed << " hovering "
            << c.hovering;
        if (c.hovering) {
            button.SendMessage(WM_MOUSELEAVE);
            EXPECT_FALSE(button.IsHovering());
        }
    }
}

// The system's hover and leave tracking, driven by the real pointer.
TEST(HoverButton, TheRealPointerOverTheButtonShowsTheHoverFrameUntilItLeaves) {
    CWinApp app;
    Host host;
    CHoverButton button;
    ASSERT_TRUE(button.Create(L"", WS_VISIBLE | BS_OWNERDRAW, RECT{0, 0, 10, 10}, &host, 1127));
    button.LoadStrip(IDB_FLIP_STRIP, 10, 20, 24, 24);
    const auto pumpUntil = [](const std::function<bool()>& condition) {
        const ULONGLONG deadline = ::GetTickCount64() + 3000;
        while (!condition() && ::GetTickCount64() < deadline) {
            ::Sleep(10);
            Pump();
        }
        return condition();
    };
    ASSERT_TRUE(e2e::XDoTool("mousemove 0 0"));
    POINT over{12, 12};
    ::ClientToScreen(button.m_hWnd, &over);
    for (int visit = 1; visit <= 2; ++visit) {  // a second visit needs the tracking asked for anew
        for (int nudge = 0; nudge < 3; ++nudge)  // a few moves, as a person's pointer makes
            ASSERT_TRUE(e2e::XDoTool("mousemove " + std::to_string(over.x + nudge) + " " + std::to_string(over.y)));
        EXPECT_TRUE(pumpUntil([&] { return button.IsHovering() != FALSE; })) << "hover reported, visit " << visit;
        EXPECT_EQ(ShownFrame(button, IDB_FLIP_STRIP, 4), 1);
        ASSERT_TRUE(e2e::XDoTool("mousemove 0 0"));
        EXPECT_TRUE(pumpUntil([&] { return button.IsHovering() == FALSE; })) << "leave reported, visit " << visit;
        EXPECT_EQ(ShownFrame(button, IDB_FLIP_STRIP, 4), 0);
    }
}
