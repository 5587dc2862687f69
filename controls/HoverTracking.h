#pragma once
// Hover tracking of the skinned controls on WM_MOUSEMOVE (after default processing):
//  - with the left button down and no hover yet, nothing changes;
//  - while the control does not hold the mouse capture, the pointer over it starts a hover,
//    provided the thread has an active window and the control an owner or parent (the
//    caller then takes the capture or starts a timer to see the pointer leave);
//  - otherwise the pointer has left once the window under it is another one: the hover
//    ends, and the capture is given back unless the left button is down (the press goes on).
#include "framework/Wnd.h"

enum class HoverChange { None, Entered, Left };

HoverChange TrackHoverByCapture(CWnd& control, BOOL& hovering, WPARAM keys, LPARAM point);

// WM_KILLFOCUS (after default processing): the hover ends and the control is repainted.
void EndHoverOnFocusLoss(CWnd& control, BOOL& hovering);
// WM_CAPTURECHANGED (before default processing): a hovering control is repainted; the hover
// itself ends only when the pointer is seen elsewhere. The capture has moved on already (to
// the control's own press, or to another window), so it is left where it is.
void RepaintHoverOnCaptureChange(CWnd& control, BOOL hovering);
