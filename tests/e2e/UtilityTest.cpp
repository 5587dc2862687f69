// The camera button utility DelmHalvoUVC.exe under Wine with the simulated driver and the
// virtual camera: the snapshot button pressed and released through the driver's registry
// values, the panel used with real X input, the camera's state and write log read back.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "testworld/camera/CameraRegistry.h"
#include "testworld/driver/SimulatedDriver.h"
#include "framework/Handles.h"
#include "resources/utility_resource.h"
#include "tests/support/DisplayDpi.h"
#include "tests/components/support/ComponentWorld.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"
#include "tests/support/XInput.h"
#include "utility/PanelLayout.h"

using namespace e2e;

namespace {
constexpr DWORD kPanelTimeoutMs = 3000;
constexpr wchar_t kPanelTitle[] = L"Camera Utility";
// The panel at the scenario's DPI (96 unless a further run names another).
const int kDpi = ScenarioDpi();
const utility::PanelLayout kLayout = utility::PanelLayoutAt(kDpi);
POINT Centre(const utility::PanelButtonPlace& b) { return POINT{b.x + b.size / 2, b.y + b.size / 2}; }
const POINT kFlip = Centre(kLayout.flip);
const POINT kLowLight = Centre(kLayout.lowLight);
const POINT kSetting = Centre(kLayout.setting);
const POINT kBackground{display::Scaled(20, kDpi), display::Scaled(150, kDpi)};

// A pixel of one of the utility's bitmaps in the set of the scenario's DPI.
COLORREF UtilityBitmapPixel(int id, int x, int y) {
    UniqueModule program(
        ::LoadLibraryExW((BinDir() + L"\\DelmHalvoUVC.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    const int resource = display::SkinResourceId(id, display::SkinSetDpi(kDpi));
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(program.Get(), MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    SelectObjectGuard selected(dc.Get(), bitmap.Get());
    return ::GetPixel(dc.Get(), x, y);
}

struct VisibleWindows {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<VisibleWindows*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(wnd, &owner);
    if (owner == search->processId && ::IsWindowVisible(wnd)) search->found.push_back(wnd);
    return TRUE;
}

std::optional<DWORD> InstanceValue(const wchar_t* name) {
    const auto paths = driver::InstanceKeyPaths(driver::InstalledFamilies().at(0));
    return ReadRegistryDword(HKEY_LOCAL_MACHINE, paths.at(0).c_str(), name);
}

// The panel's place as the driver keeps it.
void SetInstancePoint(int x, int y) {
    const auto paths = driver::InstanceKeyPaths(driver::InstalledFamilies().at(0));
    for (auto [name, value] : {std::pair{L"PointX", x}, std::pair{L"PointY", y}}) {
        const DWORD data = static_cast<DWORD>(value);
        ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, paths.at(0).c_str(), name, REG_DWORD, &data, sizeof data),
                  ERROR_SUCCESS);
    }
}

// The window whose title contains "DelmHalvo -": the camera's property frame.
HWND FindPropertyFrame() {
    struct Search {
        HWND found = nullptr;
    } search;
    ::EnumWindows(
        [](HWND wnd, LPARAM param) -> BOOL {
            wchar_t title[256] = {};
            ::GetWindowTextW(wnd, title, 256);
            if (!::IsWindowVisible(wnd) || !wcsstr(title, L"DelmHalvo -")) return TRUE;
            reinterpret_cast<Search*>(param)->found = wnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WriteLogText() {
    std::string text;
    for (const std::wstring& entry : camera::ReadWriteLog()) text += std::string(entry.begin(), entry.end()) + "; ";
    return text;
}

class Utility : public ::testing::Test {
protected:
    void SetUp() override {
        driver::RemoveAll();
        camera::TakeWriteLog();
    }
    void TearDown() override {
        if (utility) Quit();
        driver::RemoveAll();
        camera::WriteControlByte(0x0400, 0);
        camera::TakeWriteLog();
    }

    void Start() {
        utility = ProgramUnderTest::Start(L"DelmHalvoUVC.exe", world.Folder());
        ASSERT_TRUE(utility);
        ::Sleep(700);  // the dialog is made and the first poll is due
    }
    // `DelmHalvoUVC.exe /quit` ends the running copy with status 0.
    void Quit() {
        auto quitter = ProgramUnderTest::Start(L"DelmHalvoUVC.exe", world.Folder(), L"/quit");
        ASSERT_TRUE(quitter);
        DWORD code = 1;
        EXPECT_TRUE(quitter->WaitForExit(10000, &code));
        EXPECT_TRUE(utility->WaitForExit(10000, &code)) << "the running copy ends";
        EXPECT_EQ(code, 0u);
        utility.reset();
    }
    std::vector<HWND> Visible() const {
        VisibleWindows search{utility->ProcessId(), {}};
        ::EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND Panel() const {
        HWND panel = FindTopLevelWindow(kPanelTitle, utility->ProcessId());
        return panel && ::IsWindowVisible(panel) ? panel : nullptr;
    }
    HWND PressForPanel() {
        EXPECT_EQ(driver::SetSnapshotState(driver::kPressedState), ERROR_SUCCESS);
        HWND panel = nullptr;
        WaitUntil([&] { return (panel = Panel()) != nullptr; }, kPanelTimeoutMs);
        return panel;
    }
    // The panel's timer closes it; the poll, on a timer of its own, must see the release
    // too before a press opens a panel again.
    bool ReleaseClosesPanel() {
        EXPECT_EQ(driver::SetSnapshotState(driver::kReleasedState), ERROR_SUCCESS);
        const bool closed = WaitUntil([&] { return Panel() == nullptr; }, 1500);
        ::Sleep(1100);
        return closed;
    }
    // A press that must not open the panel: three polls go by.
    bool PanelStaysClosedOnPress() {
        driver::SetSnapshotState(driver::kPressedState);
        const bool opened = WaitUntil([&] { return Panel() != nullptr; }, 1600);
        driver::SetSnapshotState(driver::kReleasedState);
        return !opened;
    }
    // One click; a click on the same button soon after the last would be a double-click.
    void ClickPanel(HWND panel, POINT at) {
        ::Sleep(::GetDoubleClickTime() + 50);
        ASSERT_TRUE(ClickClient(panel, at));
    }

    ScopedDisplayDpi displayDpi{kDpi};
    components_test::CameraSettings cameraSettings;
    TestWorld world;
    std::unique_ptr<ProgramUnderTest> utility;
};

}  // namespace

TEST_F(Utility, RunsHiddenOnceMakesTheCameraProgramsFolderAndEndsOnRequest) {
    ASSERT_EQ(driver::Install(driver::Family::Uvc, {}), ERROR_SUCCESS);
    // The working folder of the camera program's Start-menu entry, this user's own.
    wchar_t folder[MAX_PATH] = {};
    ASSERT_TRUE(::ExpandEnvironmentStringsW(L"%LOCALAPPDATA%\\Delm Halvo", folder, MAX_PATH));
    RemoveTree(folder);
    Start();
    EXPECT_TRUE(Visible().empty()) << "no window shows";
    EXPECT_TRUE(WaitUntil([&] { return ::GetFileAttributesW(folder) != INVALID_FILE_ATTRIBUTES; }, 5000));
    auto second = ProgramUnderTest::Start(L"DelmHalvoUVC.exe", world.Folder());
    ASSERT_TRUE(second);
    DWORD code = 1;
    EXPECT_TRUE(second->WaitForExit(5000, &code)) << "a second copy ends at once";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(CountProcesses(L"DelmHalvoUVC.exe"), 1);
    EXPECT_TRUE(Visible().empty());

    // The end of the user's session ends it too.
    HWND hidden = FindTopLevelWindow(L"Property", utility->ProcessId());
    ASSERT_TRUE(hidden);
    ::PostMessageW(hidden, WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(utility->WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
    utility.reset();
}

TEST_F(Utility, APressOpensOnePanelThatCloseOnReleaseAndComesBackWhereItWasDragged) {
    ASSERT_EQ(driver::Install(driver::Family::Uvc, {}), ERROR_SUCCESS);
    Start();
    HWND panel = PressForPanel();
    ASSERT_TRUE(panel);
    RECT rect;
    ::GetWindowRect(panel, &rect);
    EXPECT_EQ(rect.left, ::GetSystemMetrics(SM_CXSCREEN) - kLayout.defaultFromRight);
    EXPECT_EQ(rect.top, ::GetSystemMetrics(SM_CYSCREEN) - kLayout.defaultFromBottom);
    EXPECT_EQ(rect.right - rect.left, kLayout.width);
    EXPECT_EQ(rect.bottom - rect.top, kLayout.height);
    // The background and the faces are the set of this scale, pixel for pixel.
    ASSERT_TRUE(XDoTool("mousemove 0 0"));
    const int margin = display::Scaled(3, kDpi);
    for (const POINT at : {kBackground, POINT{margin, margin}, POINT{kLayout.width - margin, kLayout.height - margin}})
        EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(panel, at) == UtilityBitmapPixel(IDB_PANEL, at.x, at.y); }, 2000))
            << "background at " << at.x << "," << at.y;
    const POINT face{kLayout.flip.size / 2, kLayout.flip.size / 2 - 1};
    EXPECT_TRUE(WaitUntil(
        [&] {
            return ScreenPixel(panel, POINT{kLayout.flip.x + face.x, kLayout.flip.y + face.y}) ==
                   UtilityBitmapPixel(IDB_FLIP_STRIP, face.x, face.y);
        },
        2000))
        << "Flip's normal face";
    EXPECT_TRUE(::GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_TRUE(FocusTopLevel(panel));
    ASSERT_TRUE(XDoTool("key Escape key Return"));
    ::Sleep(1500);  // three polls with the button held: still one panel, and the keys closed nothing
    EXPECT_EQ(Visible(), std::vector<HWND>{panel});

    // Dragged by its background, then closed by the release, which saves where it is.
    POINT from = kBackground;
    ::ClientToScreen(panel, &from);
    std::string drag = "mousemove " + std::to_string(from.x) + " " + std::to_string(from.y) + " mousedown 1 sleep 0.3";
    for (int step = 1; step <= 10; ++step)
        drag += " mousemove " + std::to_string(from.x - 30 * step) + " " + std::to_string(from.y - 40 * step) + " sleep 0.05";
    ASSERT_TRUE(XDoTool(drag + " sleep 0.3 mouseup 1"));
    const LONG openedTop = rect.top;
    ASSERT_TRUE(WaitUntil([&] { return ::GetWindowRect(panel, &rect) && rect.top < openedTop - 200; }, 3000))
        << "dragged";
    ASSERT_TRUE(ReleaseClosesPanel());
    EXPECT_EQ(InstanceValue(L"PointX"), std::optional<DWORD>(rect.left));
    EXPECT_EQ(InstanceValue(L"PointY"), std::optional<DWORD>(rect.top));

    panel = PressForPanel();
    ASSERT_TRUE(panel);
    RECT again;
    ::GetWindowRect(panel, &again);
    EXPECT_EQ(again.left, rect.left);
    EXPECT_EQ(again.top, rect.top);
    // A tool panel: no taskbar button, no Alt+Tab entry.
    EXPECT_TRUE(::GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    // Alt+F4 closes it too, and it saves its place as the release does.
    ASSERT_TRUE(::SetWindowPos(panel, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(FocusTopLevel(panel));
    ASSERT_TRUE(XDoTool("key alt+F4"));
    ASSERT_TRUE(WaitUntil([&] { return Panel() == nullptr; }, 3000)) << "Alt+F4 closes the panel";
    EXPECT_EQ(InstanceValue(L"PointX"), std::optional<DWORD>(300));
    EXPECT_EQ(InstanceValue(L"PointY"), std::optional<DWORD>(200));
    EXPECT_EQ(driver::SetSnapshotState(driver::kReleasedState), ERROR_SUCCESS);
    ::Sleep(1100);  // the poll sees the release

    // A place that no monitor shows any more opens wholly on the screen, at its nearest edge.
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    struct Place {
        int x, y;
        RECT opened;
    } places[] = {
        {5000, 3000, {screenWidth - kLayout.width, screenHeight - kLayout.height, screenWidth, screenHeight}},
        {-5000, -3000, {0, 0, kLayout.width, kLayout.height}},
        {screenWidth - 10, 100, {screenWidth - kLayout.width, 100, screenWidth, 100 + kLayout.height}},
    };
    for (const Place& place : places) {
        SetInstancePoint(place.x, place.y);
        panel = PressForPanel();
        ASSERT_TRUE(panel) << place.x << "," << place.y;
        ::GetWindowRect(panel, &again);
        EXPECT_TRUE(::EqualRect(&again, &place.opened))
            << place.x << "," << place.y << " opened at " << again.left << "," << again.top;
        EXPECT_TRUE(ReleaseClosesPanel());
    }
}

TEST_F(Utility, FlipAndLowLightSetTheCameraByteInUvcModeThroughTheExtensionUnitOrTheFallback) {
    ASSERT_EQ(driver::Install(driver::Family::Uvc, {}), ERROR_SUCCESS);
    struct Route {
        bool extensionUnit, refusesWrites;
        const char* written;  // how the camera's write log names the route
    } routes[] = {{true, false, "xu 0400 "}, {false, false, "fallback 0400 "},
                  {true, true, "fallback 0400 "}};  // read through the unit, written through the fallback
    for (const Route& route : routes) {
        cameraSettings.Set(L"NoExtensionUnit", route.extensionUnit ? 0u : 1u);
        cameraSettings.Set(L"RefuseExtensionUnitWrites", route.refusesWrites ? 1u : 0u);
        camera::WriteControlByte(0x0400, 0);
        camera::TakeWriteLog();
        Start();
        HWND panel = PressForPanel();
        ASSERT_TRUE(panel);
        struct Step {
            POINT button;
            DWORD byte;
        } steps[] = {{kFlip, 1}, {kLowLight, 3}, {kFlip, 2}, {kLowLight, 0}, {kLowLight, 2}, {kFlip, 3}};
        for (const Step& step : steps) {
            ClickPanel(panel, step.button);
            EXPECT_TRUE(WaitUntil([&] { return camera::ReadControlByte(0x0400) == step.byte; }, 2000))
                << "byte " << camera::ReadControlByte(0x0400) << ", expected " << step.byte << "; writes: "
                << WriteLogText();
        }
        EXPECT_EQ(WriteLogText(), std::string(route.written) + "01; " + route.written + "03; " + route.written + "02; " +
                                      route.written + "00; " + route.written + "02; " + route.written + "03; ");
        EXPECT_TRUE(ReleaseClosesPanel());

        // Opened again, it shows what the camera has on: the "on" faces of both.
        ASSERT_TRUE(XDoTool("mousemove 0 0"));
        panel = PressForPanel();
        ASSERT_TRUE(panel);
        for (const auto& [place, strip, frame] : {std::tuple{kLayout.flip, IDB_FLIP_STRIP, 2},
                                                  std::tuple{kLayout.lowLight, IDB_LOW_LIGHT_STRIP, 3}}) {
            const POINT face{place.size / 2, place.size / 2 - 1};
            EXPECT_TRUE(WaitUntil(
                [&, place = place, strip = strip, frame = frame] {
                    return ScreenPixel(panel, POINT{place.x + face.x, place.y + face.y}) ==
                           UtilityBitmapPixel(strip, frame * place.size + face.x, face.y);
                },
                2000))
                << "strip " << strip;
        }
        EXPECT_TRUE(ReleaseClosesPanel());
        Quit();
    }
}

TEST_F(Utility, StandardModeWritesItsPropertiesInOrder) {
    ASSERT_EQ(driver::Install(driver::Family::Std, {}), ERROR_SUCCESS);
    camera::WriteStdProperty(2, 120);
    camera::WriteStdProperty(24, 0);
    camera::WriteStdProperty(0, 0);
    camera::WriteStdProperty(1, 0);
    Start();
    HWND panel = PressForPanel();
    ASSERT_TRUE(panel);
    camera::TakeWriteLog();

    ClickPanel(panel, kLowLight);
    std::vector<std::wstring> log;
    EXPECT_TRUE(WaitUntil([&] { return (log = camera::ReadWriteLog()).size() >= 5; }, 3000));
    EXPECT_EQ(log, (std::vector<std::wstring>{L"std 24 1", L"std 2 126", L"std 2 126", L"std 2 126", L"std 2 120"}));
    camera::TakeWriteLog();
    ClickPanel(panel, kFlip);
    EXPECT_TRUE(WaitUntil([&] { return (log = camera::ReadWriteLog()).size() >= 2; }, 3000));
    EXPECT_EQ(log, (std::vector<std::wstring>{L"std 1 1", L"std 0 1"}));
    EXPECT_TRUE(ReleaseClosesPanel());
}

TEST_F(Utility, SettingOpensThePropertyFrameAndASecondClickOrTheReleaseClosesIt) {
    ASSERT_EQ(driver::Install(driver::Family::Uvc, {}), ERROR_SUCCESS);
    Start();
    HWND panel = PressForPanel();
    ASSERT_TRUE(panel);
    ClickPanel(panel, kSetting);
    HWND frame = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (frame = FindPropertyFrame()) != nullptr; }, 5000)) << "the frame opens";
    EXPECT_TRUE(::FindWindowExW(frame, nullptr, L"SysTabControl32", nullptr)) << "with the camera's page";
    ClickPanel(panel, kSetting);
    EXPECT_TRUE(WaitUntil([&] { return FindPropertyFrame() == nullptr; }, 3000)) << "a second click closes it";

    ClickPanel(panel, kSetting);
    ASSERT_TRUE(WaitUntil([&] { return FindPropertyFrame() != nullptr; }, 5000));
    EXPECT_TRUE(ReleaseClosesPanel());
    EXPECT_TRUE(WaitUntil([&] { return FindPropertyFrame() == nullptr; }, 3000)) << "the release closes the frame too";
}

TEST_F(Utility, ThePanelStaysClosedForAScreenSaverAnOddDisplaySelectionOrNoDriver) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::function<void()> undo;
    } cases[] = {
        {"screen saver running",
         [] { ::SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, TRUE, nullptr, SPIF_UPDATEINIFILE); },
         [] { ::SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, SPIF_UPDATEINIFILE); }},
        {"display selection 2", [] { driver::SetDisplaySelection(2); }, [] {}},
        {"no driver", [] { driver::RemoveAll(); }, [] {}},
    };
    for (auto& c : cases) {
        ASSERT_EQ(driver::Install(driver::Family::Uvc, {}), ERROR_SUCCESS);
        c.arrange();
        Start();
        if (driver::InstalledFamilies().empty()) driver::Install(driver::Family::Uvc, {});  // a driver that comes late
        EXPECT_TRUE(PanelStaysClosedOnPress()) << c.what;
        Quit();
        c.undo();
    }
}

TEST_F(Utility, RemovingTheDisplaySelectionStopsThePollButNotTheProgram) {
    ASSERT_EQ(driver::Install(driver::Family::Uvc, {}), ERROR_SUCCESS);
    Start();
    ASSERT_EQ(driver::RemoveDriverValue(L"DisplaySelection"), ERROR_SUCCESS);
    ::Sleep(1200);
    ASSERT_EQ(driver::SetDisplaySelection(0), ERROR_SUCCESS);
    EXPECT_TRUE(PanelStaysClosedOnPress()) << "the poll has stopped for good";
    EXPECT_TRUE(utility->IsRunning());
}
