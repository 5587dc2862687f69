#include "controls/BitmapBtn.h"

#include "controls/BitmapRegion.h"
#include "controls/HoverTracking.h"

CBitmapBtn::~CBitmapBtn() {
    m_bHovering = FALSE;
    m_bEnabled = FALSE;
}

const MessageMap* CBitmapBtn::GetMessageMap() const {
    using Self = CBitmapBtn;
    static const MessageEntry entries[] = {
        OnMessage<WM_KILLFOCUS, Self, &Self::OnKillFocus>(),
        OnMessage<WM_MOUSEMOVE, Self, &Self::OnMouseMove>(),
        OnMessage<WM_CAPTURECHANGED, Self, &Self::OnCaptureChanged>(),
        OnMessage<WM_ERASEBKGND, Self, &Self::OnEraseBackground>(),
        OnMessage<WM_CHAR, Self, &Self::OnInputWhileEnabled>(),
        OnMessage<WM_KEYUP, Self, &Self::OnInputWhileEnabled>(),
        OnMessage<WM_KEYDOWN, Self, &Self::OnInputWhileEnabled>(),
        OnMessage<WM_LBUTTONDBLCLK, Self, &Self::OnInputWhileEnabled>(),
        OnMessage<WM_LBUTTONDOWN, Self, &Self::OnInputWhileEnabled>(),
        OnMessage<WM_LBUTTONUP, Self, &Self::OnInputWhileEnabled>(),
        OnMessage<WM_GETOBJECT, Self, &Self::OnGetObject>(),
        OnMessage<WM_DESTROY, Self, &Self::OnDestroy>(),
    };
    static const MessageMap map = MakeMessageMap(CButton::GetMessageMap(), entries);
    return &map;
}

void CBitmapBtn::PreSubclassWindow() {
    const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    SendMessage(BM_SETSTYLE, (style & 0xFF) | BS_OWNERDRAW, TRUE);
    CButton::PreSubclassWindow();
    ::SetWindowLongW(m_hWnd, GWL_STYLE, (::GetWindowLongW(m_hWnd, GWL_STYLE) & ~WS_TABSTOP) | BS_OWNERDRAW);
}

void CBitmapBtn::SetBitmaps(HBITMAP normal, HBITMAP hover, HBITMAP pressed, HBITMAP disabled, const RECT& rect) {
    WindowDC dc(m_hWnd);
    CopyBitmapRegion(dc.Get(), m_normal, normal, rect);
    CopyBitmapRegion(dc.Get(), m_hover, hover, rect);
    CopyBitmapRegion(dc.Get(), m_pressed, pressed, rect);
    CopyBitmapRegion(dc.Get(), m_disabled, disabled, rect);
}

BOOL CBitmapBtn::SetEnabled(BOOL enabled) {
    const BOOL previous = m_bEnabled;
    m_bEnabled = enabled;
    Invalidate(TRUE);
    return previous;
}

void CBitmapBtn::DrawItem(DRAWITEMSTRUCT* item) {
    HBITMAP face = m_normal.Get();
    if (!m_bEnabled)
        face = m_disabled.Get();
    else if (item->itemState & ODS_SELECTED)
        face = m_pressed.Get();
    else if (m_bHovering)
        face = m_hover.Get();

    RECT client;
    GetClientRect(&client);
    if (!face) {  // a face never set: the plain button colour
        ::FillRect(item->hDC, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    UniqueMemoryDC memory(::CreateCompatibleDC(item->hDC));
    if (!memory) return;
    SelectObjectGuard selected(memory.Get(), face);
    ::BitBlt(item->hDC, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
}

LRESULT CBitmapBtn::OnKillFocus(WPARAM, LPARAM) {
    const LRESULT result = Default();
    EndHoverOnFocusLoss(*this, m_bHovering);
    return result;
}

LRESULT CBitmapBtn::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Default();
    switch (TrackHoverByCapture(*this, m_bHovering, wParam, lParam)) {
    case HoverChange::Entered:
        ::SetCapture(m_hWnd);
        Invalidate();
        break;
    case HoverChange::Left:
        Invalidate();
        break;
    case HoverChange::None:
        break;
    }
    return result;
}

LRESULT CBitmapBtn::OnCaptureChanged(WPARAM, LPARAM) {
    RepaintHoverOnCaptureChange(*this, m_bHovering);
    return Default();
}

LRESULT CBitmapBtn::OnEraseBackground(WPARAM, LPARAM) { return 0; }

LRESULT CBitmapBtn::OnInputWhileEnabled(WPARAM, LPARAM) { return m_bEnabled ? Default() : 0; }

LRESULT CBitmapBtn::OnGetObject(WPARAM wParam, LPARAM lParam) {
    const LRESULT answer = m_accessible.Answer(m_hWnd, wParam, lParam);
    return answer ? answer : Default();
}

LRESULT CBitmapBtn::OnDestroy(WPARAM, LPARAM) {
    m_accessible.Disconnect();
    return Default();
}
