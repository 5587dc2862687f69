#pragma once
// A command of the Linux machine the tests run on, started from inside Wine: xdotool for
// real X input, mount for a small file system that fills up.
#include <windows.h>

#include <string>

namespace e2e {

// Runs `/bin/sh -c command` and waits (bounded) until it has finished; true when it exited
// with status 0. (Wine cannot wait on a Unix process: the shell leaves a file when done.)
bool RunUnixCommand(const std::string& command, DWORD timeoutMs = 10000);

// A shell expression for the Unix process ids of the programs whose command line matches
// the pgrep pattern `pattern` and that run in this Wine world (same WINEPREFIX): the tests
// of other worlds, running at the same time, keep theirs.
std::string PidsInThisWorld(const std::string& pattern);

// The Windows path (Z:) of a Unix path.
std::wstring WindowsPathOf(const std::string& unixPath);
// The Unix path of a Windows path, as Wine maps it; empty when it maps to none.
std::string UnixPathOf(const std::wstring& windowsPath);

// A tmpfs of `kilobytes` mounted for the life of the object, for a disk that fills up.
// Mounting needs root; Mounted() says whether it worked.
class SmallFileSystem {
public:
    explicit SmallFileSystem(unsigned kilobytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool Mounted() const { return m_mounted; }
    const std::wstring& Folder() const { return m_folder; }

private:
    std::string m_unixFolder;
    std::wstring m_folder;
    bool m_mounted = false;
};

// A disk that stops taking bytes, at one file: a pipe at `unixPath` that is held open and
// read by nobody, so that a program writing more than a page into that name waits in
// WriteFile until Release. Release removes the name first, then reads what was written:
// the program's write ends, and the name no longer exists when it looks again.
class StallingFile {
public:
    explicit StallingFile(std::string unixPath);
    // Releases the writer, if Release was not called.
    ~StallingFile();
    StallingFile(const StallingFile&) = delete;
    StallingFile& operator=(const StallingFile&) = delete;
    bool Ready() const { return m_ready; }
    void Release();

private:
    std::string m_path;
    bool m_ready = false;
    bool m_released = false;
};

}  // namespace e2e
