// The camera program's controller in this process, with the virtual camera and the effect
// filter registered in the private prefix and Wine's real filter graph manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "controller/CapturedItemWin.h"
#include "controller/SettingsCodec.h"
#include "tests/components/support/ComponentWorld.h"
#include "controller/FilterRegistration.h"
#include "framework/Handles.h"
#include "tests/controller/ProgramInProcess.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/UnixCommand.h"
#include "text/UiText.h"

using namespace program_test;
using components_test::CameraSettings;
using e2e::FileExists;
using e2e::ReadFileBytes;
using settings::DecodeSettings;
using settings::EncodeSettings;

namespace {
constexpr size_t kRecord = 43768;

HWND VideoWindowOf(HWND frame) {
    return ::FindWindowExW(frame, nullptr, nullptr, L"ActiveMovie Window");
}

RECT ClientRectIn(HWND parent, HWND child) {
    RECT rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool IsJpeg(const std::wstring& path) {
    auto bytes = ReadFileBytes(path);
    return bytes && bytes->size() > 4 && (*bytes)[0] == 0xFF && (*bytes)[1] == 0xD8 &&
           (*bytes)[bytes->size() - 2] == 0xFF && (*bytes)[bytes->size() - 1] == 0xD9;
}

// Thumbnail pixel (x, y), top row first, as blue-green-red-reserved.
const uint8_t* ThumbnailPixel(const CapturedItem& item, int x, int y) { return item.thumbnail + (y * 80 + x) * 4; }

class Controller : public ::testing::Test {
protected:
    CameraSettings settings;  // the virtual camera's defaults, cleared again afterwards
};

TEST_F(Controller, StartsTheFirstCameraAt640x480InTheCameraWindow) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(program.Main()->m_bNoVideo, 0);
    EXPECT_EQ(program.Main()->m_nResolution, 1);
    EXPECT_EQ(program.Main()->m_nThumbWidth, 80);
    EXPECT_EQ(program.Main()->m_nThumbHeight, 60);
    EXPECT_FALSE(::IsWindowVisible(program.Main()->m_hWnd));

    HWND video = VideoWindowOf(program.Frame()->m_hWnd);
    ASSERT_TRUE(video) << "the renderer's window is a child of the camera window";
    EXPECT_TRUE(::IsWindowVisible(video));
    const RECT placed = ClientRectIn(program.Frame()->m_hWnd, video);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
    EXPECT_EQ(placed.right, 640);
    EXPECT_EQ(placed.bottom, 480);

    // The frames arrive in the capture size that was asked for.
    program.UsePrivatePhotoFolder();
    ASSERT_TRUE(program.TakePhoto());
    ASSERT_EQ(program.Main()->m_items.size(), 1u);
    EXPECT_EQ(program.Main()->m_items[0].header.biWidth, 640);
    EXPECT_EQ(program.Main()->m_items[0].header.biHeight, 480);
    EXPECT_TRUE(program.Close());
}

TEST_F(Controller, APhotoBecomesANumberedJpegWithItsItemAndIsSavedAtOnce) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    const std::wstring photos = program.UsePrivatePhotoFolder();
    CTeskWin& main = *program.Main();
    main.m_nPictureNumber = 7;

    ASSERT_TRUE(program.TakePhoto());

    ASSERT_EQ(main.m_items.size(), 1u);
    const CapturedItem& item = main.m_items.back();
    const std::wstring path = photos + L"\\Picture0007.jpg";
    EXPECT_EQ(item.kind, 2);
    EXPECT_EQ(item.selected, 0);
    EXPECT_EQ(ItemPathW(item), path);
    EXPECT_EQ(item.header.biSize, 40u);
    EXPECT_EQ(item.header.biWidth, 640);
    EXPECT_EQ(item.header.biHeight, 480);
    EXPECT_EQ(item.header.biPlanes, 1);
    EXPECT_EQ(item.header.biBitCount, 32);
    EXPECT_EQ(item.header.biCompression, 0u);
    EXPECT_EQ(item.header.biSizeImage, 640u * 480u * 4u);
    // The test picture's top rows are white and its bottom rows black: the thumbnail is
    // the right way up.
    EXPECT_GT(ThumbnailPixel(item, 40, 0)[1], 200);
    EXPECT_LT(ThumbnailPixel(item, 40, 59)[1], 60);
    EXPECT_EQ(main.m_nPictureNumber, 8);

    EXPECT_TRUE(IsJpeg(path));
    EXPECT_FALSE(FileExists(program.World().PathOf(L"temp")));
    auto saved = ReadFileBytes(program.World().PathOf(L"halvo.dat"));
    ASSERT_TRUE(saved) << "the settings file is written once the photo is listed";
    ASSERT_EQ(saved->size(), 16 + kRecord);
    auto loaded = DecodeSettings(saved->data(), saved->size(), [](const CapturedItem&) { return true; });
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->pictureNumber, 8);
    ASSERT_EQ(loaded->items.size(), 1u);
    EXPECT_EQ(ItemPathW(loaded->items[0]), path);
    EXPECT_TRUE(program.Close());
}

TEST_F(Controller, NumbersRunTo10000ThenStartAgainAt1) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    const std::wstring photos = program.UsePrivatePhotoFolder();
    program.Main()->m_nPictureNumber = 10000;
    ASSERT_TRUE(program.TakePhoto());
    EXPECT_TRUE(IsJpeg(photos + L"\\Picture10000.jpg"));
    EXPECT_EQ(program.Main()->m_nPictureNumber, 1);
    ASSERT_TRUE(program.TakePhoto());
    EXPECT_TRUE(IsJpeg(photos + L"\\Picture0001.jpg"));
    EXPECT_EQ(program.Main()->m_items.size(), 2u);
    EXPECT_TRUE(program.Close());
}

TEST_F(Controller, PhotoLandsInThePicturesFolder) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    const std::wstring folder = program.Main()->m_szPhotoDir;
    ASSERT_GE(folder.size(), 8u);
    EXPECT_EQ(folder.substr(folder.size() - 8), L"Pictures");
    program.Main()->m_nPictureNumber = 9876;
    ASSERT_TRUE(program.TakePhoto());
    const std::wstring path = folder + L"\\Picture9876.jpg";
    EXPECT_TRUE(IsJpeg(path));
    ::DeleteFileW(path.c_str());
    EXPECT_TRUE(program.Close());
}

TEST_F(Controller, APhotoWhoseJpegCannotBeWrittenIsKeptAsABitmap) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    const std::wstring photos = program.UsePrivatePhotoFolder();
    // A folder named "temp" in the current folder: the intermediate JPEG cannot be created.
    ASSERT_TRUE(::CreateDirectoryW(program.World().PathOf(L"temp").c_str(), nullptr));
    ASSERT_TRUE(program.TakePhoto());

    ASSERT_EQ(program.Main()->m_items.size(), 1u);
    auto bytes = ReadFileBytes(photos + L"\\Picture0001.jpg");
    ASSERT_TRUE(bytes) << "the frame that arrived is not lost";
    ASSERT_EQ(bytes->size(), 54u + 640u * 480u * 4u);
    EXPECT_EQ((*bytes)[0], 'B');
    EXPECT_EQ((*bytes)[1], 'M');
    EXPECT_TRUE(program.Close());
}

TEST_F(Controller, APhotoWithoutAPhotoFolderAddsNothingAndStillReturns) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    wcscpy_s(program.Main()->m_szPhotoDir, MAX_PATH, program.World().PathOf(L"missing\\folder").c_str());
    ASSERT_TRUE(program.TakePhoto());
    EXPECT_TRUE(program.Main()->m_items.empty());
    EXPECT_EQ(program.Main()->m_nPictureNumber, 2) << "a failed photo uses up its number";
    EXPECT_FALSE(FileExists(program.World().PathOf(L"temp")));
    EXPECT_TRUE(program.Close());
}

// A photo that cannot be stored whole adds nothing, leaves no file anywhere, and touches
// neither the settings file nor an unrelated "temp" in the current folder.
TEST_F(Controller, APhotoThatCannotBeStoredAddsNothingAndTouchesNoOtherFile) {
    e2e::SmallFileSystem fullDisk(256);  // a 640 x 480 bitmap needs 1.2 MB
    struct Case {
        const char* what;
        std::function<std::wstring(const std::wstring& world)> folder;  // the photo folder
    } cases[] = {
        {"a folder whose photo names do not fit",
         [](const std::wstring& world) {
             std::wstring folder = world;
             while (folder.size() < 250) {
                 folder += L"\\" + std::wstring(std::min<size_t>(40, 250 - folder.size()), L'd');
                 ::CreateDirectoryW(folder.c_str(), nullptr);
             }
             return folder;
         }},
        {"no folder at all", [](const std::wstring&) { return std::wstring(); }},
        {"a disk that fills up", [&](const std::wstring&) { return fullDisk.Mounted() ? fullDisk.Folder() : L""; }},
    };
    for (const Case& c : cases) {
        ProgramInProcess program;
        ASSERT_TRUE(program.Start());
        CTeskWin& controller = *program.Main();
        controller.SaveSettings();
        const auto settingsBefore = ReadFileBytes(program.World().PathOf(L"halvo.dat"));
        ASSERT_TRUE(e2e::WriteFileBytes(program.World().PathOf(L"temp"), {'k', 'e', 'e', 'p'}));
        const std::wstring folder = c.folder(program.World().Folder());
        wcscpy_s(controller.m_szPhotoDir, MAX_PATH, folder.c_str());

        ASSERT_TRUE(program.TakePhoto());
        EXPECT_TRUE(controller.m_items.empty()) << c.what;
        EXPECT_EQ(controller.m_nPictureNumber, 2) << c.what << ": the number is used up";
        EXPECT_EQ(ReadFileBytes(program.World().PathOf(L"temp")), std::optional<std::vector<uint8_t>>({'k', 'e', 'e', 'p'}))
            << c.what;
        EXPECT_FALSE(FileExists(L"C:\\Picture0001.jpg")) << c.what << ": nothing at the root of the drive";
        if (!folder.empty()) {
            WIN32_FIND_DATAW found;
            UniqueFindHandle search(
                ::FindFirstFileW((folder.substr(0, folder.rfind(L'\\')) + L"\\Pictur*").c_str(), &found));
            EXPECT_FALSE(search) << c.what << ": no cut-off name";
            EXPECT_FALSE(FileExists(folder + L"\\Picture0001.jpg")) << c.what << ": no partial file";
        }
        if (c.what == std::string("a disk that fills up")) {
            EXPECT_EQ(ReadFileBytes(program.World().PathOf(L"halvo.dat")), settingsBefore) << "the settings file is not touched";
        }
        EXPECT_TRUE(program.Close());
    }
    if (!fullDisk.Mounted()) GTEST_SKIP() << "the full-disk case ran without a disk of its own: mount -t tmpfs needs root";
}

// A loader that refuses the search flags, as Windows 7 without its loader update does.
namespace {
std::vector<std::pair<std::wstring, DWORD>> g_loads;
HMODULE WINAPI LoaderWithoutSearchFlags(LPCWSTR name, HANDLE file, DWORD flags) {
    g_loads.emplace_back(name, flags);
    if (flags & (LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return ::LoadLibraryExW(name, file, flags);
}
}  // namespace

TEST(FilterFiles, AreLoadedBesideTheProgramByFullPathWhereTheSearchFlagsAreRefused) {
    UniqueModule module(LoadFilterLibrary(L"KorvEffect.ax", &LoaderWithoutSearchFlags));
    EXPECT_TRUE(module);
    ASSERT_EQ(g_loads.size(), 2u);
    EXPECT_EQ(g_loads[1].first, e2e::BinDir() + L"\\KorvEffect.ax") << "never from the current folder";
    EXPECT_EQ(g_loads[1].second, static_cast<DWORD>(LOAD_WITH_ALTERED_SEARCH_PATH));
}

TEST_F(Controller, StoredItemsWhosePhotoIsGoneAreDroppedAtStart) {
    ProgramInProcess program;
    std::vector<CapturedItem> items;
    for (int i = 0; i < 3; ++i) {
        const std::wstring path = program.World().PathOf(L"photo" + std::to_wstring(i) + L".jpg");
        if (i != 1) {
            ASSERT_TRUE(e2e::WriteFileBytes(path, {0xFF, 0xD8, 0xFF, 0xD9}));
        }
        CapturedItem item = MakeEmptyItem();
        item.kind = 2;
        item.selected = 1;
        SetItemPath(item, path.c_str());
        items.push_back(item);
    }
    ASSERT_TRUE(e2e::WriteFileBytes(program.World().PathOf(L"halvo.dat"), EncodeSettings(42, items)));

    ASSERT_TRUE(program.Start());
    CTeskWin& main = *program.Main();
    EXPECT_EQ(main.m_nPictureNumber, 42);
    ASSERT_EQ(main.m_items.size(), 2u);
    EXPECT_EQ(ItemPathW(main.m_items[0]), program.World().PathOf(L"photo0.jpg"));
    EXPECT_EQ(ItemPathW(main.m_items[1]), program.World().PathOf(L"photo2.jpg"));
    EXPECT_EQ(main.m_items[0].selected, 0);
    EXPECT_EQ(main.m_items[1].selected, 0);
    EXPECT_TRUE(program.Close());
    auto saved = ReadFileBytes(program.World().PathOf(L"halvo.dat"));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->size(), 16 + 2 * kRecord);
}

TEST_F(Controller, ResumeFromStandbyRestartsThePreview) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    program.UsePrivatePhotoFolder();
    EXPECT_EQ(program.Main()->SendMessage(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND), TRUE);
    EXPECT_EQ(program.Main()->m_bNoVideo, 0);
    ASSERT_TRUE(program.TakePhoto());
    EXPECT_EQ(program.Main()->m_items.size(), 1u) << "the restarted preview delivers frames";
    EXPECT_EQ(program.Main()->SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND), TRUE);
    EXPECT_TRUE(program.Close());
}

// The session ends and the process with it, without WM_DESTROY: the photo being stored
// (here held up by the disk for a second) is waited for, listed and saved first.
TEST_F(Controller, AtTheEndOfTheSessionThePhotoBeingStoredIsListedAndSaved) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    program.UsePrivatePhotoFolder();
    CTeskWin& controller = *program.Main();
    e2e::StallingFile disk(e2e::UnixPathOf(program.World().PathOf(L"temp")));
    ASSERT_TRUE(disk.Ready());
    controller.TakePhoto();
    ASSERT_TRUE(e2e::WaitUntil([&] { return Pump(10), !controller.PhotoAwaitsFrame(); }, 10000));
    EXPECT_EQ(controller.SendMessage(WM_ENDSESSION, FALSE), 0);
    EXPECT_TRUE(controller.PhotosInFlight()) << "a session that goes on changes nothing";

    std::thread diskAnswers([&] {
        ::Sleep(1000);
        disk.Release();
    });
    EXPECT_EQ(controller.SendMessage(WM_ENDSESSION, TRUE), 0);
    diskAnswers.join();
    auto saved = ReadFileBytes(program.World().PathOf(L"halvo.dat"));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->size(), 16 + kRecord) << "the photo is listed";
    EXPECT_TRUE(program.Close());
}

// Another program holding the settings file (Wine refuses to replace any open file, Windows
// one opened without delete sharing): the refused save lands once the file is let go, from
// a timer while the program runs and from the last save's few attempts at the end.
TEST_F(Controller, ASaveRefusedWhileAnotherProgramHoldsTheFileLandsOnceItIsLetGo) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    program.UsePrivatePhotoFolder();
    CTeskWin& controller = *program.Main();
    ASSERT_TRUE(program.TakePhoto());
    const std::wstring path = program.World().PathOf(L"halvo.dat");
    auto stored = [&] {
        auto bytes = ReadFileBytes(path);
        auto loaded = bytes ? DecodeSettings(bytes->data(), bytes->size(), [](const CapturedItem&) { return true; })
                            : std::nullopt;
        return loaded ? std::make_pair(loaded->pictureNumber, loaded->items.size()) : std::make_pair(-1, size_t{0});
    };
    auto hold = [&] {
        return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    };

    UniqueFile held = hold();
    ASSERT_TRUE(held);
    controller.m_items.clear();
    controller.SaveSettings();
    EXPECT_EQ(stored().second, 1u) << "refused while held";
    held.Reset();
    EXPECT_TRUE(e2e::WaitUntil([&] { return Pump(10), stored().second == 0; }, 3000)) << "lands once let go";

    held = hold();
    ASSERT_TRUE(held);
    controller.m_nPictureNumber = 77;
    std::thread letGo([&] {
        ::Sleep(300);
        held.Reset();
    });
    EXPECT_EQ(controller.SendMessage(WM_ENDSESSION, TRUE), 0);
    letGo.join();
    EXPECT_EQ(stored().first, 77) << "the last save waits for the file a moment";
    EXPECT_TRUE(program.Close());
}

// The attempts run from a timer: between them the window answers its messages. An attempt
// itself holds the thread while the graph is built against the busy camera (some 60 ms here).
TEST_F(Controller, ResumeGivesUpAfterSevenAttemptsASecondApartAndTheWindowAnswersMeanwhile) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    settings.Set(L"Busy", 1);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(program.Main()->SendMessage(WM_POWERBROADCAST, PBT_APMRESUMECRITICAL), TRUE);
    ULONGLONG last = ::GetTickCount64(), longest = last - start;
    int slow = 0;  // times the window's messages waited 100 ms or more
    while (program.Main()->m_bNoVideo == 0 && last - start < 15000) {
        Pump(10);
        const ULONGLONG now = ::GetTickCount64();
        longest = std::max(longest, now - last);
        slow += now - last >= 100;
        last = now;
    }
    EXPECT_EQ(program.Main()->m_bNoVideo, 1);
    EXPECT_GE(last - start, 5900u) << "six pauses of a second between seven attempts (less a tick of rounding)";
    EXPECT_LT(last - start, 9000u);
    EXPECT_LE(slow, 7) << "the messages wait only while an attempt runs, never in a pause";
    EXPECT_LT(longest, 500u);

    // No frame can come now: the photo is over at once and adds nothing.
    program.UsePrivatePhotoFolder();
    const ULONGLONG photoStart = ::GetTickCount64();
    ASSERT_TRUE(program.TakePhoto());
    EXPECT_LT(::GetTickCount64() - photoStart, 8000u) << "well below the time-out of a requested frame";
    EXPECT_TRUE(program.Main()->m_items.empty());
    EXPECT_TRUE(program.Close());
}

TEST_F(Controller, BusyCameraIsReportedAfterOneRetryAndEndsTheProgram) {
    settings.Set(L"Busy", 1);
    ProgramInProcess program;
    MessageBoxWatcher watcher;
    const ULONGLONG start = ::GetTickCount64();
    ASSERT_TRUE(program.Start());
    EXPECT_GE(::GetTickCount64() - start, 990u) << "one second before the retry (less a tick of rounding)";
    EXPECT_TRUE(PumpUntilQuit(20000)) << "the program ends after the message";
    EXPECT_TRUE(watcher.Seen());
    EXPECT_EQ(watcher.Text(), std::wstring(UiText[65]));
    // The test run names the language Wine was started in (LANG); the environment carries
    // only ASCII safely, so the expected texts are spelled here.
    const char* language = std::getenv("DH_EXPECTED_BUSY_LANGUAGE");
    const std::string expected = language ? language : "en";
    if (expected == "de")
        EXPECT_EQ(watcher.Text(), L"Kamera ist belegt");
    else if (expected == "zh_TW")
        EXPECT_EQ(watcher.Text(), L"\u7db2\u8def\u651d\u5f71\u6a5f\u5fd9\u788c");
    else
        EXPECT_EQ(watcher.Text(), L"Camera is busy");
    EXPECT_TRUE(FileExists(program.World().PathOf(L"halvo.dat")));
}

// Registers the virtual camera again when the test ends, passed or failed, so that the
// tests after it still have a camera.
struct CameraUnregistered {
    HRESULT result = components_test::CameraDll().Unregister();
    ~CameraUnregistered() { components_test::CameraDll().Register(); }
};

TEST_F(Controller, WithoutACameraTheProgramRunsQuietlyAndStillSavesOnClose) {
    CameraUnregistered noCamera;
    ASSERT_EQ(noCamera.result, S_OK);
    {
        ProgramInProcess program;
        MessageBoxWatcher watcher;
        ASSERT_TRUE(program.Start());
        EXPECT_EQ(program.Main()->m_bNoVideo, 1);
        EXPECT_EQ(VideoWindowOf(program.Frame()->m_hWnd), nullptr);
        Pump(1500);
        EXPECT_FALSE(watcher.Seen()) << "no message without a camera";

        program.UsePrivatePhotoFolder();
        ASSERT_TRUE(program.TakePhoto(true, 1000));  // no graph: over at once
        EXPECT_TRUE(program.Main()->m_items.empty());

        EXPECT_TRUE(program.Close());
        auto saved = ReadFileBytes(program.World().PathOf(L"halvo.dat"));
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->size(), 16u);
    }
}

// The program initialises COM on its thread for its lifetime and undoes only what it did:
// a thread already in the multithreaded apartment (where the program's CoInitialize
// fails) keeps it. Each case runs on a thread of its own, in the apartment it names.
TEST_F(Controller, LeavesTheThreadsComAsItFoundIt) {
    CameraUnregistered noCamera;  // no graph: only the start-up and the end
    ASSERT_EQ(noCamera.result, S_OK);
    struct Case {
        const char* name;
        std::optional<DWORD> before;
    };
    const Case cases[] = {
        {"no apartment", std::nullopt},
        {"single-threaded apartment", COINIT_APARTMENTTHREADED},
        {"multithreaded apartment", COINIT_MULTITHREADED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HRESULT entered = S_OK;
        bool ran = false;
        HRESULT probe = E_FAIL;
        std::thread programThread([&] {
            if (c.before) entered = ::CoInitializeEx(nullptr, *c.before);
            {
                ProgramInProcess program;
                ran = program.Start() && program.Close();
            }
            // S_FALSE: the thread's apartment is still there; S_OK: none was left.
            probe = ::CoInitializeEx(nullptr, c.before.value_or(COINIT_APARTMENTTHREADED));
            if (SUCCEEDED(probe)) ::CoUninitialize();
            if (c.before && SUCCEEDED(entered)) ::CoUninitialize();
        });
        programThread.join();  // bounded by Close's own time limit
        EXPECT_EQ(entered, S_OK);
        EXPECT_TRUE(ran);
        EXPECT_EQ(probe, c.before ? S_FALSE : S_OK);
    }
}

}  // namespace
