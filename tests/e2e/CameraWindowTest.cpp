// The camera window used as a person uses it: real X clicks on the buttons, the thumbnails
// and the resolution list of tesk60.exe running on the virtual camera; what it shows is read
// back from the screen, what it stored from the files. The same scenarios run at 96 DPI and
// at the DPIs of further runs (DH_TEST_DPI), where every place is the design's, scaled.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "testworld/camera/TestPicture.h"
#include "testworld/mjpeg/MjpegDecoder.h"
#include "controller/SettingsCodec.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"
#include "resources/resource.h"
#include "tests/components/support/ComponentWorld.h"
#include "tests/support/DisplayDpi.h"
#include "tests/support/DisplayRectPrint.h"
#include "tests/support/OpenRecorder.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestWorld.h"
#include "tests/support/XInput.h"
#include "window/FrameLayout.h"

using namespace e2e;

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kPhotoTimeoutMs = 15000;
constexpr COLORREF kGrey = RGB(99, 99, 99);

const int kDpi = ScenarioDpi();
const frame_layout::FrameLayout kLayout = frame_layout::At(kDpi);
int Scaled(int design) { return display::Scaled(design, kDpi); }
POINT Centre(const display::Rect& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
// The closed resolution box is its face's height, not that of the open list.
const POINT kCaptureButton = Centre(kLayout.captureButton);
const POINT kDeleteButton = Centre(kLayout.deleteButton);
const POINT kResolutionBox{Centre(kLayout.resolutionBox).x, Centre(kLayout.captureButton).y};

POINT SlotCentre(int slot) { return Centre(frame_layout::Hit(slot, kDpi)); }

std::wstring Narrow(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// A file in the Pictures folder that no list names, as after halvo.dat was deleted or files
// were copied in; removed again at the end.
class EarlierFile {
public:
    EarlierFile(const wchar_t* name, std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {
        wchar_t pictures[MAX_PATH] = {};
        ::SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, 0, pictures);
        m_path = std::wstring(pictures) + L"\\" + name;
        m_written = WriteFileBytes(m_path, m_bytes);
    }
    ~EarlierFile() { ::DeleteFileW(m_path.c_str()); }
    bool Written() const { return m_written; }
    bool Intact() const { return ReadFileBytes(m_path) == m_bytes; }
    const std::wstring& Path() const { return m_path; }

private:
    std::vector<uint8_t> m_bytes;
    std::wstring m_path;
    bool m_written = false;
};

// A pixel of one of the program's own bitmaps in the set of the scenario's DPI, read from
// tesk60.exe: at the DPI of a set, the program shows the set's pixels as they are.
COLORREF ProgramBitmapPixel(int id, int x, int y) {
    UniqueModule program(::LoadLibraryExW((BinDir() + L"\\tesk60.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    const int resource = display::SkinResourceId(id, display::SkinSetDpi(kDpi));
    UniqueBitmap bitmap(::LoadBitmapW(program.Get(), MAKEINTRESOURCEW(resource)));
    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    SelectObjectGuard selected(dc.Get(), bitmap.Get());
    return ::GetPixel(dc.Get(), x, y);
}

class CameraWindow : public ::testing::Test {
protected:
    void SetUp() override {
        program = ProgramUnderTest::Start(L"tesk60.exe", world.Folder());
        ASSERT_TRUE(program);
        frame = WaitForWindow(L"Delm Halvo", kStartTimeoutMs, program->ProcessId());
        ASSERT_TRUE(frame);
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(frame) && FindVideo(); }, kStartTimeoutMs));
        ASSERT_TRUE(FocusTopLevel(frame));
    }
    void TearDown() override {
        if (program && frame) ::PostMessageW(frame, WM_CLOSE, 0, 0);
        if (program) program->WaitForExit(10000);
        for (const auto& item : Items()) ::DeleteFileW(Narrow(ItemPath(item)).c_str());
    }

    HWND FindVideo() const { return ::FindWindowExW(frame, nullptr, nullptr, L"ActiveMovie Window"); }
    HWND Control(int id) const { return ::GetDlgItem(frame, id); }

    std::vector<CapturedItem> Items() const {
        auto bytes = ReadFileBytes(world.PathOf(L"halvo.dat"));
        if (!bytes) return {};
        auto loaded = settings::DecodeSettings(bytes->data(), bytes->size());
        return loaded ? loaded->items : std::vector<CapturedItem>{};
    }
    // Clicks the capture button and waits until the settings file lists `count` photos. A
    // click soon after the last one would be a double-click, which takes no photo.
    bool TakePhoto(size_t count) {
        ::Sleep(::GetDoubleClickTime() + 50);
        return ClickClient(frame, kCaptureButton) &&
               WaitUntil([&] { return Items().size() == count; }, kPhotoTimeoutMs, 100);
    }
    // True when slot `slot` shows a picture over the strip's background.
    bool SlotShowsPicture(int slot) {
        const display::Rect thumbnail = frame_layout::Thumbnail(slot, 80, 60, kDpi);
        int differing = 0;
        for (int x = Scaled(10); x < thumbnail.Width(); x += Scaled(15)) {
            const POINT at{thumbnail.left + x, thumbnail.top + Scaled(30)};
            differing += ScreenPixel(frame, at) != ProgramBitmapPixel(IDB_STRIP, at.x, at.y - kLayout.strip.top);
        }
        return differing >= 3;
    }
    bool SlotSelected(int slot) {
        const display::Rect selection = frame_layout::Selection(slot, kDpi);
        return ScreenPixel(frame, POINT{selection.left + Scaled(2), selection.top + Scaled(35)}) ==
               ProgramBitmapPixel(IDB_SELECTION, Scaled(2), Scaled(35));
    }
    // Window `child`'s rectangle in the camera window's client area.
    display::Rect ChildRect(HWND child) const {
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
        return display::Rect{r.left, r.top, r.right, r.bottom};
    }
    // The window with the keyboard focus in the program's user-interface thread.
    HWND FocusedInProgram() const {
        GUITHREADINFO info{sizeof(info)};
        return ::GetGUIThreadInfo(::GetWindowThreadProcessId(frame, nullptr), &info) ? info.hwndFocus : nullptr;
    }
    std::string SelectedSlots() {
        std::string marks;
        for (int slot = 0; slot < 6; ++slot) marks += SlotSelected(slot) ? 'x' : '.';
        return marks;
    }
    // The question box of a delete, once it is shown; null when none came.
    HWND WaitForQuestion() {
        HWND box = nullptr;
        WaitUntil(
            [&] {
                box = ::FindWindowW(L"#32770", L"Delm Halvo");
                return box && ::IsWindowVisible(box);
            },
            5000);
        return box;
    }
    // The open list of the resolution box: a top-level "ComboLBox" of the program. (Wine 8
    // does not carry GetComboBoxInfo's structure across processes: the answer is written
    // into the program's own memory at the caller's address.)
    HWND OpenList() const {
        struct Search {
            DWORD processId;
            HWND found;
        } search{program->ProcessId(), nullptr};
        ::EnumWindows(
            [](HWND wnd, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                wchar_t name[32] = {};
                DWORD owner = 0;
                ::GetWindowThreadProcessId(wnd, &owner);
                if (owner != s->processId || !::GetClassNameW(wnd, name, 32) || wcscmp(name, L"ComboLBox") != 0 ||
                    !::IsWindowVisible(wnd))
                    return TRUE;
                s->found = wnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // Picks entry `index` of the open resolution list with two real clicks.
    bool ChooseResolution(int index) {
        HWND list = nullptr;
        if (!ClickClient(frame, kResolutionBox) || !WaitUntil([&] { return (list = OpenList()) != nullptr; }, 5000))
            return false;
        RECT item{};
        ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        return ClickClient(list, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    }

    ScopedDisplayDpi displayDpi{kDpi};
    components_test::CameraSettings cameraSettings;
    TestWorld world;
    std::unique_ptr<ProgramUnderTest> program;
    HWND frame = nullptr;
};

}  // namespace

TEST_F(CameraWindow, PhotosFillTheStripAndScrollItThenClicksSelectAndADeleteAsksFirst) {
    RECT client;
    ::GetClientRect(frame, &client);
    const int scrollHeight = SystemMetricForDpi(SM_CYHSCROLL, kDpi);
    EXPECT_EQ(client.right, kLayout.clientWidth);
    EXPECT_EQ(client.bottom, kLayout.clientHeightAboveScrollBar + scrollHeight);
    EXPECT_EQ(ChildRect(Control(IDC_CAPTURE)), kLayout.captureButton);
    EXPECT_EQ(ChildRect(Control(IDC_DELETE)), kLayout.deleteButton);
    EXPECT_EQ(ChildRect(Control(IDC_THUMBNAIL_SCROLL)),
              (display::Rect{0, kLayout.scrollBarTop, kLayout.clientWidth, kLayout.scrollBarTop + scrollHeight}));
    EXPECT_EQ(ChildRect(FindVideo()), kLayout.videoArea);
    // The faces are the set of this scale, pixel for pixel: the enabled capture button's
    // normal face, the delete button's disabled one.
    for (const POINT at : {POINT{Scaled(3), Scaled(3)}, POINT{Scaled(20), Scaled(15)}, POINT{Scaled(36), Scaled(26)}}) {
        EXPECT_EQ(ScreenPixel(frame, POINT{kLayout.captureButton.left + at.x, kLayout.captureButton.top + at.y}),
                  ProgramBitmapPixel(IDB_CAPTURE_NORMAL, at.x, at.y));
        EXPECT_EQ(ScreenPixel(frame, POINT{kLayout.deleteButton.left + at.x, kLayout.deleteButton.top + at.y}),
                  ProgramBitmapPixel(IDB_DELETE_DISABLED, at.x, at.y));
    }
    // The size box's normal face, right of the text it shows (which keeps left of 66).
    for (const POINT at : {POINT{Scaled(70), Scaled(4)}, POINT{Scaled(80), Scaled(26)}})
        EXPECT_EQ(ScreenPixel(frame, POINT{kLayout.resolutionBox.left + at.x, kLayout.resolutionBox.top + at.y}),
                  ProgramBitmapPixel(IDB_LIST_NORMAL, at.x, at.y));
    // Numbers 1 and 3 are taken by files no list names: the photos go round them.
    const EarlierFile one(L"Picture0001.jpg", {'o', 'n', 'e'}), three(L"Picture0003.JPG", {'3'});
    ASSERT_TRUE(one.Written() && three.Written());

    for (size_t n = 1; n <= 6; ++n) {
        ASSERT_TRUE(TakePhoto(n)) << "photo " << n;
        const wchar_t* expected[] = {L"Picture0002.jpg", L"Picture0004.jpg", L"Picture0005.jpg"};
        const std::wstring path = Narrow(ItemPath(Items().back()));
        if (n <= 3) {
            EXPECT_EQ(path.substr(path.rfind(L'\\') + 1), expected[n - 1]);
        }
        const int slot = static_cast<int>(n) - 1;
        EXPECT_TRUE(WaitUntil([&] { return SlotShowsPicture(slot); }, 3000)) << "thumbnail in slot " << slot;
        if (n < 6) {
            EXPECT_FALSE(SlotShowsPicture(slot + 1)) << "nothing yet in slot " << slot + 1;
        }
    }
    HWND scroll = Control(IDC_THUMBNAIL_SCROLL);
    ASSERT_TRUE(TakePhoto(7));
    EXPECT_TRUE(WaitUntil([&] { return ::GetScrollPos(scroll, SB_CTL) == 1; }, 3000)) << "the newest six are shown";
    int min = -1, max = -1;
    ::GetScrollRange(scroll, SB_CTL, &min, &max);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 1);

    // Slot k now shows item k + 1. A click selects, a Ctrl-click adds, a Shift-click selects a
    // range from the last Ctrl-clicked slot.
    ASSERT_TRUE(ClickClient(frame, SlotCentre(0)));
    EXPECT_TRUE(WaitUntil([&] { return SelectedSlots() == "x....."; }, 3000)) << SelectedSlots();
    ASSERT_TRUE(ClickClientWithKeys(frame, SlotCentre(2), "ctrl"));
    EXPECT_TRUE(WaitUntil([&] { return SelectedSlots() == "x.x..."; }, 3000)) << SelectedSlots();
    ASSERT_TRUE(ClickClientWithKeys(frame, SlotCentre(4), "shift"));
    EXPECT_TRUE(WaitUntil([&] { return SelectedSlots() == "..xxx."; }, 3000)) << SelectedSlots();

    // "No" changes nothing; "Yes" deletes items 3 to 5 and their files, and saves the list.
    const std::vector<CapturedItem> before = Items();
    ASSERT_EQ(before.size(), 7u);
    ASSERT_TRUE(ClickClient(frame, kDeleteButton));
    HWND question = WaitForQuestion();
    ASSERT_TRUE(question) << "the delete asks first";
    wchar_t text[256] = {};
    ::SendMessageW(::GetDlgItem(question, 0xFFFF), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Delete the selected file?");
    ASSERT_TRUE(ClickClient(::GetDlgItem(question, IDNO), POINT{10, 8}));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(question); }, 5000));
    EXPECT_EQ(Items().size(), 7u);
    for (const auto& item : before) EXPECT_TRUE(FileExists(Narrow(ItemPath(item))));

    ASSERT_TRUE(ClickClient(frame, kDeleteButton));
    question = WaitForQuestion();
    ASSERT_TRUE(question);
    ASSERT_TRUE(ClickClient(::GetDlgItem(question, IDYES), POINT{10, 8}));
    ASSERT_TRUE(WaitUntil([&] { return Items().size() == 4u; }, 5000)) << "the list is saved at once";
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(FileExists(Narrow(ItemPath(before[i]))), i < 3 || i > 5) << "photo " << i;
    EXPECT_TRUE(WaitUntil([&] { return SelectedSlots() == "......"; }, 3000));
    // (A scroll bar control disabled with both arrows is a disabled window.)
    EXPECT_FALSE(::IsWindowEnabled(scroll)) << "four photos need no scrolling";
    EXPECT_TRUE(one.Intact() && three.Intact()) << "the earlier files keep every byte";
    for (const auto& item : Items()) {
        EXPECT_NE(Narrow(ItemPath(item)), one.Path());
        EXPECT_NE(Narrow(ItemPath(item)), three.Path());
    }
}

// Keyboard only, keys through the display as a person types them: three photos with Space,
// End and Shift+Left select the last two, Delete asks and Enter answers Yes; Home and Enter
// open the photo that is left; Tab reaches the size list, whose Up chooses 320 x 240.
TEST_F(CameraWindow, TheKeyboardAloneTakesSelectsDeletesAndOpensPhotos) {
    const std::wstring record = world.PathOf(L"opened.txt");
    RecordingAssociation association(L".jpg", record);
    for (size_t n = 1; n <= 3; ++n) {
        ASSERT_TRUE(XDoTool("key space")) << "photo " << n;
        ASSERT_TRUE(WaitUntil([&] { return Items().size() == n; }, kPhotoTimeoutMs, 100)) << "photo " << n;
        ASSERT_TRUE(WaitUntil([&] { return SlotShowsPicture(static_cast<int>(n) - 1); }, 3000));
    }
    const std::vector<CapturedItem> taken = Items();

    ASSERT_TRUE(XDoTool("key End"));
    EXPECT_TRUE(WaitUntil([&] { return SelectedSlots() == "..x..."; }, 3000)) << SelectedSlots();
    ASSERT_TRUE(XDoTool("key shift+Left"));
    EXPECT_TRUE(WaitUntil([&] { return SelectedSlots() == ".xx..."; }, 3000)) << SelectedSlots();
    ASSERT_TRUE(XDoTool("key Delete"));
    HWND question = WaitForQuestion();
    ASSERT_TRUE(question) << "the delete asks first";
    // Without a window manager Wine moves the X focus itself and hears of it afterwards. A key
    // typed before the question holds the X focus leaves a focus event behind which, read
    // once the question has gone, deactivates the camera window for good (to Wine the focus
    // went to another program); and X may drop Wine's request for the way back, which carries
    // the time of an older message. Windows has neither step, so before each key the X focus
    // is made to match what Wine holds.
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == question; }, 3000));
    ASSERT_TRUE(FocusTopLevel(question));
    ASSERT_TRUE(XDoTool("key Return"));
    ASSERT_TRUE(WaitUntil([&] { return Items().size() == 1u; }, 5000)) << "Enter answers Yes";
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == frame && FocusedInProgram(); }, 3000))
        << "the question hands the keyboard back to the window";
    ASSERT_TRUE(FocusTopLevel(frame));
    EXPECT_EQ(ItemPath(Items()[0]), ItemPath(taken[0]));
    EXPECT_TRUE(FileExists(Narrow(ItemPath(taken[0]))));
    EXPECT_FALSE(FileExists(Narrow(ItemPath(taken[1]))));
    EXPECT_FALSE(FileExists(Narrow(ItemPath(taken[2]))));

    ASSERT_TRUE(XDoTool("key Home"));
    EXPECT_TRUE(WaitUntil([&] { return SelectedSlots() == "x....."; }, 3000)) << SelectedSlots();
    ASSERT_TRUE(XDoTool("key Return"));
    std::optional<std::wstring> opened;
    ASSERT_TRUE(WaitUntil([&] { return (opened = association.Opened()).has_value(); }, 10000))
        << "Enter opens the selected photo";
    EXPECT_EQ(*opened, Narrow(ItemPath(taken[0])));

    HWND box = Control(IDC_RESOLUTION);
    ASSERT_TRUE(XDoTool("key Tab"));
    ASSERT_TRUE(WaitUntil([&] { return FocusedInProgram() == box; }, 3000)) << "Tab goes to the size list";
    ASSERT_TRUE(XDoTool("key Up"));
    const display::Rect picture = frame_layout::Video(picture::OfSetting(0).video, kDpi);
    EXPECT_TRUE(WaitUntil([&] { return FindVideo() && ChildRect(FindVideo()) == picture; }, 10000))
        << "the list's arrow chose 320 x 240 as a click does";
    EXPECT_EQ(FocusedInProgram(), box) << "the preview's restart leaves the focus in the list";
    ASSERT_TRUE(XDoTool("key space"));  // the list's, not a photo
    ::Sleep(1000);
    EXPECT_EQ(Items().size(), 1u);
}

TEST_F(CameraWindow, ADoubleClickOpensThePhotoAndTheListChoosesThePreviewAndPhotoSize) {
    const std::wstring record = world.PathOf(L"opened.txt");
    RecordingAssociation association(L".jpg", record);
    ASSERT_TRUE(TakePhoto(1));
    ASSERT_TRUE(WaitUntil([&] { return SlotShowsPicture(0); }, 3000));

    ASSERT_TRUE(ClickClient(frame, SlotCentre(0), 2));
    std::optional<std::wstring> opened;
    ASSERT_TRUE(WaitUntil([&] { return (opened = association.Opened()).has_value(); }, 10000))
        << "the photo's program was started";
    EXPECT_EQ(*opened, Narrow(ItemPath(Items()[0])));

    // "320x240": the picture in the middle of grey bands.
    HWND box = Control(IDC_RESOLUTION);
    ASSERT_EQ(::SendMessageW(box, CB_GETCOUNT, 0, 0), 3);
    ASSERT_TRUE(ChooseResolution(0));
    const display::Rect picture = frame_layout::Video(picture::OfSetting(0).video, kDpi);
    EXPECT_TRUE(WaitUntil([&] { return FindVideo() && ChildRect(FindVideo()) == picture; }, 10000));
    // Each band to its edges: the corners of the area, and the pixels beside the picture.
    const display::Rect& area = kLayout.videoArea;
    const int middleX = Scaled(320), middleY = Scaled(240);
    for (POINT band : {POINT{middleX, Scaled(60)}, POINT{middleX, Scaled(420)}, POINT{Scaled(80), middleY},
                       POINT{Scaled(560), middleY}, POINT{0, 0}, POINT{area.right - 1, area.bottom - 1},
                       POINT{picture.left - 1, picture.top}, POINT{picture.right, picture.bottom - 1},
                       POINT{middleX, picture.top - 1}, POINT{middleX, picture.bottom}})
        EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(frame, band) == kGrey; }, 5000)) << band.x << "," << band.y;

    // "1.3M": the photo is taken at 1280 x 1024.
    ASSERT_TRUE(ChooseResolution(2));
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(box, CB_GETCURSEL, 0, 0) == 2; }, 5000));
    ASSERT_TRUE(TakePhoto(2));
    EXPECT_EQ(Items()[1].header.biWidth, 1280);
    EXPECT_EQ(Items()[1].header.biHeight, 1024);
}

namespace {

// A camera that sends only MJPEG, as most USB cameras do at 1280 x 1024: the program runs its
// preview and its photos through the test world's MJPEG decompressor.
class MjpegCameraWindow : public CameraWindow {
protected:
    void SetUp() override {
        ASSERT_EQ(components_test::DecompressorDll().Register(), S_OK);
        cameraSettings.Set(L"Formats", L"MJPG");
        CameraWindow::SetUp();
    }
    void TearDown() override {
        CameraWindow::TearDown();
        EXPECT_EQ(components_test::DecompressorDll().Unregister(), S_OK);
    }
    // A row of pixels across the middle of the live picture.
    std::vector<COLORREF> MiddleRow() {
        std::vector<COLORREF> row;
        for (int x = 8; x < 640; x += 16) row.push_back(ScreenPixel(frame, POINT{Scaled(x), Scaled(240)}));
        return row;
    }
};

}  // namespace

TEST_F(MjpegCameraWindow, ThePictureMovesAndA13MPhotoIsTheCamerasFrame) {
    const std::vector<COLORREF> before = MiddleRow();
    EXPECT_TRUE(WaitUntil([&] { return MiddleRow() != before; }, 5000)) << "the live picture moves";

    ASSERT_TRUE(ChooseResolution(2));
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(Control(IDC_RESOLUTION), CB_GETCURSEL, 0, 0) == 2; }, 5000));
    ASSERT_TRUE(TakePhoto(1));
    const auto jpeg = ReadFileBytes(Narrow(ItemPath(Items()[0])));
    ASSERT_TRUE(jpeg);
    const mjpeg::JpegInfo info = mjpeg::ReadJpegInfo(jpeg->data(), jpeg->size()).info;
    ASSERT_EQ(info.width, 1280);
    ASSERT_EQ(info.height, 1024);
    std::vector<uint8_t> photo(1280 * 1024 * 4);
    const mjpeg::OutputImage image{mjpeg::PixelFormat::Bgra32, photo.data(), photo.size(), 1280 * 4, true};
    ASSERT_TRUE(mjpeg::Decode(jpeg->data(), jpeg->size(), image).Ok());

    // The photo is the frame its counter names, through two JPEG generations (the camera's
    // and the photo's).
    uint32_t number = 0;
    ASSERT_TRUE(camera::ReadFrameCounter(photo.data(), 1280, 1024, number));
    filterkit::FrameLayout layout;
    ASSERT_TRUE(filterkit::MakeFrameLayout(filterkit::PixelFormat::Rgb32, 1280, 1024, layout));
    std::vector<uint8_t> expected(filterkit::FrameBytes(layout));
    ASSERT_TRUE(camera::RenderTestPicture(layout, number, expected.data(), expected.size()));
    double difference = 0;
    for (size_t i = 0; i < expected.size(); ++i) difference += std::abs(int(expected[i]) - int(photo[i]));
    EXPECT_LT(difference / expected.size(), 4.0) << "mean difference from frame " << number;
}
