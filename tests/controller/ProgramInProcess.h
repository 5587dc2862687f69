#pragma once
// The camera program run inside the test process: its application object's InitInstance
// creates the real window pair, and the test pumps messages on this thread as the
// framework's loop would. The current folder is a private one for every test.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/Tesk60App.h"
#include "controller/TeskWin.h"
#include "tests/support/TestWorld.h"
#include "window/TeskFrameWin.h"

namespace program_test {

// Dispatches this thread's messages for `ms` milliseconds; false once WM_QUIT was seen.
bool Pump(DWORD ms);
// Dispatches messages until WM_QUIT or until `timeoutMs` passed; true on WM_QUIT.
bool PumpUntilQuit(DWORD timeoutMs);

class ProgramInProcess {
public:
    ProgramInProcess();
    // Ends the program if it still runs and frees what the framework would free at exit.
    ~ProgramInProcess();
    ProgramInProcess(const ProgramInProcess&) = delete;
    ProgramInProcess& operator=(const ProgramInProcess&) = delete;

    // InitInstance: creates the windows and starts the camera side.
    bool Start();
    // Closes the camera window as the user would; true when the program ended in time.
    bool Close();

    CTeskWin* Main() const { return TeskApp().MainWin(); }
    CTeskFrameWin* Frame() const { return TeskApp().m_pFrameWin; }
    const e2e::TestWorld& World() const { return m_world; }
    // Photos of this test go into its own folder, not the shared Pictures folder.
    std::wstring UsePrivatePhotoFolder();
    // Asks for a photo as the capture button's click does (or straight from the running
    // preview with `direct`), then pumps messages until no photo awaits its frame or is
    // being stored; false when that took longer than `timeoutMs`.
    bool TakePhoto(bool direct = true, DWORD timeoutMs = 20000);
    // Pumps messages until no photo awaits its frame or is being stored.
    bool WaitForPhotos(DWORD timeoutMs = 20000);

private:
    e2e::TestWorld m_world;
    wchar_t m_previousFolder[MAX_PATH] = {};
    bool m_ended = false;
};

// Answers the first message box titled "Delm Halvo" of this process with the button
// `answer` (IDOK, IDYES, IDNO), remembering its text; runs on a thread of its own while the
// program's thread shows the box.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(int answer = IDOK);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
    bool Seen() const { return m_seen.load(); }
    std::wstring Text() const;

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_seen{false};
    wchar_t m_text[512] = {};
    std::thread m_thread;
};

}  // namespace program_test
