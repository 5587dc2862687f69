#include "tests/controller/ProgramInProcess.h"

#include <gtest/gtest.h>

#include "resources/resource.h"

namespace program_test {

bool Pump(DWORD ms) {
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return false;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

bool PumpUntilQuit(DWORD timeoutMs) { return !Pump(timeoutMs); }

ProgramInProcess::ProgramInProcess() {
    ::GetCurrentDirectoryW(MAX_PATH, m_previousFolder);
    ::SetCurrentDirectoryW(m_world.Folder().c_str());
}

ProgramInProcess::~ProgramInProcess() {
    CTesk60App& app = TeskApp();
    if (app.m_pMainWnd && !m_ended) Close();
    // A program that ended through its main window alone leaves the camera window behind,
    // as the real process does until it exits.
    if (Frame() && ::IsWindow(Frame()->m_hWnd)) Frame()->DestroyWindow();
    if (app.m_pMainWnd) {  // the main window did not end: take it down without its loop
        app.m_pMainWnd->DestroyWindow();
        Pump(0);
    }
    delete app.m_pFrameWin;  // the program never frees it; a test process must
    app.m_pFrameWin = nullptr;
    if (app.m_hInstanceMutex) ::CloseHandle(app.m_hInstanceMutex);
    app.m_hInstanceMutex = nullptr;
    ::SetCurrentDirectoryW(m_previousFolder);
}

bool ProgramInProcess::Start() {
    if (!TeskApp().InitInstance()) return false;
    return Main() && Frame() && ::IsWindow(Main()->m_hWnd);
}

bool ProgramInProcess::Close() {
    if (!Main() || !Frame() || !::IsWindow(Frame()->m_hWnd)) return m_ended;
    Frame()->PostMessage(WM_CLOSE);
    m_ended = PumpUntilQuit(20000);
    return m_ended;
}

std::wstring ProgramInProcess::UsePrivatePhotoFolder() {
    const std::wstring folder = m_world.PathOf(L"Pictures");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    wcscpy_s(Main()->m_szPhotoDir, MAX_PATH, folder.c_str());
    return folder;
}

bool ProgramInProcess::TakePhoto(bool direct, DWORD timeoutMs) {
    if (direct)
        Main()->TakePhoto();
    else
        Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CAPTURE, BN_CLICKED), 0);
    return WaitForPhotos(timeoutMs);
}

bool ProgramInProcess::WaitForPhotos(DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    do {
        if (!Main()->PhotosInFlight()) {
            Pump(0);  // the messages of the last one: listed, saved, shown
            return true;
        }
    } while (Pump(10) && ::GetTickCount64() < deadline);
    return false;
}

namespace {
struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBox(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    wchar_t className[64], title[64];
    DWORD owner = 0;
    ::GetWindowThreadProcessId(wnd, &owner);
    if (owner != search->processId || !::GetClassNameW(wnd, className, 64) || wcscmp(className, L"#32770") != 0)
        return TRUE;
    ::GetWindowTextW(wnd, title, 64);
    if (wcscmp(title, L"Delm Halvo") != 0) return TRUE;
    search->found = wnd;
    return FALSE;
}
}  // namespace

MessageBoxWatcher::MessageBoxWatcher(int answer)
    : m_thread([this, answer] {
          while (!m_stop.load()) {
              BoxSearch search{::GetCurrentProcessId(), nullptr};
              ::EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
              if (search.found && ::IsWindowVisible(search.found)) {
                  ::GetDlgItemTextW(search.found, 0xFFFF, m_text, 512);
                  m_seen.store(true);
                  ::PostMessageW(search.found, WM_COMMAND, answer, 0);
                  return;
              }
              ::Sleep(50);
          }
      }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    m_stop.store(true);
    m_thread.join();
}

std::wstring MessageBoxWatcher::Text() const { return m_seen.load() ? std::wstring(m_text) : std::wstring(); }

}  // namespace program_test
