#include "window/TeskFrameWin.h"

#include "app/Tesk60App.h"
#include "controller/TeskWin.h"
#include "framework/Handles.h"

namespace {
const COLORREF kNoVideoGrey = RGB(99, 99, 99);
constexpr int kVideoHeight = 480;

bool NoVideo() {
    CTeskWin* mainWin = TeskApp().MainWin();
    return !mainWin || mainWin->m_bNoVideo;
}
}  // namespace

const MessageMap* CTeskFrameWin::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnMessage<CTeskFrameWin, &CTeskFrameWin::OnPaint>(WM_PAINT),
        OnMessage<CTeskFrameWin, &CTeskFrameWin::OnEraseBackground>(WM_ERASEBKGND),
        OnMessage<CTeskFrameWin, &CTeskFrameWin::OnGraphEvent>(WM_TESK_GRAPH_EVENT),
        OnMessage<CTeskFrameWin, &CTeskFrameWin::OnDestroy>(WM_DESTROY),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
    return &map;
}

void CTeskFrameWin::FillResolutionList() {}

// Without a live picture the window paints the video area grey itself; with one, the video
// window covers it and nothing here may paint over it.
LRESULT CTeskFrameWin::OnPaint(WPARAM, LPARAM) {
    PaintDC dc(m_hWnd);
    if (NoVideo()) {
        RECT client;
        GetClientRect(&client);
        client.bottom = kVideoHeight;
        UniqueBrush grey(::CreateSolidBrush(kNoVideoGrey));
        ::FillRect(dc.Get(), &client, grey.Get());
    }
    return 0;
}

LRESULT CTeskFrameWin::OnEraseBackground(WPARAM, LPARAM) { return NoVideo() ? Default() : TRUE; }

LRESULT CTeskFrameWin::OnGraphEvent(WPARAM, LPARAM) {
    if (CTeskWin* mainWin = TeskApp().MainWin()) mainWin->HandleGraphEvents();
    return 1;
}

// Closing the camera window closes the main window, and with it the program.
LRESULT CTeskFrameWin::OnDestroy(WPARAM, LPARAM) {
    Default();
    if (CWnd* mainWin = TeskApp().m_pMainWnd) mainWin->PostMessage(WM_CLOSE);
    return 0;
}
