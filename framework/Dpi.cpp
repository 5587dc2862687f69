#include "framework/Dpi.h"

#include "framework/Handles.h"

namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
constexpr int kDialogDpiChangeDisableAll = 1;  // DDC_DISABLE_ALL

// A function that newer versions of Windows have; null where `module` has none.
template <typename Fn>
Fn ModuleFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

template <typename Fn>
Fn User32Function(const char* name) {
    return ModuleFunction<Fn>(::GetModuleHandleW(L"user32.dll"), name);
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

int MonitorDpi(HMONITOR monitor) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    static const auto getDpiForMonitor = ModuleFunction<GetDpiForMonitorFn>(
        ::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (getDpiForMonitor && monitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0)
        return static_cast<int>(y);
    return SystemDpi();
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

UniqueFont MessageFontForDpi(int dpi) {
    static const auto forDpi = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{sizeof(metrics)};
    const BOOL got = forDpi ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi))
                            : ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    if (!got) return UniqueFont();
    return UniqueFont(::CreateFontIndirectW(&metrics.lfMessageFont));
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi, SIZE fallback) {
    static const auto adjust = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (!adjust || !adjust(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return fallback;
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}
