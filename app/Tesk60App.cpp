#include "app/Tesk60App.h"

#include "controller/TeskWin.h"
#include "resources/resource.h"
#include "window/TeskFrameWin.h"

namespace {
CTesk60App theApp;

constexpr wchar_t kInstanceMutexName[] = L"TESK60";
constexpr wchar_t kFrameTitle[] = L"Delm Halvo";
constexpr wchar_t kMainTitle[] = L"Delm Halvo1";
}  // namespace

CTesk60App& TeskApp() { return theApp; }

CTeskWin* CTesk60App::MainWin() const { return static_cast<CTeskWin*>(m_pMainWnd); }

CameraControl* CTesk60App::Control() const { return MainWin(); }

CameraView* CTesk60App::View() const { return m_pFrameWin; }

BOOL CTesk60App::InitInstance() {
    EnableControlContainer();

    m_hInstanceMutex = ::CreateMutexW(nullptr, FALSE, kInstanceMutexName);
    if (m_hInstanceMutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another copy runs: bring its camera window to the front and end. With no window
        // found (the first copy is still starting) these calls fail quietly.
        HWND running = ::FindWindowW(nullptr, kFrameTitle);
        ::SetForegroundWindow(running);
        ::SetWindowPos(running, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetFocus(running);
        m_hInstanceMutex = nullptr;  // not closed: the handle is the process's until it ends
        return TRUE;                 // no main window: the message loop ends at once
    }

    LPCWSTR windowClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                              static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)),
                                              ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(IDI_PROGRAM)));

    // The frame window first: the main window's creation places the video inside it.
    m_pFrameWin = new CTeskFrameWin;
    m_pFrameWin->CreateEx(0, windowClass, kFrameTitle, WS_CAPTION | WS_SYSMENU, 200, 30, 640, 480, nullptr, nullptr);

    auto* mainWin = new CTeskWin;  // deletes itself after its window is destroyed
    m_pMainWnd = mainWin;
    if (!mainWin->CreateEx(0, windowClass, kMainTitle, WS_POPUP, 360, 150, 640, 480, nullptr, nullptr)) {
        // A window that existed has taken its object with it (and ended the loop); one that
        // never existed leaves the object to us.
        if (m_pMainWnd == mainWin) delete mainWin;
        m_pMainWnd = nullptr;
        return TRUE;
    }

    mainWin->ShowWindow(SW_HIDE);
    m_pFrameWin->ShowWindow(SW_SHOW);
    m_pFrameWin->UpdateWindow();
    return TRUE;
}
