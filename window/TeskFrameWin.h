#pragma once
// CTeskFrameWin: the camera window the user sees, titled "Delm Halvo". The live picture is
// the preview graph's video window, a child of this one; graph events arrive here as
// WM_TESK_GRAPH_EVENT and are handled by the main window. Its object is never deleted.
#include "capture/GraphCallbacks.h"
#include "framework/Wnd.h"

class CTeskFrameWin : public CWnd, public GraphEventHandler, public GraphCallback {
public:
    // Offers the capture sizes the camera accepts (called by the main window at the end of
    // its creation).
    void FillResolutionList();

protected:
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnGraphEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
};
