#include "controls/HoverButton.h"

#include <commctrl.h>

#include "framework/WinApp.h"
#include "controls/HoverFrame.h"
#include "controls/Skin.h"

CHoverButton::CHoverButton() {
    // Asked only while connected, that is while this button's window exists.
    m_accessible.Set(L"", ROLE_SYSTEM_PUSHBUTTON, [this](long state) {
        return m_bOn ? state | STATE_SYSTEM_PRESSED : state & ~STATE_SYSTEM_PRESSED;
    });
}

const MessageMap* CHoverButton::GetMessageMap() const {
    using Self = CHoverButton;
    static const MessageEntry entries[] = {
        OnMessage<WM_MOUSEMOVE, Self, &Self::OnMouseMove>(),
        OnMessage<WM_MOUSEHOVER, Self, &Self::OnMouseHover>(),
        OnMessage<WM_MOUSELEAVE, Self, &Self::OnMouseLeave>(),
        OnMessage<WM_RBUTTONDOWN, Self, &Self::OnRButtonDown>(),
        OnMessage<WM_GETOBJECT, Self, &Self::OnGetObject>(),
        OnMessage<WM_DESTROY, Self, &Self::OnDestroy>(),
    };
    static const MessageMap map = MakeMessageMap(CButton::GetMessageMap(), entries);
    return &map;
}

BOOL CHoverButton::LoadStrip(UINT bitmapId, int x, int y, int regionWidth, int regionHeight, int dpi) {
    m_strip = LoadSkin(AfxGetInstanceHandle(), static_cast<int>(bitmapId), dpi, m_bSixFrames ? 6 : 4,
                       LR_LOADMAP3DCOLORS);
    BITMAP size{};
    if (m_strip && ::GetObjectW(m_strip.Get(), sizeof(size), &size)) {
        m_nFrameHeight = size.bmHeight;
        m_nFrameWidth = size.bmWidth / (m_bSixFrames ? 6 : 4);
    }
    // On top of the panel's background picture, which shares the buttons' place.
    SetWindowPos(nullptr, x, y, m_nFrameWidth, m_nFrameHeight, SWP_NOOWNERZORDER);
    UniqueRegion region(::CreateRectRgn(0, 0, regionWidth, regionHeight));
    if (region && ::SetWindowRgn(m_hWnd, region.Get(), TRUE)) region.Release();  // the system owns it now
    return 1;
}

void CHoverButton::DrawItem(DRAWITEMSTRUCT* item) {
    if (!m_strip) return;
    UniqueMemoryDC memory(::CreateCompatibleDC(item->hDC));
    if (!memory) return;
    const int frame = HoverButtonFrame(m_bSixFrames != FALSE, m_bOn != FALSE,
                                                (item->itemState & ODS_SELECTED) != 0, m_bHovering != FALSE);
    SelectObjectGuard selected(memory.Get(), m_strip.Get());
    ::BitBlt(item->hDC, 0, 0, m_nFrameWidth, m_nFrameHeight, memory.Get(), frame * m_nFrameWidth, 0, SRCCOPY);
}

LRESULT CHoverButton::OnMouseMove(WPARAM, LPARAM) {
    if (!m_bTracking) {
        // The structure's own size: the 32-bit layout's 16 bytes fail on 64-bit Windows.
        TRACKMOUSEEVENT track{sizeof(track)};
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = m_hWnd;
        track.dwHoverTime = 1;
        m_bTracking = ::_TrackMouseEvent(&track);
    }
    return Default();
}

LRESULT CHoverButton::OnMouseHover(WPARAM, LPARAM) {
    m_bHovering = TRUE;
    Invalidate(TRUE);
    return 0;
}

LRESULT CHoverButton::OnMouseLeave(WPARAM, LPARAM) {
    m_bTracking = FALSE;
    m_bHovering = FALSE;
    Invalidate(TRUE);
    return 0;
}

LRESULT CHoverButton::OnRButtonDown(WPARAM, LPARAM) { return Default(); }

LRESULT CHoverButton::OnGetObject(WPARAM wParam, LPARAM lParam) {
    const LRESULT answer = m_accessible.Answer(m_hWnd, wParam, lParam);
    return answer ? answer : Default();
}

LRESULT CHoverButton::OnDestroy(WPARAM, LPARAM) {
    m_accessible.Disconnect();
    return Default();
}
