#include "utility/UtilityApp.h"

#include <commctrl.h>

#include <cstring>

#include "framework/Handles.h"
#include "framework/Trace.h"
#include "utility/QuitRequest.h"
#include "utility/UtilityDlg.h"

namespace {
CUtilityApp theApp;
constexpr char kInstanceMutexName[] = "DelmHalvo";
constexpr wchar_t kArea[] = L"utility";

bool AskedToQuit() {
    const char* arguments = ::GetCommandLineA();
    return std::strstr(arguments, utility::kQuitArgument) != nullptr;
}
}  // namespace

BOOL CUtilityApp::InitInstance() {
    EnableControlContainer();
    if (AskedToQuit()) {
        ::PostMessageA(HWND_BROADCAST, utility::QuitRequestMessage(), 0, 0);
        return FALSE;
    }

    m_hInstanceMutex = ::CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (!m_hInstanceMutex) TraceLastError(kArea, L"create the single-instance mutex (taken for a running copy)");
    if (!m_hInstanceMutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return TRUE;  // a copy runs: end quietly

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    {
        ScopedCoInitialize com;
        if (FAILED(com.Result())) TraceFailure(kArea, L"CoInitialize", com.Result());
        CUtilityDlg dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;  // the program ends here
}
