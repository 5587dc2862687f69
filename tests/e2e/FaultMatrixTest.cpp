// The camera program through real faults: whatever happens, every photo it had listed is
// still a readable picture listed in "halvo.dat", and nothing else appears in its folders.
// Each case: a first run takes two photos and closes; then the fault is arranged, the
// program runs again and meets it; then the folders are read back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "controller/SettingsCodec.h"
#include "framework/Handles.h"
#include "resources/resource.h"
#include "tests/components/support/ComponentWorld.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"
#include "tests/support/UnixCommand.h"

using namespace e2e;

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kPhotoTimeoutMs = 20000;
constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kPicturesValue[] = L"My Pictures";

std::wstring Widen(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// A whole JPEG, or a bitmap file (a photo whose JPEG step failed stays one).
bool IsReadablePicture(const std::wstring& path) {
    const auto bytes = ReadFileBytes(path);
    if (!bytes || bytes->size() < 54) return false;
    const auto& b = *bytes;
    const bool jpeg = b[0] == 0xFF && b[1] == 0xD8 && b[b.size() - 2] == 0xFF && b[b.size() - 1] == 0xD9;
    return jpeg || (b[0] == 'B' && b[1] == 'M');
}

// Where the program's Pictures folder is, for one case; the prefix's own value afterwards.
class PicturesFolder {
public:
    explicit PicturesFolder(const std::wstring& path) {
        ::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_READ | KEY_WRITE, m_key.Put());
        wchar_t old[MAX_PATH] = {};
        DWORD bytes = sizeof(old);
        m_hadValue = ::RegQueryValueExW(m_key.Get(), kPicturesValue, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                        &bytes) == ERROR_SUCCESS;
        m_old = old;
        Set(path);
    }
    ~PicturesFolder() {
        if (m_hadValue) Set(m_old); else ::RegDeleteValueW(m_key.Get(), kPicturesValue);
    }

private:
    void Set(const std::wstring& path) {
        ::RegSetValueExW(m_key.Get(), kPicturesValue, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                         static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    }
    UniqueHKey m_key;
    bool m_hadValue = false;
    std::wstring m_old;
};

// One run of the camera program in the current folder `folder`.
class ProgramRun {
public:
    explicit ProgramRun(const std::wstring& folder) : m_program(ProgramUnderTest::Start(L"tesk60.exe", folder)) {
        if (!m_program) return;
        m_frame = WaitForWindow(L"Delm Halvo", kStartTimeoutMs, m_program->ProcessId());
        // Started once the camera window shows (the main window's start-up is over).
        if (m_frame && !WaitUntil([&] { return ::IsWindowVisible(m_frame) != FALSE; }, kStartTimeoutMs)) m_frame = nullptr;
    }
    bool Started() const { return m_program && m_frame; }
    HWND Frame() const { return m_frame; }
    ProgramUnderTest& Program() { return *m_program; }
    // A click on the capture button; returns at once (the program takes the photo meanwhile).
    void ClickCapture() { ::PostMessageW(::GetDlgItem(m_frame, IDC_CAPTURE), BM_CLICK, 0, 0); }
    // Closes the camera window; true when the program ended in time with status 0.
    bool Close() {
        if (!m_program->IsRunning()) return true;
        ::PostMessageW(m_frame, WM_CLOSE, 0, 0);
        DWORD code = 1;
        return m_program->WaitForExit(30000, &code) && code == 0;
    }
    // The window answers within `ms` (the user-interface thread is not waiting for a frame).
    bool Answers(DWORD ms) {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(m_frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &result) != 0;
    }
    // True when the window answered within `within` ms every time it was asked, every 100 ms
    // for `ms`.
    bool AnswersThroughout(DWORD ms, DWORD within = 100) {
        const ULONGLONG end = ::GetTickCount64() + ms;
        bool answered = true;
        while (::GetTickCount64() < end) {
            answered = Answers(within) && answered;
            ::Sleep(100);
        }
        return answered;
    }
    void Resume() {
        HWND main = FindTopLevelWindow(L"Delm Halvo1", m_program->ProcessId());
        ::PostMessageW(main, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    }

private:
    std::unique_ptr<ProgramUnderTest> m_program;
    HWND m_frame = nullptr;
};

struct Scene {
    TestWorld world;                // the program's current folder
    std::wstring photos;            // its Pictures folder
    std::wstring current;           // its current folder (the world's, or one of the case's)
    std::vector<CapturedItem> listed;  // what "halvo.dat" listed before the fault
    std::set<std::wstring> photoFiles, currentFiles;

    std::optional<settings::LoadedSettings> Settings() const {
        auto bytes = ReadFileBytes(current + L"\\halvo.dat");
        if (!bytes) return std::nullopt;
        return settings::DecodeSettings(bytes->data(), bytes->size());
    }
    size_t Listed() const {
        auto loaded = Settings();
        return loaded ? loaded->items.size() : 0;
    }
};

struct Fault {
    const char* name;
    // Before the second run: the camera's settings, the folders.
    std::function<void(Scene&, components_test::CameraSettings&)> arrange;
    // The second run meets the fault; it may end the program itself.
    std::function<void(Scene&, ProgramRun&, components_test::CameraSettings&)> act;
    bool picturesAreCaseFolder = false;  // the photos of the second run go elsewhere
    // The list cannot be saved: a photo of the second run may stay on disk unlisted.
    bool listCannotBeSaved = false;
    // Undoes what the check must not see (after the second run).
    std::function<void(Scene&)> afterwards = [](Scene&) {};
};

// Two photos, then a close: the list the fault must not harm.
void TakeTwoPhotos(Scene& scene) {
    ProgramRun run(scene.current);
    ASSERT_TRUE(run.Started());
    for (size_t n = 1; n <= 2; ++n) {
        run.ClickCapture();
        ASSERT_TRUE(WaitUntil([&] { return scene.Listed() == n; }, kPhotoTimeoutMs, 100))
            << "photo " << n << "; photo folder holds " << FilesIn(scene.photos).size() << ", current folder "
            << FilesIn(scene.current).size() << " files";
    }
    ASSERT_TRUE(run.Close());
    scene.listed = scene.Settings()->items;
    scene.photoFiles = FilesIn(scene.photos);
    scene.currentFiles = FilesIn(scene.current);
}

void PhotoThenClose(Scene&, ProgramRun& run, components_test::CameraSettings&) {
    run.ClickCapture();
    ::Sleep(3000);
    EXPECT_TRUE(run.Close());
}

}  // namespace

TEST(FaultMatrix, EveryListedPhotoSurvivesAndNothingElseAppears) {
    const Fault faults[] = {
        {"camera unplugged mid-preview",
         [](Scene&, components_test::CameraSettings& camera) { camera.Set(L"UnplugAfter", static_cast<DWORD>(20)); },
         [](Scene&, ProgramRun& run, components_test::CameraSettings&) {
             ::Sleep(2000);  // 20 frames are gone: the camera is lost
             run.ClickCapture();
             ::Sleep(300);
             EXPECT_TRUE(run.Answers(3000)) << "no frame can come: the photo returns at once";
             EXPECT_TRUE(run.Close());
         }},
        {"resume with the camera gone, then back",
         [](Scene&, components_test::CameraSettings&) {},
         [](Scene& scene, ProgramRun& run, components_test::CameraSettings& camera) {
             camera.Set(L"Busy", static_cast<DWORD>(1));
             run.Resume();  // seven attempts, a second apart
             // Within the time of an attempt (a graph built against the busy camera), never a pause.
             EXPECT_TRUE(run.AnswersThroughout(7000, 500)) << "the window answers between the attempts";
             ::Sleep(2000);
             camera.Set(L"Busy", static_cast<DWORD>(0));
             run.Resume();
             ::Sleep(2000);
             run.ClickCapture();
             EXPECT_TRUE(WaitUntil([&] { return scene.Listed() == 3; }, kPhotoTimeoutMs, 100)) << "back: a photo";
             EXPECT_TRUE(run.Close());
         }},
        {"busy camera at start",
         [](Scene&, components_test::CameraSettings& camera) { camera.Set(L"Busy", static_cast<DWORD>(1)); },
         [](Scene&, ProgramRun& run, components_test::CameraSettings&) {
             HWND box = nullptr;
             EXPECT_TRUE(WaitUntil([&] { return (box = ::FindWindowW(L"#32770", L"Delm Halvo")) != nullptr; }, 15000));
             if (box) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
             DWORD code = 1;
             EXPECT_TRUE(run.Program().WaitForExit(15000, &code)) << "the program ends after the message";
         }},
        {"photo folder that cannot be made",
         [](Scene& scene, components_test::CameraSettings&) { WriteFileBytes(scene.world.PathOf(L"not-a-folder"), {'x'}); },
         PhotoThenClose, true},
        {"read-only photo folder", [](Scene&, components_test::CameraSettings&) {}, PhotoThenClose, true},
        {"photo folder of 250 characters", [](Scene&, components_test::CameraSettings&) {}, PhotoThenClose, true},
        {"full disk during a photo", [](Scene&, components_test::CameraSettings&) {}, PhotoThenClose, true},
        {"full disk during a save", [](Scene&, components_test::CameraSettings&) {}, PhotoThenClose, false, true},
        {"read-only current folder", [](Scene&, components_test::CameraSettings&) {}, PhotoThenClose, false, true},
        {"settings file name taken by a folder",
         [](Scene& scene, components_test::CameraSettings&) {
             ::MoveFileW((scene.current + L"\\halvo.dat").c_str(), (scene.world.PathOf(L"halvo.dat.kept")).c_str());
             ::CreateDirectoryW((scene.current + L"\\halvo.dat").c_str(), nullptr);
         },
         PhotoThenClose, false, true,
         [](Scene& scene) {
             EXPECT_TRUE(::RemoveDirectoryW((scene.current + L"\\halvo.dat").c_str())) << "still the folder";
             ::MoveFileW(scene.world.PathOf(L"halvo.dat.kept").c_str(), (scene.current + L"\\halvo.dat").c_str());
         }},
    };
    const char* only = std::getenv("DH_FAULT_CASE");  // one case by a part of its name, by hand
    for (const Fault& fault : faults) {
        if (only && !std::strstr(fault.name, only)) continue;
        SCOPED_TRACE(fault.name);
        components_test::CameraSettings camera;
        Scene scene;
        scene.photos = scene.world.PathOf(L"Pictures");
        ::CreateDirectoryW(scene.photos.c_str(), nullptr);
        scene.current = scene.world.PathOf(L"current");
        ::CreateDirectoryW(scene.current.c_str(), nullptr);

        // Folders of the case's own where its fault needs them.
        const std::string name = fault.name;
        const bool smallCurrent = name == "full disk during a save" || name == "read-only current folder";
        const bool smallPictures = name == "full disk during a photo" || name == "read-only photo folder";
        SmallFileSystem current(smallCurrent ? 100 : 4), photoDisk(smallPictures ? 256 : 4);
        if ((smallCurrent && !current.Mounted()) || (smallPictures && !photoDisk.Mounted())) {
            std::printf("[  SKIP    ] %s: a small file system cannot be mounted here (needs root); the native\n"
                        "             fault model of the settings save covers it\n", fault.name);
            continue;
        }
        if (smallCurrent) scene.current = current.Folder();

        {
            PicturesFolder pictures(scene.photos);
            TakeTwoPhotos(scene);
        }
        if (HasFatalFailure()) return;
        ASSERT_EQ(scene.listed.size(), 2u);

        std::wstring secondPictures = scene.photos;
        if (fault.picturesAreCaseFolder) {
            if (name == "photo folder that cannot be made") secondPictures = scene.world.PathOf(L"not-a-folder\\Pictures");
            if (name == "photo folder of 250 characters") {
                secondPictures = scene.world.Folder();
                while (secondPictures.size() < 250) {
                    secondPictures += L"\\" + std::wstring(std::min<size_t>(40, 250 - secondPictures.size()), L'p');
                    ::CreateDirectoryW(secondPictures.c_str(), nullptr);
                }
            }
            if (smallPictures) secondPictures = photoDisk.Folder();
        }
        fault.arrange(scene, camera);
        if (name == "read-only photo folder" || name == "read-only current folder") {
            const std::wstring& folder = name == "read-only photo folder" ? photoDisk.Folder() : current.Folder();
            std::string unix(folder.begin() + 2, folder.end());
            for (char& c : unix)
                if (c == '\\') c = '/';
            ASSERT_TRUE(RunUnixCommand("mount -o remount,ro " + unix));
        }
        if (name == "full disk during a photo") WriteFileBytes(photoDisk.Folder() + L"\\filler", std::vector<uint8_t>(200 * 1024));
        {
            PicturesFolder pictures(secondPictures);
            ProgramRun run(scene.current);
            ASSERT_TRUE(run.Started());
            fault.act(scene, run, camera);
        }
        fault.afterwards(scene);

        // Every photo listed before is still listed and still a readable picture.
        const auto after = scene.Settings();
        ASSERT_TRUE(after) << "the settings file reads as a whole list";
        ASSERT_GE(after->items.size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(ItemPath(after->items[i]), ItemPath(scene.listed[i]));
            EXPECT_TRUE(IsReadablePicture(Widen(ItemPath(scene.listed[i])))) << "photo " << i;
        }
        // Nothing else appeared: new files are photos the list names.
        std::set<std::wstring> listedNames;
        for (const auto& item : after->items) {
            const std::wstring path = Widen(ItemPath(item));
            listedNames.insert(path.substr(path.rfind(L'\\') + 1));
            EXPECT_TRUE(IsReadablePicture(path)) << "listed photo";
        }
        for (const std::wstring& file : FilesIn(scene.photos))
            EXPECT_TRUE(scene.photoFiles.count(file) || listedNames.count(file) ||
                        (fault.listCannotBeSaved && IsReadablePicture(scene.photos + L"\\" + file)))
                << "unexpected photo folder file " << std::string(file.begin(), file.end());
        for (const std::wstring& file : FilesIn(scene.current))
            EXPECT_TRUE(scene.currentFiles.count(file) || file == L"halvo.dat") << "unexpected file " << std::string(file.begin(), file.end());
        if (fault.picturesAreCaseFolder && !smallPictures && name != "photo folder that cannot be made") {
            EXPECT_TRUE(FilesIn(secondPictures).empty()) << "no photo, and no cut-off name";
        }
        for (const auto& item : after->items) ::DeleteFileW(Widen(ItemPath(item)).c_str());
    }
}

// The program killed outright during a burst of photos, DH_KILL_ROUNDS times (5 in make
// test, more in the soak run): the settings file always reads as a whole list and every
// photo it lists is there.
TEST(FaultMatrix, KilledDuringABurstOfPhotosTheListStaysWholeAndTrue) {
    const char* rounds = std::getenv("DH_KILL_ROUNDS");
    const int count = rounds ? std::atoi(rounds) : 5;
    components_test::CameraSettings camera;
    TestWorld world;
    const std::wstring photos = world.PathOf(L"Pictures");
    ::CreateDirectoryW(photos.c_str(), nullptr);
    const std::wstring current = world.PathOf(L"current");
    ::CreateDirectoryW(current.c_str(), nullptr);
    PicturesFolder pictures(photos);
    uint32_t random = 20261208;  // fixed: a failing round can be run again
    size_t mostListed = 0;
    for (int round = 0; round < count; ++round) {
        ProgramRun run(current);
        ASSERT_TRUE(run.Started()) << "round " << round;
        for (int photo = 0; photo < 8; ++photo) run.ClickCapture();
        random = random * 1664525u + 1013904223u;
        const DWORD killAfterMs = (random >> 8) % 600;  // a photo takes some 40 ms
        ::Sleep(killAfterMs);
        ASSERT_TRUE(RunUnixCommand("kill -9 " + PidsInThisWorld("tesk60[.]exe"))) << "round " << round;
        ASSERT_TRUE(run.Program().WaitForExit(10000)) << "round " << round;

        const auto bytes = ReadFileBytes(current + L"\\halvo.dat");
        if (!bytes) continue;  // killed before the first save
        const auto loaded = settings::DecodeSettings(bytes->data(), bytes->size());
        ASSERT_TRUE(loaded) << "round " << round << " (killed after " << killAfterMs << " ms): a whole list";
        EXPECT_GE(loaded->items.size(), mostListed) << "round " << round << ": no listed photo is lost";
        mostListed = std::max(mostListed, loaded->items.size());
        for (const auto& item : loaded->items)
            EXPECT_TRUE(IsReadablePicture(Widen(ItemPath(item)))) << "round " << round << ": a listed photo is whole";
    }
    std::printf("%d kills, %zu photos listed at the end\n", count, mostListed);
}

// A photo whose store the disk holds up (its JPEG goes to a pipe that nobody reads): the
// window answers throughout, a second photo asked for meanwhile is stored behind it, and
// both are listed in order once the disk answers. Closed while a third one is held up, the
// program ends within its bound and lists what was stored.
TEST(FaultMatrix, AStoreHeldUpByTheDiskNeverHoldsTheWindow) {
    components_test::CameraSettings camera;
    TestWorld world;
    const std::wstring photos = world.PathOf(L"Pictures");
    ::CreateDirectoryW(photos.c_str(), nullptr);
    PicturesFolder pictures(photos);
    // The current folder, where the intermediate file "temp" lies, by its Unix name too.
    const std::string unixCurrent = "/tmp/dh-held-store-" + std::to_string(::GetCurrentProcessId());
    ASSERT_TRUE(RunUnixCommand("rm -rf " + unixCurrent + " && mkdir -p " + unixCurrent));
    const std::wstring current = WindowsPathOf(unixCurrent);
    const auto listed = [&] {
        const auto bytes = ReadFileBytes(current + L"\\halvo.dat");
        const auto loaded = bytes ? settings::DecodeSettings(bytes->data(), bytes->size()) : std::nullopt;
        return loaded ? loaded->items : std::vector<CapturedItem>{};
    };
    const auto photo = [&](int number) {
        const std::wstring digits = std::to_wstring(number);
        return photos + L"\\Picture" + std::wstring(4 - digits.size(), L'0') + digits + L".jpg";
    };
    {
        ProgramRun run(current);
        ASSERT_TRUE(run.Started());
        run.ClickCapture();
        ASSERT_TRUE(WaitUntil([&] { return listed().size() == 1; }, kPhotoTimeoutMs, 100));
        {
            StallingFile disk(unixCurrent + "/temp");
            ASSERT_TRUE(disk.Ready());
            run.ClickCapture();
            ASSERT_TRUE(WaitUntil([&] { return FileExists(photo(2)); }, kPhotoTimeoutMs, 20)) << "the store began";
            EXPECT_TRUE(run.AnswersThroughout(1500)) << "held up";
            run.ClickCapture();
            EXPECT_TRUE(run.AnswersThroughout(1500)) << "held up, a second photo behind it";
            EXPECT_EQ(listed().size(), 1u) << "neither is listed while the first is held up";
            disk.Release();
            ASSERT_TRUE(WaitUntil([&] { return listed().size() == 3; }, kPhotoTimeoutMs, 100))
                << "the disk answers; listed " << listed().size() << ", photo folder " << FilesIn(photos).size()
                << " files, current folder " << FilesIn(current).size();
        }
        const std::vector<CapturedItem> items = listed();
        EXPECT_EQ(Widen(ItemPath(items[1])), photo(2)) << "in the order asked for";
        EXPECT_EQ(Widen(ItemPath(items[2])), photo(3));
        // The held-up JPEG went nowhere: that photo stays the whole bitmap it was first.
        const auto held = ReadFileBytes(photo(2));
        ASSERT_TRUE(held);
        EXPECT_EQ(held->size(), 54u + 640u * 480u * 4u);
        EXPECT_EQ((*held)[0], 'B');
        const auto behind = ReadFileBytes(photo(3));
        ASSERT_TRUE(behind);
        EXPECT_TRUE(behind->size() > 4 && (*behind)[0] == 0xFF && (*behind)[1] == 0xD8 &&
                    (*behind)[behind->size() - 2] == 0xFF && (*behind)[behind->size() - 1] == 0xD9)
            << "the photo behind it is a whole JPEG";

        StallingFile disk(unixCurrent + "/temp");
        ASSERT_TRUE(disk.Ready());
        run.ClickCapture();
        ASSERT_TRUE(WaitUntil([&] { return FileExists(photo(4)); }, kPhotoTimeoutMs, 20));
        ::Sleep(300);
        const ULONGLONG closing = ::GetTickCount64();
        ::PostMessageW(run.Frame(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(run.Frame()); }, 1000, 10)) << "the window goes at once";
        DWORD code = 1;
        EXPECT_TRUE(run.Program().WaitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_LT(::GetTickCount64() - closing, 8000u) << "a few seconds for the store held up, then the end";
        EXPECT_EQ(listed().size(), 3u) << "what was stored, and not the photo held up";
    }
    for (int number = 1; number <= 4; ++number) ::DeleteFileW(photo(number).c_str());
    RunUnixCommand("rm -rf " + unixCurrent);
}
