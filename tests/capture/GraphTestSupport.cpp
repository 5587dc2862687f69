#include "GraphTestSupport.h"

namespace {
const wchar_t kClassName[] = L"DhCaptureTestWindow";

void RegisterTestClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);  // a second registration fails harmlessly
}
}  // namespace

TestWindow::TestWindow() {
    RegisterTestClass();
    m_hWnd = CreateWindowExW(0, kClassName, L"capture test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

bool TestWindow::WaitForMessage(UINT message, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        if (PeekMessageW(&msg, m_hWnd, message, message, PM_REMOVE)) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

int TestWindow::CountMessages(UINT message) {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, message, message, PM_REMOVE)) ++count;
    return count;
}
