// Start-up, single instance and the end of the camera program.
#include <gtest/gtest.h>

#include <string>

#include "framework/Handles.h"
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
// Vista's when it names none.
TEST(Startup, BothProgramsDeclareTheWindowsVersionsTheyWereWrittenFor) {
    const char* const versions[] = {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                                    "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"};
    for (const wchar_t* program : {L"tesk60.exe", L"DelmHalvoUVC.exe"}) {
        UniqueModule module(
            ::LoadLibraryExW((BinDir() + L"\\" + program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(module);
        HRSRC found = ::FindResourceW(module.Get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
        ASSERT_TRUE(found);
        const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module.Get(), found)));
        const std::string manifest(bytes, ::SizeofResource(module.Get(), found));
        for (const char* version : versions)
            EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"{") + version + "}\"/>"), std::string::npos)
                << version;
        EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    }
}
