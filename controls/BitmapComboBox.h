#pragma once
// CBitmapComboBox: an owner-drawn fixed drop-down list with strings. The closed box is one
// of two face images (normal, or hover while the pointer is over it) with the selected
// text centred in m_rcText; the open list shows every item as centred black text on the
// list colour, selected or not. Hover ends when a 200 ms timer finds the pointer over
// another window (the box does not take the mouse capture).
#include <string>

#include "framework/Accessible.h"
#include "framework/Controls.h"
#include "framework/Handles.h"

class CBitmapComboBox : public CComboBox {
public:
    CBitmapComboBox() = default;
    ~CBitmapComboBox() override;

    static constexpr COLORREF kListColour = RGB(187, 197, 199);
    static constexpr UINT_PTR kHoverTimer = 1000;
    static constexpr UINT kHoverTimerMs = 200;
    // At 96 DPI; the box scales them to its DPI.
    static constexpr int kItemWidth = 86;
    static constexpr int kItemHeight = 24;

    // The faces, set by the owner before the box is created; the owner deletes them.
    HBITMAP m_hBitmapNormal = nullptr;
    HBITMAP m_hBitmapHover = nullptr;
    RECT m_rcText{3, 3, 66, 27};
    // The DPI the box is shown at, set by the owner before the box is created (the items
    // are measured then).
    int m_nDpi = 96;

    // Shown at `dpi`, once created or after a move to another DPI: the items' heights, the
    // text's place and the font follow.
    void SetDpi(int dpi);
    // The font the face and the list are drawn in: the system's message font at the DPI.
    HFONT Font() const { return m_font.Get(); }
    // The name a screen reader reads for the list.
    void SetAccessibleName(std::wstring name) { m_accessible.Set(std::move(name), ROLE_SYSTEM_COMBOBOX); }

    BOOL IsHovering() const { return m_bHovering; }

    void DrawItem(DRAWITEMSTRUCT* item) override;
    void MeasureItem(MEASUREITEMSTRUCT* item) override;
    // The face image at its own size at (0, 0), and on it the selected item's text.
    void DrawFace(HDC dc, HBITMAP face);

protected:
    const MessageMap* GetMessageMap() const override;

private:
    HBITMAP CurrentFace() const { return m_bHovering ? m_hBitmapHover : m_hBitmapNormal; }

    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);

    BOOL m_bHovering = FALSE;
    UniqueFont m_font;
    AccessibleIdentity m_accessible;
};
