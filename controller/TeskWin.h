#pragma once
// CTeskWin: the hidden main window, controller of the camera side. Its object deletes
// itself after its window has been destroyed; being the application's main window, its
// destruction ends the program.
#include "framework/Wnd.h"

class CTeskWin : public CWnd {
protected:
    void PostNcDestroy() override { delete this; }
};
