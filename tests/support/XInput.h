#pragma once
// Real X input for end-to-end tests: xdotool, run from inside Wine, moves the X pointer,
// clicks and presses keys on the display the programs run on, as a person would. What the
// programs then show is read back from the screen.
#include <windows.h>

#include <string>

namespace e2e {

// Runs `xdotool <arguments>` and waits (bounded) until it has finished; true when it
// exited with status 0.
bool XDoTool(const std::string& arguments, DWORD timeoutMs = 10000);

// A click of the left button at screen point `at`, with the pointer moved there first.
bool ClickAt(POINT at, int clicks = 1);
// The same at point `client` of `wnd`'s client area.
bool ClickClient(HWND wnd, POINT client, int clicks = 1);
// A click at `client` of `wnd` with a modifier held ("ctrl", "shift", "ctrl+shift"). The
// window's top-level X window gets the keyboard focus first, so that Wine sees the keys.
bool ClickClientWithKeys(HWND wnd, POINT client, const std::string& keys);
// Gives the X keyboard focus to `wnd`'s top-level window.
bool FocusTopLevel(HWND wnd);

// The colour on the screen at `client` of `wnd`.
COLORREF ScreenPixel(HWND wnd, POINT client);

}  // namespace e2e
