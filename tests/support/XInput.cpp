#include "tests/support/XInput.h"

#include "framework/Handles.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"
#include "tests/support/UnixCommand.h"

namespace e2e {

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
    // Wine keeps each top-level window's X window in a property. (A title would not do: a
    // message box carries its owner's.)
    const auto xWindow =
        reinterpret_cast<UINT_PTR>(::GetPropW(::GetAncestor(wnd, GA_ROOT), L"__wine_x11_whole_window"));
    return xWindow && XDoTool("windowfocus --sync " + std::to_string(xWindow));
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
