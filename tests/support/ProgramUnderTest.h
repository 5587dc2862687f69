#pragma once
// Running the programs under test: start, find their windows, wait for them (always with a
// bound), and end them when the test is over, passed or failed.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/Handles.h"

namespace e2e {

// The folder of the running test program; the programs under test are built beside it.
std::wstring BinDir();

class ProgramUnderTest {
public:
    // Starts `exeName` from BinDir() with `workingDir` as its current folder and `arguments`
    // after its name. Returns null (and adds a test failure) when the process cannot be
    // created.
    static std::unique_ptr<ProgramUnderTest> Start(const std::wstring& exeName, const std::wstring& workingDir,
                                                   const std::wstring& arguments = L"");
    // The same for the program at the full path `exePath`.
    static std::unique_ptr<ProgramUnderTest> StartFile(const std::wstring& exePath, const std::wstring& workingDir,
                                                       const std::wstring& arguments = L"");
    // A program that is still running when its test ends is terminated.
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    DWORD ProcessId() const { return m_processId; }
    HANDLE ProcessHandle() const { return m_process.Get(); }
    bool IsRunning() const;
    // True when the process ended within `timeoutMs`; its exit code goes to *exitCode.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Terminate();

private:
    ProgramUnderTest(UniqueHandle process, DWORD processId);
    UniqueHandle m_process;
    DWORD m_processId;
};

// Polls `condition` every `pollMs` until it holds or `timeoutMs` passed, dispatching this
// thread's messages meanwhile. Returns the last result of `condition`.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 20);

// The top-level window with exactly this title (of process `processId`, if not 0), waited
// for up to `timeoutMs`; null when none appeared.
HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs, DWORD processId = 0);
HWND FindTopLevelWindow(const wchar_t* title, DWORD processId = 0);

// Number of running processes whose executable file name is `exeName`.
int CountProcesses(const wchar_t* exeName);

}  // namespace e2e
