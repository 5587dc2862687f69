#pragma once
// A window's DPI and the system's metrics at a DPI, on every Windows the programs run on:
// the per-monitor functions where the system has them (Windows 10 1607 and later), the
// system's one DPI before that.
#include <windows.h>

#include "framework/Handles.h"

// The DPI `wnd` is shown at (96 at 100 %).
int WindowDpi(HWND wnd);
// The DPI of a monitor (GetDpiForMonitor, Windows 8.1 and later), or the system's.
int MonitorDpi(HMONITOR monitor);
// GetSystemMetrics at `dpi`.
int SystemMetricForDpi(int index, int dpi);
// The system's message font (the one dialogs and lists use) made for `dpi`: the system's
// value at that DPI where it has SystemParametersInfoForDpi, else the system DPI's own.
// Empty when no font could be made.
UniqueFont MessageFontForDpi(int dpi);
// The outer size of a window of `style` whose client area is `client` at `dpi`: the frame
// the system draws at that DPI (AdjustWindowRectExForDpi), or, where the system has no such
// function, `fallback`.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi, SIZE fallback);
// WM_DPICHANGED's new DPI, after `wnd` took the rectangle the system suggests with it.
int TakeSuggestedRect(HWND wnd, WPARAM wParam, LPARAM lParam);
// A dialog that lays itself out at a new DPI: the dialog manager's own resizing and
// relayout from the template (Windows 10 1703 and later) are turned off.
void KeepOwnLayoutOnDpiChange(HWND dialog);

// WM_GETDPISCALEDSIZE (Windows 10 1703 and later; the SDK names it only for that version):
// asks a per-monitor aware window its size at the DPI in wParam before WM_DPICHANGED.
constexpr UINT kWmGetDpiScaledSize = 0x02E4;
