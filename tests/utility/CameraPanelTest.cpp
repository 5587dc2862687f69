// The camera panel in this process, without a driver: a toggle opens it, keys that close
// dialogs do not close it, a move to another DPI lays it out anew, and a second toggle
// closes it and frees it.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <tuple>

#include "framework/ComPtr.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "resources/utility_resource.h"
#include "utility/CameraPanelDlg.h"
#include "utility/WinRegistry.h"

TEST(CameraPanel, ASecondToggleClosesTheOpenPanelWhichEscapeAndEnterLeaveOpen) {
    CWinApp app;
    ScopedCoInitialize com;
    utility::WinRegistry registry;
    const utility::DriverContext noDriver{registry};  // nothing found: no camera, no saved place
    CCameraPanelDlg::ToggleCameraPanel(noDriver);
    HWND panel = ::FindWindowA(nullptr, "Camera Utility");
    ASSERT_TRUE(panel) << "the panel carries the utility's title";
    CCameraPanelDlg* object = CCameraPanelDlg::OpenPanel();
    ASSERT_TRUE(object);
    EXPECT_TRUE(::IsWindowVisible(panel));
    EXPECT_TRUE(::GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(::GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "no taskbar button, no Alt+Tab entry";
    EXPECT_FALSE(::GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    RECT rect;
    ::GetWindowRect(panel, &rect);
    EXPECT_EQ(rect.right - rect.left, 42);
    EXPECT_EQ(rect.bottom - rect.top, 162);
    EXPECT_EQ(rect.left, ::GetSystemMetrics(SM_CXSCREEN) - 50) << "no driver: the default place";

    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {  // through the loop's pre-translation
        MSG msg{object->m_flip.m_hWnd, WM_KEYDOWN, key, 0x00010001};
        if (!app.PreTranslateMessage(&msg)) ::DispatchMessageW(&msg);
        EXPECT_TRUE(::IsWindow(panel)) << "key " << key;
    }

    // Moved to a monitor of 200 %: its own size at that DPI, the suggested place, and the
    // buttons and the background at that scale.
    SIZE size{};
    ASSERT_TRUE(::SendMessageW(panel, kWmGetDpiScaledSize, 192, reinterpret_cast<LPARAM>(&size)));
    EXPECT_EQ(size.cx, 84);
    EXPECT_EQ(size.cy, 324);
    RECT suggested{100, 120, 100 + size.cx, 120 + size.cy};
    ::SendMessageW(panel, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    ::GetWindowRect(panel, &rect);
    EXPECT_TRUE(::EqualRect(&rect, &suggested));
    const std::pair<CHoverButton*, POINT> buttons[] = {
        {&object->m_flip, {16, 100}}, {&object->m_lowLight, {20, 172}}, {&object->m_setting, {16, 240}}};
    for (const auto& [button, corner] : buttons) {
        RECT placed;
        ::GetWindowRect(button->m_hWnd, &placed);
        EXPECT_EQ(placed.left - rect.left, corner.x);
        EXPECT_EQ(placed.top - rect.top, corner.y);
        EXPECT_EQ(placed.right - placed.left, 48) << "a frame of the 200 % strip";
        EXPECT_EQ(button->FrameWidth(), 48);
    }
    RECT background;
    ::GetWindowRect(::GetDlgItem(panel, IDC_PANEL_BACKGROUND), &background);
    EXPECT_EQ(background.right - background.left, 84);
    EXPECT_EQ(background.bottom - background.top, 324);

    // A screen reader reads push buttons by their names, pressed while on.
    object->m_flip.m_bOn = TRUE;
    object->m_lowLight.m_bOn = FALSE;
    const std::tuple<CHoverButton*, const wchar_t*, bool> named[] = {
        {&object->m_flip, L"Flip", true}, {&object->m_lowLight, L"Low Light", false}, {&object->m_setting, L"Setting", false}};
    for (const auto& [button, name, pressed] : named) {
        ComPtr<IAccessible> accessible;
        ASSERT_EQ(::AccessibleObjectFromWindow(button->m_hWnd, OBJID_CLIENT, __uuidof(IAccessible), accessible.PutVoid()),
                  S_OK);
        VARIANT self, role, state;
        V_VT(&self) = VT_I4;
        V_I4(&self) = CHILDID_SELF;
        BSTR text = nullptr;
        ASSERT_EQ(accessible->get_accName(self, &text), S_OK);
        EXPECT_STREQ(text, name);
        ::SysFreeString(text);
        ASSERT_EQ(accessible->get_accRole(self, &role), S_OK);
        EXPECT_EQ(V_I4(&role), ROLE_SYSTEM_PUSHBUTTON) << name;
        ASSERT_EQ(accessible->get_accState(self, &state), S_OK);
        EXPECT_EQ((V_I4(&state) & STATE_SYSTEM_PRESSED) != 0, pressed) << name;
    }

    // The picture the panel shows is its own: it goes with the panel's object.
    const auto picture = reinterpret_cast<HGDIOBJ>(
        ::SendDlgItemMessageW(panel, IDC_PANEL_BACKGROUND, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_EQ(::GetObjectType(picture), static_cast<DWORD>(OBJ_BITMAP));
    CCameraPanelDlg::ToggleCameraPanel(noDriver);
    EXPECT_FALSE(::IsWindow(panel));
    EXPECT_EQ(CCameraPanelDlg::OpenPanel(), nullptr);
    EXPECT_EQ(::GetObjectType(picture), 0u) << "the closed panel's object is deleted";

    // A close request (Alt+F4) ends it as well, and frees it.
    CCameraPanelDlg::ToggleCameraPanel(noDriver);
    panel = ::FindWindowA(nullptr, "Camera Utility");
    ASSERT_TRUE(panel);
    ::SendMessageW(panel, WM_CLOSE, 0, 0);  // the dialog posts itself a cancel
    for (int turn = 0; turn < 100 && ::IsWindow(panel); ++turn) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(10);
    }
    EXPECT_FALSE(::IsWindow(panel));
    EXPECT_EQ(CCameraPanelDlg::OpenPanel(), nullptr);
}
