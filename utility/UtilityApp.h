#pragma once
// The button utility's application object: single instance, then the hidden dialog's modal
// loop for the life of the program.
#include "framework/WinApp.h"

class CUtilityApp : public CWinApp {
public:
    BOOL InitInstance() override;

    // Owned from the start and held until the process ends, so that a second copy sees it.
    HANDLE m_hInstanceMutex = nullptr;
};
