// A windowed program without the test programs' main(): its window procedure crashes while
// the window is created, which Wine swallows, and the program then ends with status 0 as
// if all was well. It stands for a program under test that crashes in an end-to-end test.
#include <windows.h>

namespace {
LRESULT CALLBACK CrashOnCreate(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    }
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CrashOnCreate;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"CrashingChild";
    ::RegisterClassW(&windowClass);
    HWND wnd = ::CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    if (wnd) ::DestroyWindow(wnd);
    return 0;
}
