#include "tests/support/ProgramUnderTest.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <vector>

namespace e2e {

std::wstring BinDir() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) break;
        path.resize(path.size() * 2);
    }
    std::wstring dir(path.data());
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

std::unique_ptr<ProgramUnderTest> ProgramUnderTest::Start(const std::wstring& exeName, const std::wstring& workingDir,
                                                         const std::wstring& arguments) {
    return StartFile(BinDir() + L"\\" + exeName, workingDir, arguments);
}

std::unique_ptr<ProgramUnderTest> ProgramUnderTest::StartFile(const std::wstring& exe, const std::wstring& workingDir,
                                                             const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info)) {
        ADD_FAILURE() << "cannot start " << std::string(exe.begin(), exe.end()) << ": error " << ::GetLastError();
        return nullptr;
    }
    UniqueHandle thread(info.hThread);
    return std::unique_ptr<ProgramUnderTest>(new ProgramUnderTest(UniqueHandle(info.hProcess), info.dwProcessId));
}

ProgramUnderTest::ProgramUnderTest(UniqueHandle process, DWORD processId)
    : m_process(std::move(process)), m_processId(processId) {}

ProgramUnderTest::~ProgramUnderTest() { Terminate(); }

bool ProgramUnderTest::IsRunning() const { return ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT; }

bool ProgramUnderTest::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (::WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) ::GetExitCodeProcess(m_process.Get(), exitCode);
    return true;
}

void ProgramUnderTest::Terminate() {
    if (!IsRunning()) return;
    ::TerminateProcess(m_process.Get(), 0xDEAD);
    ::WaitForSingleObject(m_process.Get(), 10000);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= deadline) return condition();
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(pollMs);
    }
}

namespace {
struct WindowSearch {
    const wchar_t* title;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    wchar_t text[256];
    if (::GetWindowTextW(wnd, text, 256) <= 0 || wcscmp(text, search->title) != 0) return TRUE;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(wnd, &owner);
    if (search->processId && owner != search->processId) return TRUE;
    search->found = wnd;
    return FALSE;
}
}  // namespace

HWND FindTopLevelWindow(const wchar_t* title, DWORD processId) {
    WindowSearch search{title, processId, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs, DWORD processId) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevelWindow(title, processId)) != nullptr; }, timeoutMs);
    return found;
}

int CountProcesses(const wchar_t* exeName) {
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.Get() == INVALID_HANDLE_VALUE) {
        snapshot.Release();
        return -1;
    }
    int count = 0;
    PROCESSENTRY32W entry{sizeof(entry)};
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry))
        if (_wcsicmp(entry.szExeFile, exeName) == 0) ++count;
    return count;
}

}  // namespace e2e
