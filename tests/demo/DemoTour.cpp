// demo_tour.exe: the part of `make run` on a virtual display that plays the user. With
// tesk60.exe and DelmHalvoUVC.exe running in its current folder's world on the virtual
// camera and the simulated driver, it takes two photos with real clicks, presses the
// camera's button so that the panel opens, and prints the screen area that holds both
// windows ("area WIDTHxHEIGHT+X+Y") for the screenshot. Exit status 0 when all of it
// happened within its bounds.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "testworld/driver/SimulatedDriver.h"
#include "controller/SettingsCodec.h"
#include "resources/resource.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"
#include "tests/support/XInput.h"

using namespace e2e;

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kPhotoTimeoutMs = 15000;

size_t PhotosListed() {
    const auto bytes = ReadFileBytes(L"halvo.dat");
    const auto settings = bytes ? settings::DecodeSettings(bytes->data(), bytes->size()) : std::nullopt;
    return settings ? settings->items.size() : 0;
}

int Fail(const char* what) {
    std::fprintf(stderr, "demo: %s\n", what);
    return 1;
}

}  // namespace

int main() {
    HWND frame = WaitForWindow(L"Delm Halvo", kStartTimeoutMs);
    if (!frame || !WaitUntil([&] { return ::FindWindowExW(frame, nullptr, nullptr, L"ActiveMovie Window"); },
                             kStartTimeoutMs))
        return Fail("the camera window did not show the live picture");
    ::Sleep(1000);  // some motion before the first photo
    if (!FocusTopLevel(frame)) return Fail("the camera window could not take the focus");

    // The capture button where it is at the display's scale (make run's DH_DPI).
    HWND capture = ::GetDlgItem(frame, IDC_CAPTURE);
    RECT button{};
    ::GetClientRect(capture, &button);
    const POINT middle{button.right / 2, button.bottom / 2};
    const size_t before = PhotosListed();
    for (size_t photo = 1; photo <= 2; ++photo) {
        // A second click within the double-click time would be a double-click.
        ::Sleep(::GetDoubleClickTime() + 500);
        if (!capture || !ClickClient(capture, middle) ||
            !WaitUntil([&] { return PhotosListed() == before + photo; }, kPhotoTimeoutMs, 100))
            return Fail("a click on the capture button stored no photo");
        std::printf("demo: photo %zu taken\n", photo);
    }

    // The panel opens where it was last left: beside the camera window, as a person would
    // have dragged it.
    RECT window{};
    ::GetWindowRect(frame, &window);
    const DWORD position[2] = {static_cast<DWORD>(window.right + 16), static_cast<DWORD>(window.top)};
    for (const std::wstring& instance : driver::InstanceKeyPaths(driver::Family::Uvc)) {
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, instance.c_str(), driver::kPointXValue, REG_DWORD, &position[0], 4);
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, instance.c_str(), driver::kPointYValue, REG_DWORD, &position[1], 4);
    }
    if (driver::SetSnapshotState(driver::kPressedState) != ERROR_SUCCESS)
        return Fail("the simulated driver is not installed");
    HWND panel = nullptr;
    if (!WaitUntil([&] { return (panel = FindTopLevelWindow(L"Camera Utility")) && ::IsWindowVisible(panel); },
                   5000))
        return Fail("the camera button opened no panel");
    std::printf("demo: camera button pressed, panel open\n");
    ::Sleep(500);  // the panel and the strip are painted

    RECT panelRect{}, both{};
    ::GetWindowRect(panel, &panelRect);
    ::UnionRect(&both, &window, &panelRect);
    std::printf("area %ldx%ld+%ld+%ld\n", both.right - both.left, both.bottom - both.top, both.left, both.top);
    std::fflush(stdout);
    return 0;
}
