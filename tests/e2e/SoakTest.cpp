// A long run of the camera program (ctest label "soak", `make soak`): 1000 photos with the
// picture number starting near 10000 so that it wraps, and 100 switches between the three
// sizes. Afterwards every photo is listed and there, and what the process holds has not
// grown beyond a small margin after warm-up.
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "controller/SettingsCodec.h"
#include "resources/resource.h"
#include "tests/components/support/ComponentWorld.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"
#include "tests/support/UnixCommand.h"

using namespace e2e;

namespace {
constexpr int kPhotos = 1000;
// The first half takes photos only: what the process holds is measured over it. Wine's
// default video renderer keeps some 35 handles of every graph it was part of, so restarts
// at other sizes (the second half, every fifth photo) would hide a leak of ours.
constexpr int kSwitchFrom = kPhotos / 2;
constexpr int kSwitchEvery = 5;
constexpr int kWarmUpPhotos = 50;
constexpr int32_t kFirstNumber = 9950;

// The handles of process `processId`, from the system's handle list. (Wine 8 answers 0
// from GetProcessHandleCount for every process; it does keep this list.)
size_t HandleCount(DWORD processId) {
    struct Entry {
        ULONG processId;
        BYTE objectType, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    std::vector<BYTE> buffer(1 << 20);
    ULONG needed = 0;
    constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    while (::NtQuerySystemInformation(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                      &needed) == static_cast<NTSTATUS>(0xC0000004L))  // too small
        buffer.resize(buffer.size() * 2);
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    size_t count = 0;
    for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].processId == processId;
    return count;
}

// Kilobytes of anonymous memory of the Wine process of tesk60.exe (Wine 8 answers 0 from
// GetProcessMemoryInfo for PrivateUsage).
long AnonymousKilobytes() {
    const std::string unixRecord = "/tmp/dh-soak-rss-" + std::to_string(::GetCurrentProcessId());
    const std::wstring record = WindowsPathOf(unixRecord);
    if (!RunUnixCommand("grep RssAnon /proc/$(echo " + PidsInThisWorld("tesk60[.]exe") + " | cut -d' ' -f1)/status > " + unixRecord)) return -1;
    const auto bytes = ReadFileBytes(record);
    ::DeleteFileW(record.c_str());
    if (!bytes) return -1;
    const std::string text(bytes->begin(), bytes->end());
    const size_t digits = text.find_first_of("0123456789");
    return digits == std::string::npos ? -1 : std::stol(text.substr(digits));
}

}  // namespace

TEST(Soak, AThousandPhotosAndAHundredSizeSwitchesKeepEveryPhotoAndHoldNoMore) {
    components_test::CameraSettings camera;
    TestWorld world;
    // Photos go to the prefix's Pictures folder (a private HOME); the numbering starts near
    // its end, from a settings file with no item.
    WriteFileBytes(world.PathOf(L"halvo.dat"), settings::EncodeSettings(kFirstNumber, {}));
    auto program = ProgramUnderTest::Start(L"tesk60.exe", world.Folder());
    ASSERT_TRUE(program);
    HWND frame = WaitForWindow(L"Delm Halvo", 20000, program->ProcessId());
    ASSERT_TRUE(frame && WaitUntil([&] { return ::IsWindowVisible(frame) != FALSE; }, 20000));
    HWND capture = ::GetDlgItem(frame, IDC_CAPTURE);
    const auto listed = [&]() -> size_t {
        auto bytes = ReadFileBytes(world.PathOf(L"halvo.dat"));
        auto loaded = bytes ? settings::DecodeSettings(bytes->data(), bytes->size()) : std::nullopt;
        return loaded ? loaded->items.size() : 0;
    };

    size_t handlesAfterWarmUp = 0;
    long memoryAfterWarmUp = 0;
    const UINT sizes[] = {ID_RESOLUTION_320X240, ID_RESOLUTION_640X480, ID_RESOLUTION_1280X1024};
    for (int photo = 1; photo <= kPhotos; ++photo) {
        if (photo > kSwitchFrom && photo % kSwitchEvery == 0)
            ::PostMessageW(frame, WM_COMMAND, sizes[(photo / kSwitchEvery) % 3], 0);
        ::PostMessageW(capture, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return listed() == static_cast<size_t>(photo); }, 30000, 5)) << "photo " << photo;
        if (photo == kWarmUpPhotos) {
            handlesAfterWarmUp = HandleCount(program->ProcessId());
            memoryAfterWarmUp = AnonymousKilobytes();
        }
        if (photo == kSwitchFrom) {
            const size_t handles = HandleCount(program->ProcessId());
            const long memory = AnonymousKilobytes();
            // The list itself grows by one 43,768-byte record a photo.
            const long listGrowth = (kSwitchFrom - kWarmUpPhotos) * static_cast<long>(kCapturedItemSize) / 1024;
            std::printf("photos %d to %d: handles %zu -> %zu; anonymous memory %ld -> %ld KB (the list: %ld KB)\n",
                        kWarmUpPhotos, kSwitchFrom, handlesAfterWarmUp, handles, memoryAfterWarmUp, memory, listGrowth);
            EXPECT_LE(handles, handlesAfterWarmUp + 16);
            ASSERT_GE(memory, 0) << "the process's memory could not be read";
            EXPECT_LE(memory, memoryAfterWarmUp + listGrowth + 16 * 1024);
        }
    }
    std::printf("after %d restarts at other sizes: handles %zu\n", (kPhotos - kSwitchFrom) / kSwitchEvery,
                HandleCount(program->ProcessId()));

    // Every photo listed once and there; the numbers wrapped from 10000 to 1.
    auto bytes = ReadFileBytes(world.PathOf(L"halvo.dat"));
    ASSERT_TRUE(bytes);
    auto loaded = settings::DecodeSettings(bytes->data(), bytes->size());
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->items.size(), static_cast<size_t>(kPhotos));
    std::set<std::u16string> paths;
    for (const auto& item : loaded->items) {
        paths.insert(ItemPath(item));
        const std::u16string path = ItemPath(item);
        EXPECT_TRUE(FileExists(std::wstring(path.begin(), path.end())));
    }
    EXPECT_EQ(paths.size(), static_cast<size_t>(kPhotos)) << "no two photos share a name";
    EXPECT_EQ(loaded->pictureNumber, (kFirstNumber + kPhotos - 1) % 10000 + 1);
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForExit(30000));
    for (const auto& path : paths) ::DeleteFileW(std::wstring(path.begin(), path.end()).c_str());
}
