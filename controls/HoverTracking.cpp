#include "controls/HoverTracking.h"

namespace {
bool HasOwnerOrParent(HWND wnd) { return ::GetWindow(wnd, GW_OWNER) || ::GetParent(wnd); }
}  // namespace

HoverChange TrackHoverByCapture(CWnd& control, BOOL& hovering, WPARAM keys, LPARAM point) {
    const bool leftButton = (keys & MK_LBUTTON) != 0;
    if (leftButton && !hovering) return HoverChange::None;

    if (::GetCapture() != control.m_hWnd && ::GetActiveWindow() && HasOwnerOrParent(control.m_hWnd)) {
        hovering = TRUE;
        return HoverChange::Entered;
    }

    POINT screen{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    ::ClientToScreen(control.m_hWnd, &screen);
    HWND under = ::WindowFromPoint(screen);
    if (!under || under == control.m_hWnd) return HoverChange::None;
    const bool wasHovering = hovering != FALSE;
    hovering = FALSE;
    if (!leftButton) ::ReleaseCapture();
    return wasHovering ? HoverChange::Left : HoverChange::None;
}

void EndHoverOnFocusLoss(CWnd& control, BOOL& hovering) {
    hovering = FALSE;
    control.Invalidate(TRUE);
}

void RepaintHoverOnCaptureChange(CWnd& control, BOOL hovering) {
    if (hovering) control.Invalidate();
}
