#pragma once
// The camera program's application object: single instance and the window pair.
#include "framework/WinApp.h"

class CameraControl;
class CameraView;
class CTeskFrameWin;
class CTeskWin;

class CTesk60App : public CWinApp {
public:
    BOOL InitInstance() override;

    // m_pMainWnd (the framework's member) is the hidden CTeskWin.
    CTeskWin* MainWin() const;
    // The two windows as each sees the other; null when that window is gone.
    CameraControl* Control() const;
    CameraView* View() const;

    CTeskFrameWin* m_pFrameWin = nullptr;  // never deleted: lives until the process ends
    // Held for the life of the process and released by the system at exit, so that a
    // second copy sees it; null in a second copy.
    HANDLE m_hInstanceMutex = nullptr;
};

// The process's application object.
CTesk60App& TeskApp();
