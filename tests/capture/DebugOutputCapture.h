#pragma once
// Reads what the test thread passes to OutputDebugString while the object lives. The system
// hands the text to a debugger by raising an exception that it catches itself when none is
// attached; a first-chance handler copies the text from it and lets the system go on.
#include <windows.h>

#include <string>
#include <vector>

class DebugOutputCapture {
public:
    // Appends each text, as "debug." + text, to `log`. One capture at a time.
    explicit DebugOutputCapture(std::vector<std::string>& log);
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

private:
    static LONG CALLBACK OnException(EXCEPTION_POINTERS* info);
    std::vector<std::string>& m_log;
    DWORD m_thread;
    // Wine 8 raises only the narrow kind (OutputDebugStringW converts first); a system that
    // raises the wide kind may follow it with the narrow copy, which is then left out.
    bool m_sawWide = false;
    void* m_handler = nullptr;
};
