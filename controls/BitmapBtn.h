#pragma once
// CBitmapBtn: an owner-drawn push button whose face is one of four images (normal, hover,
// pressed, disabled). Its own enabled flag, apart from the window's WS_DISABLED, swallows
// keys and clicks while it is off, so that a disabled button sends no BN_CLICKED but still
// tracks the pointer and shows its disabled face. Hover is tracked by taking the mouse
// capture while the pointer is over the button.
#include <string>

#include "framework/Accessible.h"
#include "framework/Controls.h"
#include "framework/Handles.h"

class CBitmapBtn : public CButton {
public:
    CBitmapBtn() = default;
    ~CBitmapBtn() override;

    // Copies each non-null image, cut to the size of `rect` (its position is not used), as
    // the face for that state; the caller keeps its images.
    void SetBitmaps(HBITMAP normal, HBITMAP hover, HBITMAP pressed, HBITMAP disabled, const RECT& rect);
    // Sets the button's own enabled flag, repaints, and returns the previous flag.
    BOOL SetEnabled(BOOL enabled);
    BOOL IsEnabledFlag() const { return m_bEnabled; }
    // The name a screen reader reads for the button (its window text stays empty).
    void SetAccessibleName(std::wstring name) { m_accessible.Set(std::move(name), ROLE_SYSTEM_PUSHBUTTON); }
    BOOL IsHovering() const { return m_bHovering; }

    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    const MessageMap* GetMessageMap() const override;
    // Owner-drawn, and never a tab stop.
    void PreSubclassWindow() override;

private:
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnInputWhileEnabled(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);

    UniqueBitmap m_normal;
    UniqueBitmap m_hover;
    UniqueBitmap m_pressed;
    UniqueBitmap m_disabled;
    BOOL m_bHovering = FALSE;
    BOOL m_bEnabled = TRUE;
    AccessibleIdentity m_accessible;
};
