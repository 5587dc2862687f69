#include "framework/Dpi.h"

#include "framework/Handles.h"

namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
constexpr int kDialogDpiChangeDisableAll = 1;  // DDC_DISABLE_ALL

template <typename Fn>
Fn User32Function(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

int SystemDpi() {
    WindowDC screen(nullptr);
    const int dpi = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}
}  // namespace

int WindowDpi(HWND wnd) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && wnd ? getDpiForWindow(wnd) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int TakeSuggestedRect(HWND wnd, WPARAM wParam, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    ::SetWindowPos(wnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return HIWORD(wParam);
}

void KeepOwnLayoutOnDpiChange(HWND dialog) {
    static const auto setBehavior = User32Function<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
    if (setBehavior) setBehavior(dialog, kDialogDpiChangeDisableAll, kDialogDpiChangeDisableAll);
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto getMetricForDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return getMetricForDpi ? getMetricForDpi(index, static_cast<UINT>(dpi)) : ::GetSystemMetrics(index);
}
