// The setup program as a user meets it, in a world of its own: a silent install over the
// per-account layout of earlier versions, a second install over the first, the camera
// program started from its Start-menu entry taking a photo, and a silent uninstall while
// both programs run, which leaves the user's photo and "halvo.dat" behind.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "components/effect/EffectFilterInterfaces.h"
#include "controller/SettingsCodec.h"
#include "framework/ComPtr.h"
#include "framework/Handles.h"
#include "tests/components/support/ComponentWorld.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"
#include "tests/support/XInput.h"

using namespace e2e;

namespace {

constexpr DWORD kSetupTimeoutMs = 60000;
constexpr DWORD kStartTimeoutMs = 20000;
constexpr POINT kCaptureButton{20, 498};
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Delm Halvo";
const std::set<std::wstring> kShippedFiles = {L"DelmHalvoUVC.exe", L"JAPI2.dll", L"KorvEffect.ax", L"Uninstall.exe",
                                              L"tesk60.exe"};

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

std::wstring ProgramFolder() { return KnownFolder(FOLDERID_ProgramFilesX64) + L"\\Delm Halvo"; }
std::wstring UserFolder() { return KnownFolder(FOLDERID_LocalAppData) + L"\\Delm Halvo"; }
// Every account's Start menu; earlier versions wrote the installing account's own.
std::wstring Shortcut() { return KnownFolder(FOLDERID_CommonPrograms) + L"\\Delm Halvo.lnk"; }
std::wstring AccountShortcut() { return KnownFolder(FOLDERID_Programs) + L"\\Delm Halvo.lnk"; }

std::wstring Expanded(const std::wstring& text) {
    wchar_t expanded[MAX_PATH] = {};
    return ::ExpandEnvironmentStringsW(text.c_str(), expanded, MAX_PATH) ? expanded : L"";
}
std::wstring SetupProgram() { return BinDir() + L"\\..\\DelmHalvoSetup.exe"; }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct ShortcutTarget {
    std::wstring path;
    std::wstring workingFolder;
};
std::optional<ShortcutTarget> ReadShortcut(const std::wstring& file) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> persist;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(link.Put()))) ||
        FAILED(link->QueryInterface(IID_PPV_ARGS(persist.Put()))) || FAILED(persist->Load(file.c_str(), STGM_READ)))
        return std::nullopt;
    wchar_t path[MAX_PATH] = {}, folder[MAX_PATH] = {};
    if (FAILED(link->GetPath(path, MAX_PATH, nullptr, 0)) || FAILED(link->GetWorkingDirectory(folder, MAX_PATH)))
        return std::nullopt;
    return ShortcutTarget{path, folder};
}

std::optional<std::wstring> FileVersion(const std::wstring& file) {
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(file.c_str(), &ignored));
    if (block.empty() || !::GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
        return std::nullopt;
    void* text = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\FileVersion", &text, &length) || !length)
        return std::nullopt;
    return std::wstring(static_cast<const wchar_t*>(text));
}

std::wstring EffectServerKey() {
    wchar_t clsid[40] = {};
    ::StringFromGUID2(CLSID_EffectFilter, clsid, 40);
    return std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
}

// Runs a setup or uninstall program and waits for it; its exit code, or none when it did
// not end in time. The time it took goes to *seconds.
std::optional<DWORD> RunSilently(const std::wstring& exe, double* seconds) {
    const ULONGLONG start = ::GetTickCount64();
    auto run = ProgramUnderTest::StartFile(exe, L"", L"/S");
    DWORD code = 0;
    if (!run || !run->WaitForExit(kSetupTimeoutMs, &code)) return std::nullopt;
    *seconds = (::GetTickCount64() - start) / 1000.0;
    return code;
}

void ExpectInstalled() {
    EXPECT_EQ(FilesIn(ProgramFolder()), kShippedFiles) << "no test component or virtual camera is shipped";
    const auto shortcut = ReadShortcut(Shortcut());
    ASSERT_TRUE(shortcut) << Narrow(Shortcut());
    EXPECT_EQ(shortcut->path, ProgramFolder() + L"\\tesk60.exe");
    EXPECT_EQ(shortcut->workingFolder, L"%LOCALAPPDATA%\\Delm Halvo") << "each user's own, expanded by Windows";
    EXPECT_FALSE(FileExists(AccountShortcut())) << "nothing in the installing account's Start menu";
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"DelmHalvoUVC"),
              L"\"" + ProgramFolder() + L"\\DelmHalvoUVC.exe\"");
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, L"DelmHalvoUVC")) << "nothing in the account's HKCU";
    EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, EffectServerKey().c_str(), nullptr),
              ProgramFolder() + L"\\KorvEffect.ax");

    // Name, publisher, icon, size and the one version of the programs and the setup program.
    const auto version = FileVersion(ProgramFolder() + L"\\tesk60.exe");
    ASSERT_TRUE(version);
    EXPECT_EQ(FileVersion(ProgramFolder() + L"\\DelmHalvoUVC.exe"), version);
    EXPECT_EQ(FileVersion(SetupProgram()), version);
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), version);
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"Delm Halvo");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher"), L"Delm Halvo");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon"),
              L"\"" + ProgramFolder() + L"\\tesk60.exe\",0");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"),
              L"\"" + ProgramFolder() + L"\\Uninstall.exe\"");
    EXPECT_GT(ReadRegistryDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize").value_or(0), 100u);

    // The button utility was started at the end, once, however often the setup ran; it made
    // the user's folder of the camera program.
    EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"DelmHalvoUVC.exe") == 1; }, 10000));
    EXPECT_TRUE(WaitUntil([] { return ::GetFileAttributesW(UserFolder().c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));
}

void ExpectUninstalled() {
    EXPECT_EQ(::GetFileAttributesW(ProgramFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(FileExists(Shortcut()));
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, kRunKey, L"DelmHalvoUVC"));
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, L"DelmHalvoUVC"));
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"));
    EXPECT_FALSE(ReadRegistryString(HKEY_CLASSES_ROOT, EffectServerKey().c_str(), nullptr));
    EXPECT_EQ(CountProcesses(L"DelmHalvoUVC.exe"), 0);
}

// The time from the program's start until its video window shows a frame of the virtual
// camera (the white top band and the black bottom band of the test picture).
bool ShowsLiveFrame(HWND video) {
    RECT client{};
    if (!video || !::GetClientRect(video, &client) || client.bottom < 16) return false;
    const COLORREF top = ScreenPixel(video, POINT{client.right / 2, 2});
    const COLORREF bottom = ScreenPixel(video, POINT{client.right / 2, client.bottom - 3});
    return top == RGB(255, 255, 255) && GetRValue(bottom) < 16 && GetGValue(bottom) < 16 && GetBValue(bottom) < 16;
}

class Installer : public ::testing::Test {
protected:
    // The virtual camera, in this world only: the setup program ships none. (COM is started
    // by the component support.)
    static void SetUpTestSuite() { ASSERT_EQ(components_test::CameraDll().Register(), S_OK); }
};

TEST_F(Installer, InstallsForEveryAccountOverItselfRunsFromItsEntryAndUninstallsAllButTheUsersPhotos) {
    // What an earlier version left for the installing account, and that account's list.
    const std::wstring settingsFile = UserFolder() + L"\\halvo.dat";
    ASSERT_TRUE(::CreateDirectoryW(UserFolder().c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(settingsFile, settings::EncodeSettings(7, {})));
    ASSERT_TRUE(WriteFileBytes(AccountShortcut(), {'L'}));
    UniqueHKey run;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, run.Put(), nullptr),
              ERROR_SUCCESS);
    const wchar_t earlier[] = L"\"C:\\Program Files\\Delm Halvo\\DelmHalvoUVC.exe\"";
    ASSERT_EQ(::RegSetValueExW(run.Get(), L"DelmHalvoUVC", 0, REG_SZ, reinterpret_cast<const BYTE*>(earlier),
                               sizeof(earlier)),
              ERROR_SUCCESS);

    double seconds = 0;
    ASSERT_EQ(RunSilently(SetupProgram(), &seconds), 0u);
    std::printf("[ figures  ] silent install: %.2f s\n", seconds);
    {
        SCOPED_TRACE("first install, over the per-account layout");
        ExpectInstalled();
        EXPECT_EQ(ReadFileBytes(settingsFile), settings::EncodeSettings(7, {})) << "the user's list stays";
    }
    ASSERT_EQ(RunSilently(SetupProgram(), &seconds), 0u);
    {
        SCOPED_TRACE("second install over the first, with the utility running");
        ExpectInstalled();
    }

    // The camera program as the Start-menu entry starts it.
    const auto entry = ReadShortcut(Shortcut());
    ASSERT_TRUE(entry);
    const ULONGLONG start = ::GetTickCount64();
    auto program = ProgramUnderTest::StartFile(entry->path, Expanded(entry->workingFolder));
    ASSERT_TRUE(program);
    HWND frame = WaitForWindow(L"Delm Halvo", kStartTimeoutMs, program->ProcessId());
    ASSERT_TRUE(frame);
    ASSERT_TRUE(WaitUntil(
        [&] { return ShowsLiveFrame(::FindWindowExW(frame, nullptr, nullptr, L"ActiveMovie Window")); },
        kStartTimeoutMs, 10));
    std::printf("[ figures  ] first live frame %llu ms after the start\n", ::GetTickCount64() - start);

    std::vector<CapturedItem> items;
    ASSERT_TRUE(FocusTopLevel(frame));
    ASSERT_TRUE(ClickClient(frame, kCaptureButton));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto bytes = ReadFileBytes(settingsFile);
            const auto settings = bytes ? settings::DecodeSettings(bytes->data(), bytes->size()) : std::nullopt;
            items = settings ? settings->items : std::vector<CapturedItem>{};
            return items.size() == 1;
        },
        15000, 100))
        << "halvo.dat lands in the entry's working folder";
    const std::u16string photo16 = ItemPath(items[0]);
    const std::wstring photo(photo16.begin(), photo16.end());
    ASSERT_TRUE(FileExists(photo));

    // Uninstalled while the camera program and the utility run. The uninstaller runs from a
    // copy of itself, so the test waits for its work rather than for its process.
    const ULONGLONG uninstallStart = ::GetTickCount64();
    ASSERT_EQ(RunSilently(ProgramFolder() + L"\\Uninstall.exe", &seconds), 0u);
    ASSERT_TRUE(WaitUntil(
        [] {
            return !ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName") &&
                   CountProcesses(L"Au_.exe") == 0;
        },
        kSetupTimeoutMs, 50));
    std::printf("[ figures  ] silent uninstall: %.2f s\n", (::GetTickCount64() - uninstallStart) / 1000.0);
    DWORD exitCode = 0;
    EXPECT_TRUE(program->WaitForExit(10000, &exitCode)) << "the camera program is asked to close";
    EXPECT_EQ(exitCode, 0u) << "and ends as if its window was closed";
    ExpectUninstalled();
    EXPECT_TRUE(FileExists(settingsFile));
    EXPECT_TRUE(FileExists(photo));
    ::DeleteFileW(photo.c_str());
}

}  // namespace
