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

std::string UnixPathOf(const std::wstring& windowsPath) {
    // Wine's own export; the answer is the process heap's.
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unixPath = toUnix ? toUnix(windowsPath.c_str()) : nullptr;
    if (!unixPath) return {};
    std::string path = unixPath;
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
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

namespace {
// The pipe's reader: holds both ends (so that no open of the name ever blocks), shrinks the
// pipe to a page (so that even a small file waits), waits for the release file (a minute at
// most), removes the name, then reads until nothing came for five seconds. It leaves
// "<path>.ready" while it holds the pipe.
constexpr char kPipeReader[] = R"(use Fcntl;
my ($path, $release) = @ARGV;
sysopen(my $pipe, $path, O_RDWR) or exit 1;
fcntl($pipe, 1031, 4096);
open(my $ready, '>', "$path.ready") and close($ready);
for (1 .. 1200) { last if -e $release; select(undef, undef, undef, 0.05); }
unlink $path, $release, "$path.ready";
fcntl($pipe, F_SETFL, O_NONBLOCK);
my ($quiet, $bytes) = (0, '');
while ($quiet < 100) {
  if (sysread($pipe, $bytes, 65536)) { $quiet = 0; } else { $quiet++; select(undef, undef, undef, 0.05); }
}
)";
}  // namespace

StallingFile::StallingFile(std::string unixPath) : m_path(std::move(unixPath)) {
    const std::string script = m_path + ".pl";
    const std::string text = kPipeReader;
    m_ready = WriteFileBytes(WindowsPathOf(script), std::vector<uint8_t>(text.begin(), text.end())) &&
              RunUnixCommand("rm -f " + m_path + " " + m_path + ".release && mkfifo " + m_path + " && (perl " + script +
                             " " + m_path + " " + m_path + ".release; rm -f " + script +
                             ") >/dev/null 2>&1 & i=0; until [ -e " + m_path + ".ready ] || [ $i -ge 100 ]; "
                             "do sleep 0.05; i=$((i+1)); done; [ -e " + m_path + ".ready ]");
}

StallingFile::~StallingFile() { Release(); }

void StallingFile::Release() {
    if (m_released || !m_ready) return;
    m_released = true;
    RunUnixCommand("touch " + m_path + ".release");
}

}  // namespace e2e
