#include "tests/support/XInput.h"

#include <cstdio>
#include <vector>

#include "framework/Handles.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"
#include "tests/support/UnixCommand.h"

namespace e2e {

namespace {
std::string TopLevelTitle(HWND wnd) {
    HWND top = ::GetAncestor(wnd, GA_ROOT);
    wchar_t title[256] = {};
    ::GetWindowTextW(top, title, 256);
    std::string narrow;
    for (const wchar_t* c = title; *c; ++c) narrow += static_cast<char>(*c);  // the titles are ASCII
    return narrow;
}
}  // namespace

bool XDoTool(const std::string& arguments, DWORD timeoutMs) { return RunUnixCommand("xdotool " + arguments, timeoutMs); }

bool ClickAt(POINT at, int clicks) {
    return XDoTool("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " click --repeat " +
                   std::to_string(clicks) + " --delay 80 1");
}

bool ClickClient(HWND wnd, POINT client, int clicks) {
    ::ClientToScreen(wnd, &client);
    return ClickAt(client, clicks);
}

bool FocusTopLevel(HWND wnd) {
    // Wine keeps each top-level window's X window in a property; a title can be shared (a
    // message box carries its owner's).
    const HWND top = ::GetAncestor(wnd, GA_ROOT);
    if (const auto xWindow = reinterpret_cast<UINT_PTR>(::GetPropW(top, L"__wine_x11_whole_window")))
        return XDoTool("windowfocus --sync " + std::to_string(xWindow));
    return XDoTool("search --name '^" + TopLevelTitle(wnd) + "$' windowfocus --sync");
}

bool ClickClientWithKeys(HWND wnd, POINT client, const std::string& keys) {
    if (!FocusTopLevel(wnd)) return false;
    ::ClientToScreen(wnd, &client);
    return XDoTool("mousemove " + std::to_string(client.x) + " " + std::to_string(client.y) + " keydown " +
                   keys + " click 1 keyup " + keys);
}

COLORREF ScreenPixel(HWND wnd, POINT client) {
    ::ClientToScreen(wnd, &client);
    WindowDC screen(nullptr);
    return ::GetPixel(screen.Get(), client.x, client.y);
}

}  // namespace e2e
