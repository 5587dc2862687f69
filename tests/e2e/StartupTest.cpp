// Start-up, single instance and the end of the camera program.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"
#include "tests/support/XInput.h"

using namespace e2e;

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 15000;

struct RunningCamera {
    TestWorld world;
    std::unique_ptr<ProgramUnderTest> program;
    HWND frame = nullptr;
    HWND main = nullptr;

    // Starts tesk60 and waits for both of its windows.
    bool Start() {
        program = ProgramUnderTest::Start(L"tesk60.exe", world.Folder());
        if (!program) return false;
        frame = WaitForWindow(L"Delm Halvo", kStartTimeoutMs, program->ProcessId());
        main = WaitForWindow(L"Delm Halvo1", kStartTimeoutMs, program->ProcessId());
        return frame && main && WaitUntil([&] { return ::IsWindowVisible(frame) != FALSE; }, kStartTimeoutMs);
    }
};

RECT WindowRect(HWND wnd) {
    RECT rect{};
    ::GetWindowRect(wnd, &rect);
    return rect;
}
}  // namespace

TEST(Startup, ShowsTheCameraWindowAndKeepsTheMainWindowHidden) {
    RunningCamera camera;
    ASSERT_TRUE(camera.Start());

    const LONG frameStyle = ::GetWindowLongW(camera.frame, GWL_STYLE);
    EXPECT_EQ(frameStyle & (WS_CAPTION | WS_SYSMENU | WS_POPUP | WS_CHILD), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(WindowRect(camera.frame).left, 200);
    EXPECT_EQ(WindowRect(camera.frame).top, 30);

    const LONG mainStyle = ::GetWindowLongW(camera.main, GWL_STYLE);
    EXPECT_EQ(mainStyle & (WS_POPUP | WS_CAPTION | WS_CHILD), static_cast<LONG>(WS_POPUP));
    const RECT mainRect = WindowRect(camera.main);
    EXPECT_EQ(mainRect.left, 360);
    EXPECT_EQ(mainRect.top, 150);
    EXPECT_EQ(mainRect.right - mainRect.left, 640);
    EXPECT_EQ(mainRect.bottom - mainRect.top, 480);

    // One class for both windows, with the attributes of the program's class.
    wchar_t frameClass[256], mainClass[256];
    ::GetClassNameW(camera.frame, frameClass, 256);
    ::GetClassNameW(camera.main, mainClass, 256);
    EXPECT_STREQ(frameClass, mainClass);
    // (Wine answers only the class style across processes; icon and brush are not shown.)
    EXPECT_EQ(::GetClassLongW(camera.frame, GCL_STYLE), static_cast<DWORD>(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW));

    // The main window stays hidden for the whole run.
    EXPECT_FALSE(WaitUntil([&] { return ::IsWindowVisible(camera.main) != FALSE; }, 1000));
}

TEST(Startup, SecondCopyBringsTheRunningCopyToTheFrontAndEnds) {
    RunningCamera camera;
    ASSERT_TRUE(camera.Start());

    // Something else in front first, so that bringing the camera window forward shows.
    HWND other = ::CreateWindowExW(0, L"STATIC", L"other window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    ::SetForegroundWindow(other);
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == other; }, 5000));

    TestWorld secondWorld;
    auto second = ProgramUnderTest::Start(L"tesk60.exe", secondWorld.Folder());
    ASSERT_TRUE(second);
    DWORD exitCode = 1;
    ASSERT_TRUE(second->WaitForExit(kExitTimeoutMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);

    EXPECT_TRUE(camera.program->IsRunning());
    EXPECT_EQ(CountProcesses(L"tesk60.exe"), 1);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == camera.frame; }, 5000));
    EXPECT_EQ(FindTopLevelWindow(L"Delm Halvo1", second->ProcessId()), nullptr);
    ::DestroyWindow(other);
}

TEST(Startup, ClosingTheCameraWindowEndsTheProgramAndLeavesTheSettingsFile) {
    RunningCamera camera;
    ASSERT_TRUE(camera.Start());
    ::PostMessageW(camera.frame, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(camera.program->WaitForExit(kExitTimeoutMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    // No camera is registered for these tests: the file holds the header and no photo.
    auto settings = ReadFileBytes(camera.world.PathOf(L"halvo.dat"));
    ASSERT_TRUE(settings) << "written in the program's current folder";
    EXPECT_EQ(settings->size(), 16u);
    EXPECT_EQ(FindTopLevelWindow(L"Delm Halvo", camera.program->ProcessId()), nullptr);
}

TEST(Startup, ClosingFromTheSystemMenuEndsTheProgram) {
    RunningCamera camera;
    ASSERT_TRUE(camera.Start());
    ::PostMessageW(camera.frame, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(camera.program->WaitForExit(kExitTimeoutMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// No camera is registered for these tests.
TEST(Startup, WithoutACameraTheVideoAreaIsGreyTheListEmptyAndTheControlsThere) {
    RunningCamera camera;
    ASSERT_TRUE(camera.Start());
    RECT client;
    ::GetClientRect(camera.frame, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 593 + ::GetSystemMetrics(SM_CYHSCROLL));
    for (POINT at : {POINT{5, 5}, POINT{320, 240}, POINT{634, 474}})
        EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(camera.frame, at) == RGB(99, 99, 99); }, 5000))
            << at.x << "," << at.y;
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(camera.frame, POINT{300, 500}) == RGB(251, 251, 251); }, 5000))
        << "the light control strip";

    HWND list = ::GetDlgItem(camera.frame, 1002);
    ASSERT_TRUE(list);
    EXPECT_EQ(::SendMessageW(list, CB_GETCOUNT, 0, 0), 0);
    for (int id : {1000, 1001, 1003}) {
        HWND control = ::GetDlgItem(camera.frame, id);
        EXPECT_TRUE(control && ::IsWindowVisible(control)) << "control " << id;
    }
}

// Windows runs a program in the mode of the newest Windows its manifest names, and in
// Vista's when it names none; it stretches a program's windows, blurred, unless it declares
// itself DPI aware: the system's own reading of each program's manifest.
TEST(Startup, BothProgramsDeclareTheWindowsVersionsTheyWereWrittenForAndPerMonitorDpiAwareness) {
    const GUID windows7{0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}};
    const GUID windows10{0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}};
    for (const wchar_t* program : {L"tesk60.exe", L"DelmHalvoUVC.exe"}) {
        const std::wstring path = BinDir() + L"\\" + program;
        ACTCTXW request{sizeof(request)};
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);
        HANDLE context = ::CreateActCtxW(&request);
        ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the manifest is read";
        // Per-monitor (version 2) from Windows 10 1703, system aware on the Windows before.
        const auto setting = [&](const wchar_t* space, const wchar_t* name) {
            wchar_t value[64] = {};
            SIZE_T written = 0;
            return ::QueryActCtxSettingsW(0, context, space, name, value, 64, &written) ? std::wstring(value)
                                                                                          : std::wstring(L"?");
        };
        EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
                  L"PerMonitorV2, PerMonitor")
            << "Windows 10 1607 knows only the second; it ignores dpiAware once dpiAwareness is there";
        EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true");
        alignas(8) BYTE buffer[512] = {};
        SIZE_T size = 0;
        const BOOL read = ::QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, buffer,
                                         sizeof buffer, &size);
        ::ReleaseActCtx(context);
        ASSERT_TRUE(read);
        EXPECT_EQ(reinterpret_cast<const ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION*>(buffer)->ElementCount, 4u)
            << "Windows 7, 8, 8.1 and 10/11";
        // The elements' layout differs between SDKs (newer ones add a version field).
        for (const GUID& id : {windows7, windows10}) {
            const BYTE* bytes = reinterpret_cast<const BYTE*>(&id);
            EXPECT_NE(std::search(buffer, buffer + size, bytes, bytes + sizeof id), buffer + size);
        }
    }
}
