#include "controls/BitmapComboBox.h"

#include "controls/DisplayScale.h"
#include "controls/HoverTracking.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"

namespace {
constexpr UINT kCentred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}  // namespace

CBitmapComboBox::~CBitmapComboBox() { m_bHovering = FALSE; }

const MessageMap* CBitmapComboBox::GetMessageMap() const {
    using Self = CBitmapComboBox;
    static const MessageEntry entries[] = {
        OnMessage<WM_PAINT, Self, &Self::OnPaint>(),
        OnMessage<WM_MOUSEMOVE, Self, &Self::OnMouseMove>(),
        OnMessage<WM_KILLFOCUS, Self, &Self::OnKillFocus>(),
        OnMessage<WM_CAPTURECHANGED, Self, &Self::OnCaptureChanged>(),
        OnMessage<WM_TIMER, Self, &Self::OnTimer>(),
        OnMessage<WM_LBUTTONDOWN, Self, &Self::OnLButtonDown>(),
        OnMessage<WM_GETOBJECT, Self, &Self::OnGetObject>(),
        OnMessage<WM_DESTROY, Self, &Self::OnDestroy>(),
    };
    static const MessageMap map = MakeMessageMap(CComboBox::GetMessageMap(), entries);
    return &map;
}

void CBitmapComboBox::MeasureItem(MEASUREITEMSTRUCT* item) {
    item->itemWidth = static_cast<UINT>(display::Scaled(kItemWidth, m_nDpi));
    item->itemHeight = static_cast<UINT>(display::Scaled(kItemHeight, m_nDpi));
}

void CBitmapComboBox::SetDpi(int dpi) {
    m_nDpi = dpi;
    // A font of the window's DPI: the device context's default one keeps the DPI fixed at
    // sign-in, so the text would not follow the face on a monitor of another scale.
    if (UniqueFont font = MessageFontForDpi(dpi)) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
        m_font = std::move(font);
    }
    const int height = display::Scaled(kItemHeight, dpi);
    SendMessage(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);  // the closed box
    SendMessage(CB_SETITEMHEIGHT, 0, height);                        // the list's items
    const display::Rect text = display::Scaled(display::Rect{3, 3, 66, 27}, dpi);
    m_rcText = RECT{text.left, text.top, text.right, text.bottom};
    Invalidate();
}

void CBitmapComboBox::DrawFace(HDC dc, HBITMAP face) {
    UniqueMemoryDC memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    BITMAP size{};
    if (face && ::GetObjectW(face, sizeof(size), &size)) {
        SelectObjectGuard selected(memory.Get(), face);
        ::BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, memory.Get(), 0, 0, SRCCOPY);
    }
    const int selection = GetCurSel();
    if (selection == CB_ERR) return;
    std::wstring text = GetLBText(selection);
    SelectObjectGuard font(dc, m_font.Get());
    const int previousMode = ::SetBkMode(dc, TRANSPARENT);
    RECT where = m_rcText;
    ::DrawTextW(dc, text.c_str(), -1, &where, kCentred);
    ::SetBkMode(dc, previousMode);
}

void CBitmapComboBox::DrawItem(DRAWITEMSTRUCT* item) {
    const std::wstring text = GetLBText(static_cast<int>(item->itemID));
    if (item->itemState & ODS_COMBOBOXEDIT) {
        m_rcText = item->rcItem;
        WindowDC dc(m_hWnd);
        DrawFace(dc.Get(), CurrentFace());
        return;
    }
    UniqueBrush list(::CreateSolidBrush(kListColour));
    ::FillRect(item->hDC, &item->rcItem, list.Get());
    SelectObjectGuard font(item->hDC, m_font.Get());
    const COLORREF previousText = ::SetTextColor(item->hDC, RGB(0, 0, 0));
    const COLORREF previousBack = ::SetBkColor(item->hDC, kListColour);
    RECT where = item->rcItem;
    ::DrawTextW(item->hDC, text.c_str(), -1, &where, kCentred);
    ::SetTextColor(item->hDC, previousText);
    ::SetBkColor(item->hDC, previousBack);
}

LRESULT CBitmapComboBox::OnPaint(WPARAM, LPARAM) {
    PaintDC dc(m_hWnd);
    DrawFace(dc.Get(), CurrentFace());
    return 0;
}

LRESULT CBitmapComboBox::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Default();
    switch (TrackHoverByCapture(*this, m_bHovering, wParam, lParam)) {
    case HoverChange::Entered:
        Invalidate();
        ::SetTimer(m_hWnd, kHoverTimer, kHoverTimerMs, nullptr);
        break;
    case HoverChange::Left:
        Invalidate();
        break;
    case HoverChange::None:
        break;
    }
    return result;
}

LRESULT CBitmapComboBox::OnTimer(WPARAM wParam, LPARAM) {
    if (m_bHovering && wParam == kHoverTimer) {
        POINT cursor;
        HWND under = ::GetCursorPos(&cursor) ? ::WindowFromPoint(cursor) : nullptr;
        if (under && under != m_hWnd) {
            m_bHovering = FALSE;
            Invalidate();
            ::KillTimer(m_hWnd, kHoverTimer);
        }
    }
    return Default();
}

LRESULT CBitmapComboBox::OnLButtonDown(WPARAM, LPARAM) {
    m_bHovering = FALSE;
    return Default();
}

LRESULT CBitmapComboBox::OnKillFocus(WPARAM, LPARAM) {
    const LRESULT result = Default();
    EndHoverOnFocusLoss(*this, m_bHovering);
    return result;
}

LRESULT CBitmapComboBox::OnCaptureChanged(WPARAM, LPARAM) {
    RepaintHoverOnCaptureChange(*this, m_bHovering);
    return Default();
}

LRESULT CBitmapComboBox::OnGetObject(WPARAM wParam, LPARAM lParam) {
    const LRESULT answer = m_accessible.Answer(m_hWnd, wParam, lParam);
    return answer ? answer : Default();
}

LRESULT CBitmapComboBox::OnDestroy(WPARAM, LPARAM) {
    m_accessible.Disconnect();
    return Default();
}
