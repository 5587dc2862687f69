#pragma once
// CWinApp: the process's one application object. The framework's wWinMain (AppMain.cpp)
// runs InitInstance; when it returns TRUE, Run() pumps messages until WM_QUIT, which the
// framework posts when the main window (m_pMainWnd) is destroyed, or at once when
// InitInstance left no main window.
#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // The message loop; returns ExitInstance().
    virtual int Run();
    // Returns the process exit code: the WM_QUIT code that ended the loop.
    virtual int ExitInstance() { return m_exitCode; }
    // Offers a queued message to the window it is for and then to each parent in turn
    // (CWnd::PreTranslateMessage); TRUE means it must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Hosting of ActiveX controls is not offered; the call keeps the start-up sequence as
    // the program's description has it.
    void EnableControlContainer() {}

    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd = nullptr;

protected:
    int m_exitCode = 0;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// Registers (once) a window class of the framework with these attributes and returns its
// name. The name stays valid for the life of the process.
LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                            HICON icon = nullptr);
