#include "window/TeskFrameWin.h"

#include "app/Tesk60App.h"

const MessageMap* CTeskFrameWin::GetMessageMap() const {
    static const MessageEntry entries[] = {
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
