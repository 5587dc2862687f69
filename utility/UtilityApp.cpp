#include "utility/UtilityApp.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>

#include "framework/Handles.h"
#include "framework/Trace.h"
#include "utility/QuitRequest.h"
#include "utility/UtilityDlg.h"

namespace {
CUtilityApp theApp;
constexpr char kInstanceMutexName[] = "DelmHalvo";
constexpr wchar_t kArea[] = L"utility";

// The camera program's Start-menu entry starts it in "%LOCALAPPDATA%\Delm Halvo", each
// user's own, which Windows refuses when it is missing. The setup program installs for every
// account but runs as one; this program starts at every user's logon, and right after
// setup as the signed-in user, so it makes the folder. (Wide: a user's name need not fit
// the ANSI code page.)
void MakeCameraProgramFolder() {
    wchar_t folder[MAX_PATH + 16] = {};
    const HRESULT hr =
        ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (FAILED(hr)) {
        TraceFailure(kArea, L"find the user's local application data folder", hr);
        return;
    }
    std::wcscat(folder, L"\\Delm Halvo");
    if (!::CreateDirectoryW(folder, nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        TraceLastError(kArea, L"make the camera program's folder");
}

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
    MakeCameraProgramFolder();

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
