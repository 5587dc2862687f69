#pragma once
// CHoverButton: an owner-drawn button whose faces are the frames of one horizontal bitmap
// strip (four frames: normal, hover, on, pressed; six: off and on, each normal, hover,
// pressed). Hover comes from the system's mouse-hover and mouse-leave tracking; the "on"
// flag is the latched state the owner shows with it.
#include "framework/Accessible.h"
#include "framework/Controls.h"
#include "framework/Handles.h"

class CHoverButton : public CButton {
public:
    // A screen reader reads it as a push button with its window text, pressed while on.
    CHoverButton();

    // Layout of the strip, set by the owner before LoadStrip.
    BOOL m_bSixFrames = FALSE;
    // The latched state the face shows; set by the owner.
    BOOL m_bOn = FALSE;

    // Loads the strip (bitmap resource `bitmapId`) for `dpi`, places the button at (x, y)
    // with the size of one frame and shapes it to (0, 0, regionWidth, regionHeight). Returns 1.
    BOOL LoadStrip(UINT bitmapId, int x, int y, int regionWidth, int regionHeight, int dpi = 96);

    BOOL IsHovering() const { return m_bHovering; }
    int FrameWidth() const { return m_nFrameWidth; }
    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);

    BOOL m_bHovering = FALSE;
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    UniqueBitmap m_strip;
    BOOL m_bTracking = FALSE;  // a hover/leave request is pending
    AccessibleIdentity m_accessible;
};
