#include "framework/WinApp.h"

#include <cstdio>
#include <list>
#include <mutex>
#include <string>

#include "framework/Wnd.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() : m_hInstance(::GetModuleHandleW(nullptr)) { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle() { return g_app ? g_app->m_hInstance : ::GetModuleHandleW(nullptr); }

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
    for (HWND wnd = msg->hwnd; wnd;
         wnd = (::GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD) ? ::GetParent(wnd) : nullptr) {
        if (CWnd* object = CWnd::FromHandle(wnd); object && object->PreTranslateMessage(msg)) return TRUE;
    }
    return FALSE;
}

int CWinApp::Run() {
    if (!m_pMainWnd) ::PostQuitMessage(0);
    MSG msg{};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_exitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static std::mutex lock;
    static std::list<std::wstring> names;  // nodes never move: the pointers handed out stay valid
    HINSTANCE instance = AfxGetInstanceHandle();

    wchar_t name[96];
    std::swprintf(name, 96, L"Afx:%p:%x:%p:%p:%p", static_cast<void*>(instance), classStyle,
                  static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));

    std::lock_guard<std::mutex> guard(lock);
    for (const std::wstring& known : names)
        if (known == name) return known.c_str();

    WNDCLASSEXW wc{sizeof(wc)};
    if (!::GetClassInfoExW(instance, name, &wc)) {
        wc = WNDCLASSEXW{sizeof(wc)};
        wc.style = classStyle;
        wc.lpfnWndProc = &CWnd::StandardWndProc;
        wc.hInstance = instance;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = name;
        if (!::RegisterClassExW(&wc)) return nullptr;
    }
    names.emplace_back(name);
    return names.back().c_str();
}
