// A test program that fails in the ways a test program must never pass: each case is run
// on its own (--gtest_filter) and ctest expects the run to be judged failed.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "framework/Handles.h"
#include "tests/support/ProgramUnderTest.h"

namespace {

void WriteThroughNull() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

LRESULT CALLBACK CrashOnCreate(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) WriteThroughNull();
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

// Thrown after main() has returned, from the destructor of a static object.
bool g_throwAtExit = false;
struct ThrowsAtExit {
    ~ThrowsAtExit() noexcept(false) {
        if (g_throwAtExit) throw std::runtime_error("escaped main");
    }
} g_throwsAtExit;

void WriteFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
}

void WriteRegistryValue(HKEY root) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, L"Software\\DelmHalvo\\HarnessProbe", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    ::RegSetValueExW(key, L"LeftBehind", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
    ::RegCloseKey(key);
}

}  // namespace

// The control case: the harness passes a test program that passes.
TEST(HarnessProbe, Passes) { SUCCEED(); }

// The world has Wine's own fonts: the caption buttons are glyphs of Marlett, which would
// fall back to an ordinary face and show its letters.
TEST(HarnessProbe, WorldHasWinesOwnFonts) {
    UniqueFont marlett(::CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Marlett"));
    ASSERT_TRUE(marlett);
    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    SelectObjectGuard selected(dc.Get(), marlett.Get());
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc.Get(), LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.Get(), &metrics);
    EXPECT_STREQ(face, L"Marlett");
    EXPECT_EQ(metrics.tmCharSet, SYMBOL_CHARSET);
}

// Wine catches this fault in its callback dispatcher and lets the program go on.
TEST(HarnessProbe, FaultInWindowProcedure) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CrashOnCreate;
    windowClass.lpszClassName = L"HarnessProbeCrashOnCreate";
    ASSERT_TRUE(::RegisterClassW(&windowClass));
    HWND wnd = ::CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (wnd) ::DestroyWindow(wnd);
}

// A program started by the test crashes, and the test itself does not look at how it ended.
TEST(HarnessProbe, FaultInProgramUnderTest) {
    auto child = e2e::ProgramUnderTest::Start(L"harness_crashing_child.exe", L"");
    ASSERT_TRUE(child);
    EXPECT_TRUE(child->WaitForExit(20000));
}

TEST(HarnessProbe, FaultInTest) { WriteThroughNull(); }

// The summary is printed, then the program dies.
TEST(HarnessProbe, ExceptionEscapesMain) { g_throwAtExit = true; }

TEST(HarnessProbe, EndsWithoutSummary) { ::ExitProcess(0); }

// Registry keys and files that a crashed test never cleaned up: the next session must not see them.
TEST(HarnessProbe, LeavesStateAndCrashes) {
    WriteRegistryValue(HKEY_CURRENT_USER);
    WriteRegistryValue(HKEY_LOCAL_MACHINE);
    wchar_t folder[MAX_PATH];
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, 0, folder), S_OK);
    WriteFile(std::wstring(folder) + L"\\HarnessProbe.jpg");
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder), S_OK);
    WriteFile(std::wstring(folder) + L"\\HarnessProbe.dat");
    WriteThroughNull();
}
