#include "tests/support/UnixCommand.h"

#include <optional>
#include <vector>

#include "framework/Handles.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"

namespace e2e {

namespace {
std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// One argument of a Windows command line, as Wine splits it again for the Unix program.
std::string QuoteArgument(const std::string& text) {
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

std::string UniqueName(const char* stem) {
    static LONG counter = 0;
    return std::string("/tmp/") + stem + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(::InterlockedIncrement(&counter));
}
}  // namespace

std::string PidsInThisWorld(const std::string& pattern) {
    return "$(for p in $(pgrep -f '" + pattern +
           "'); do tr '\\0' '\\n' < /proc/$p/environ 2>/dev/null | grep -qxF \"WINEPREFIX=$WINEPREFIX\" && echo $p; "
           "done)";
}

std::wstring WindowsPathOf(const std::string& unixPath) {
    std::wstring path = L"Z:" + Widen(unixPath);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

bool RunUnixCommand(const std::string& command, DWORD timeoutMs) {
    const std::string done = UniqueName("dh-command");
    const std::wstring doneWindows = WindowsPathOf(done);
    ::DeleteFileW(doneWindows.c_str());

    std::wstring line = L"/bin/sh -c " + Widen(QuoteArgument(command + "; echo $? > " + done));
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    UniqueHandle process(info.hProcess), thread(info.hThread);
    std::optional<std::vector<uint8_t>> status;
    WaitUntil([&] { return (status = ReadFileBytes(doneWindows)) && !status->empty() && status->back() == '\n'; },
              timeoutMs, 10);
    ::DeleteFileW(doneWindows.c_str());
    return status && !status->empty() && (*status)[0] == '0' && status->size() == 2;
}

SmallFileSystem::SmallFileSystem(unsigned kilobytes)
    : m_unixFolder(UniqueName("dh-small-disk")), m_folder(WindowsPathOf(m_unixFolder)) {
    m_mounted = RunUnixCommand("mkdir -p " + m_unixFolder + " && mount -t tmpfs -o size=" + std::to_string(kilobytes) +
                               "k tmpfs " + m_unixFolder);
}

SmallFileSystem::~SmallFileSystem() {
    if (m_mounted) RunUnixCommand("umount " + m_unixFolder);
    RunUnixCommand("rmdir " + m_unixFolder);
}

}  // namespace e2e
