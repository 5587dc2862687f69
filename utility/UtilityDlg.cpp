#include "utility/UtilityDlg.h"

#include "framework/Trace.h"
#include "resources/utility_resource.h"
#include "utility/CameraPanelDlg.h"
#include "utility/QuitRequest.h"

using namespace utility;

namespace {
constexpr UINT_PTR kPollTimer = 0;
constexpr UINT kPollMs = 500;
}  // namespace

CUtilityDlg::CUtilityDlg() : CDialog(IDD_UTILITY) {}

const MessageMap* CUtilityDlg::GetMessageMap() const {
    using Self = CUtilityDlg;
    // The quit request's number is known only at run time.
    static const MessageEntry entries[] = {
        OnMessage<WM_WINDOWPOSCHANGING, Self, &Self::OnWindowPosChanging>(),
        OnMessage<WM_CLOSE, Self, &Self::OnClose>(),
        OnMessage<WM_TIMER, Self, &Self::OnTimer>(),
        OnMessage<WM_ENDSESSION, Self, &Self::OnEndSession>(),
        OnRegisteredMessage<Self, &Self::OnQuitRequest>(QuitRequestMessage()),
        OnCommand<Self, &Self::OnOKButton>(IDC_UTILITY_OK, BN_CLICKED),
        OnCommand<Self, &Self::OnCancelButton>(IDC_UTILITY_CANCEL, BN_CLICKED),
    };
    static const MessageMap map = MakeMessageMap(CDialog::GetMessageMap(), entries);
    return &map;
}

BOOL CUtilityDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DetectedDriver driver = DetectDriver(m_registry);
    m_driver.kind = driver.kind;
    m_driver.access = driver.access;
    m_driverKey = std::move(driver.key);
    if (!::SetTimer(m_hWnd, kPollTimer, kPollMs, nullptr)) TraceLastError(L"utility", L"start the poll timer");
    return TRUE;
}

void CUtilityDlg::Hide() {
    ShowWindow(SW_HIDE);
    m_bMayShow = 0;
}

BOOL CUtilityDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        Hide();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

LRESULT CUtilityDlg::OnWindowPosChanging(WPARAM, LPARAM lParam) {
    if (!m_bMayShow) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
    return Default();
}

LRESULT CUtilityDlg::OnClose(WPARAM, LPARAM) {
    Hide();
    return 0;
}

LRESULT CUtilityDlg::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam == kPollTimer) Poll();
    return 0;
}

void CUtilityDlg::Poll() {
    if (HasInstanceIndex(m_driverKey.get())) {
        m_nDisplaySelection = ReadDisplaySelection(m_driverKey.get());
        if ((m_nDisplaySelection == 0 || m_nDisplaySelection == 1) && !m_bSnapshotLatch &&
            IsSnapshotActive(m_registry, m_driverKey.get())) {
            BOOL screenSaverRunning = FALSE;
            ::SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &screenSaverRunning, 0);
            if (!screenSaverRunning && (m_driver.kind == DriverKind::Standard || m_driver.kind == DriverKind::Uvc))
                CCameraPanelDlg::ToggleCameraPanel(m_driver);
            m_bSnapshotLatch = TRUE;
        }
    }
    if (!IsSnapshotActive(m_registry, m_driverKey.get())) m_bSnapshotLatch = FALSE;
    if (!HasDisplaySelection(m_driverKey.get())) {  // the driver is gone: stop for good, stay alive
        m_driverKey.reset();
        ::KillTimer(m_hWnd, kPollTimer);
    }
}

void CUtilityDlg::Quit() {
    if (CCameraPanelDlg* panel = CCameraPanelDlg::OpenPanel()) panel->Close();
    EndDialog(IDOK);
}

LRESULT CUtilityDlg::OnEndSession(WPARAM wParam, LPARAM) {
    if (wParam) Quit();
    return 0;
}

LRESULT CUtilityDlg::OnQuitRequest(WPARAM, LPARAM) {
    Quit();
    return 0;
}
