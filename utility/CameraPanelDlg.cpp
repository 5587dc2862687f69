#include "utility/CameraPanelDlg.h"

#include <algorithm>

#include "controls/Skin.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/Trace.h"
#include "framework/WinApp.h"
#include "resources/utility_resource.h"
#include "utility/CameraAccess.h"
#include "utility/PanelLayout.h"
#include "utility/PanelPlacement.h"
#include "utility/WindowLookup.h"

using namespace utility;

namespace {
constexpr UINT_PTR kStateTimer = 0;
constexpr UINT kStateTimerMs = 500;

constexpr wchar_t kArea[] = L"camera panel";

// `place` moved wholly into the work area of the monitor nearest to a panel there of the
// size it has at `dpi`, with the size it has at that monitor's DPI: a place saved before a
// monitor went, or the resolution was lowered, stays within reach on any scale.
PanelPosition OnScreen(PanelPosition place, int dpi) {
    const PanelLayout layout = PanelLayoutAt(dpi);
    // Any place read from the registry, however far, without overflowing the rectangle.
    const auto bounded = [](int32_t v) { return std::clamp<int32_t>(v, -(1 << 30), 1 << 30); };
    const RECT panel{bounded(place.x), bounded(place.y), bounded(place.x) + layout.width,
                     bounded(place.y) + layout.height};
    const HMONITOR nearest = ::MonitorFromRect(&panel, MONITOR_DEFAULTTONEAREST);
    MONITORINFO monitor{sizeof(monitor)};
    if (!::GetMonitorInfoW(nearest, &monitor)) return place;
    const RECT& work = monitor.rcWork;
    return KeepInsideAtDpi(place, MonitorDpi(nearest), ScreenRect{work.left, work.top, work.right, work.bottom});
}

std::string PanelTitle() {
    char title[64] = {};
    ::LoadStringA(AfxGetInstanceHandle(), IDS_PANEL_TITLE, title, sizeof(title));
    return title;
}
}  // namespace

CCameraPanelDlg::CCameraPanelDlg(const DriverContext& driver)
    : CDialog(IDD_CAMERA_PANEL),
      m_driver(driver),
      m_hIcon(::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDI_UTILITY))) {}

const MessageMap* CCameraPanelDlg::GetMessageMap() const {
    using Self = CCameraPanelDlg;
    static const MessageEntry entries[] = {
        OnCommand<Self, &Self::OnFlip>(IDC_FLIP, BN_CLICKED),
        OnCommand<Self, &Self::OnLowLight>(IDC_LOW_LIGHT, BN_CLICKED),
        OnCommand<Self, &Self::OnSetting>(IDC_SETTING, BN_CLICKED),
        OnMessage<WM_TIMER, Self, &Self::OnTimer>(),
        OnMessage<WM_LBUTTONDOWN, Self, &Self::OnLButtonDown>(),
        OnMessage<WM_MOUSEMOVE, Self, &Self::OnMouseMove>(),
        OnMessage<WM_CLOSE, Self, &Self::OnClose>(),
        OnMessage<WM_PAINT, Self, &Self::OnPaint>(),
        OnMessage<WM_QUERYDRAGICON, Self, &Self::OnQueryDragIcon>(),
        OnMessage<kWmGetDpiScaledSize, Self, &Self::OnGetDpiScaledSize>(),
        OnMessage<WM_DPICHANGED, Self, &Self::OnDpiChanged>(),
    };
    static const MessageMap map = MakeMessageMap(CDialog::GetMessageMap(), entries);
    return &map;
}

CCameraPanelDlg* CCameraPanelDlg::OpenPanel() {
    HWND panel = ::FindWindowA(nullptr, PanelTitle().c_str());
    return panel ? dynamic_cast<CCameraPanelDlg*>(CWnd::FromHandle(panel)) : nullptr;
}

void CCameraPanelDlg::ToggleCameraPanel(const DriverContext& driver) {
    if (CCameraPanelDlg* open = OpenPanel()) {
        open->Close();
        return;
    }
    auto panel = std::make_unique<CCameraPanelDlg>(driver);
    if (!panel->Create(IDD_CAMERA_PANEL)) {
        TraceLastError(kArea, L"create the panel");
        return;
    }
    panel->m_bSelfOwned = true;
    panel.release()->ShowWindow(SW_SHOW);
}

BOOL CCameraPanelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The template has no caption; the title lets a second toggle find this panel.
    ::SetWindowTextA(m_hWnd, PanelTitle().c_str());
    m_driverKey = OpenDriverKey(m_driver.registry, m_driver.kind, m_driver.access);

    // Every size is the 96-DPI design scaled to the panel's DPI; the saved place is in
    // screen pixels.
    m_nDpi = WindowDpi(m_hWnd);
    KeepOwnLayoutOnDpiChange(m_hWnd);
    const PanelLayout layout = PanelLayoutAt(m_nDpi);
    RECT desktop;
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    const PanelPosition byDefault{desktop.right - layout.defaultFromRight, desktop.bottom - layout.defaultFromBottom};
    const PanelPosition place = OnScreen(LoadPanelPosition(m_driver.registry, m_driverKey.get(), byDefault), m_nDpi);
    // The panel is the size of its background picture, whatever the dialog font makes of the
    // template's dialog units. On a monitor of another DPI the move brings WM_DPICHANGED.
    m_bPlacing = true;
    SetWindowPos(HWND_TOPMOST, place.x, place.y, layout.width, layout.height, SWP_NOREDRAW);
    m_bPlacing = false;

    const CameraStates states = ReadCameraStates(m_driver);
    m_flip.m_bOn = states.flip;
    m_lowLight.m_bOn = states.lowLight;
    m_flip.m_bSixFrames = FALSE;
    m_lowLight.m_bSixFrames = TRUE;
    m_setting.m_bSixFrames = FALSE;
    LayOut();

    ::SetTimer(m_hWnd, kStateTimer, kStateTimerMs, nullptr);
    return TRUE;
}

void CCameraPanelDlg::LayOut() {
    const PanelLayout layout = PanelLayoutAt(m_nDpi);
    UniqueRegion region(::CreateRectRgn(0, 0, layout.width, layout.height));
    if (region && ::SetWindowRgn(m_hWnd, region.Get(), TRUE)) region.Release();  // the system owns it now
    // The background picture: the template's static, given the picture of this DPI.
    if (HWND background = ::GetDlgItem(m_hWnd, IDC_PANEL_BACKGROUND)) {
        // The static keeps showing the earlier picture until it has the new one.
        ShowSkinInStatic(background, m_background, LoadSkin(AfxGetInstanceHandle(), IDB_PANEL, m_nDpi));
        ::SetWindowPos(background, nullptr, 0, 0, layout.width, layout.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const auto load = [this](CHoverButton& button, UINT strip, const PanelButtonPlace& place) {
        button.LoadStrip(strip, place.x, place.y, place.size, place.size, m_nDpi);
    };
    load(m_flip, IDB_FLIP_STRIP, layout.flip);
    load(m_lowLight, IDB_LOW_LIGHT_STRIP, layout.lowLight);
    load(m_setting, IDB_SETTING_STRIP, layout.setting);
}

LRESULT CCameraPanelDlg::OnGetDpiScaledSize(WPARAM wParam, LPARAM lParam) {
    const PanelLayout layout = PanelLayoutAt(static_cast<int>(wParam));
    *reinterpret_cast<SIZE*>(lParam) = SIZE{layout.width, layout.height};
    return TRUE;
}

// Moved to a monitor of another DPI: the suggested rectangle, then everything at the new scale.
LRESULT CCameraPanelDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    m_nDpi = TakeSuggestedRect(m_hWnd, wParam, lParam);
    if (m_bPlacing) {
        // Opening on that monitor: the suggested place at its scale is kept on it too. (A
        // drag across monitors is left where the pointer takes it.)
        RECT rect;
        GetWindowRect(&rect);
        const PanelPosition place = OnScreen(PanelPosition{rect.left, rect.top}, m_nDpi);
        SetWindowPos(nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayOut();
    Invalidate(TRUE);
    return 0;
}

void CCameraPanelDlg::DoDataExchange(CDataExchange* exchange) {
    DDX_Control(exchange, IDC_FLIP, m_flip);
    DDX_Control(exchange, IDC_LOW_LIGHT, m_lowLight);
    DDX_Control(exchange, IDC_SETTING, m_setting);
}

BOOL CCameraPanelDlg::PreTranslateMessage(MSG* msg) {
    // Neither key closes the panel: they skip the dialog's keyboard handling.
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN)) return FALSE;
    return CDialog::PreTranslateMessage(msg);
}

// The new state shows at the button's next repaint.
void CCameraPanelDlg::OnFlip() {
    if (const std::optional<bool> on = ToggleFlip(m_driver)) m_flip.m_bOn = *on;
}

void CCameraPanelDlg::OnLowLight() {
    if (const std::optional<bool> on = ToggleLowLight(m_driver)) m_lowLight.m_bOn = *on;
}

void CCameraPanelDlg::OnSetting() {
    if (HWND frame = FindPropertyFrame()) {
        ::DestroyWindow(frame);
        m_setting.m_bOn = FALSE;
        return;
    }
    m_setting.m_bOn = TRUE;
    // Modal: returns when the frame closes. The panel's timer runs meanwhile and may close
    // the frame and the panel, deleting this object: nothing of it is touched afterwards.
    OpenPropertyFrame(m_driver, PanelLayoutAt(m_nDpi).propertyFrameOffset);
}

LRESULT CCameraPanelDlg::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam != kStateTimer) return Default();
    HWND frame = FindPropertyFrame();
    if (frame && m_driver.kind == DriverKind::Standard) {
        const CameraStates states = ReadCameraStates(m_driver);
        m_flip.m_bOn = states.flip;
        m_lowLight.m_bOn = states.lowLight;
    }
    m_setting.m_bOn = frame != nullptr;
    if (!IsSnapshotActive(m_driver.registry, m_driverKey.get())) Close();
    return 0;
}

void CCameraPanelDlg::Close() {
    RECT rect;  // in screen coordinates, as the panel is placed
    if (m_driverKey && ::GetWindowRect(m_hWnd, &rect) &&
        !SavePanelPosition(m_driver.registry, m_driverKey.get(), PanelPosition{rect.left, rect.top}))
        TraceFailure(kArea, L"save the panel's place", E_FAIL);
    if (HWND frame = FindPropertyFrame()) {
        ::DestroyWindow(frame);
        RestoreOwnerWindows(m_driver);
    }
    DestroyWindow();  // deletes this object
}

// Dragged by any point of its background, as by a caption.
LRESULT CCameraPanelDlg::OnLButtonDown(WPARAM, LPARAM lParam) {
    Default();
    PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, lParam);
    return 0;
}

LRESULT CCameraPanelDlg::OnMouseMove(WPARAM, LPARAM) { return Default(); }

LRESULT CCameraPanelDlg::OnClose(WPARAM, LPARAM) {
    RestoreOwnerWindows(m_driver);
    return Default();
}

LRESULT CCameraPanelDlg::OnPaint(WPARAM, LPARAM) {
    if (!::IsIconic(m_hWnd)) return Default();
    PaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()));
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, m_hIcon);
    return 0;
}

LRESULT CCameraPanelDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }
