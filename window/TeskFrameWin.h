#pragma once
// CTeskFrameWin: the camera window the user sees, titled "Delm Halvo".
#include "framework/Wnd.h"

class CTeskFrameWin : public CWnd {
protected:
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
};
