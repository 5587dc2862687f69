#include "window/TeskFrameWin.h"

#include "app/Tesk60App.h"
#include "framework/Handles.h"

namespace {
const COLORREF kNoVideoGrey = RGB(99, 99, 99);
}

const MessageMap* CTeskFrameWin::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnMessage<CTeskFrameWin, &CTeskFrameWin::OnPaint>(WM_PAINT),
        OnMessage<CTeskFrameWin, &CTeskFrameWin::OnDestroy>(WM_DESTROY),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
    return &map;
}

// Closing the camera window closes the main window, and with it the program.
LRESULT CTeskFrameWin::OnDestroy(WPARAM, LPARAM) {
    Default();
    if (CWnd* mainWin = TeskApp().m_pMainWnd) mainWin->PostMessage(WM_CLOSE);
    return 0;
}

// Until the live picture is shown, the window shows the grey of an empty video area.
LRESULT CTeskFrameWin::OnPaint(WPARAM, LPARAM) {
    PaintDC dc(m_hWnd);
    RECT client;
    GetClientRect(&client);
    UniqueBrush grey(::CreateSolidBrush(kNoVideoGrey));
    ::FillRect(dc.Get(), &client, grey.Get());
    return 0;
}
