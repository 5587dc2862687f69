// The camera window in this process with the virtual camera: what the end-to-end tests
// cannot see from outside (the controller's state after a command) and the paths a person
// seldom takes (items that are not photos, a camera without 320 x 240).
#include <gtest/gtest.h>

#include <oleacc.h>

#include <cstdlib>

#include "controller/CapturedItemWin.h"
#include "framework/ComPtr.h"
#include "text/UiText.h"
#include "framework/Dpi.h"
#include "resources/resource.h"
#include "tests/components/support/ComponentWorld.h"
#include "tests/controller/ProgramInProcess.h"
#include "tests/support/DisplayRectPrint.h"
#include "tests/support/OpenRecorder.h"
#include "tests/support/ProgramUnderTest.h"
#include "tests/support/UnixCommand.h"

using namespace program_test;
using e2e::FileExists;
using e2e::WriteFileBytes;

namespace {

void Click(CWnd& frame, UINT id) { frame.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::vector<std::wstring> ListTexts(CBitmapComboBox& box) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < box.GetCount(); ++i) texts.push_back(box.GetLBText(i));
    return texts;
}

class FrameWindow : public ::testing::Test {
protected:
    components_test::CameraSettings cameraSettings;
};

}  // namespace

TEST_F(FrameWindow, TheListOffersTheCamerasSizesAndShowsTheOneThePreviewRunsAt) {
    struct Case {
        const wchar_t* sizes;
        std::vector<std::wstring> texts;
        int selected;  // the entry of 640 x 480, where the preview starts; none without it
    } cases[] = {
        {L"320x240,640x480,1280x1024", {L"320x240", L"640x480", L"1.3M"}, 1},
        {L"640x480,1280x1024", {L"640x480", L"1.3M"}, 0},
        {L"320x240,640x480", {L"320x240", L"640x480"}, 1},
        {L"320x240,1280x1024", {L"320x240", L"1.3M"}, CB_ERR},
    };
    for (const Case& c : cases) {
        cameraSettings.Set(L"Sizes", c.sizes);
        ProgramInProcess program;
        ASSERT_TRUE(program.Start());
        CBitmapComboBox& box = *program.Frame()->ResolutionBox();
        EXPECT_EQ(ListTexts(box), c.texts);
        EXPECT_EQ(box.GetCurSel(), c.selected);
        if (c.selected != CB_ERR) {
            EXPECT_EQ(box.GetItemData(c.selected), 1u);
        }
        EXPECT_TRUE(program.Close());
    }
}

// The capture button is off until the photo's frame has come; at "1.3M" the preview is back
// at 640 x 480 from then on, while the photo is still being stored (here the disk holds its
// JPEG up): a second photo taken meanwhile is a 640 x 480 one, listed after the first.
TEST_F(FrameWindow, APhotoAt13MIsTakenAt1280x1024AndThePreviewGoesBackTo640x480OnceItsFrameCame) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    program.UsePrivatePhotoFolder();
    CTeskWin& controller = *program.Main();
    CTeskFrameWin& frame = *program.Frame();
    frame.SendMessage(WM_COMMAND, ID_RESOLUTION_1280X1024);
    EXPECT_EQ(controller.m_nResolution, 2);
    e2e::StallingFile disk(e2e::UnixPathOf(program.World().PathOf(L"temp")));
    ASSERT_TRUE(disk.Ready());

    Click(frame, IDC_CAPTURE);
    EXPECT_FALSE(frame.CaptureButton()->IsEnabledFlag()) << "off while the frame is awaited";
    Click(frame, IDC_CAPTURE);  // no second photo before the first one's frame
    ASSERT_TRUE(e2e::WaitUntil([&] { return Pump(10), !controller.PhotoAwaitsFrame(); }, 10000));
    Pump(50);
    EXPECT_TRUE(frame.CaptureButton()->IsEnabledFlag());
    controller.TakePhoto();  // straight from the running preview
    ASSERT_TRUE(e2e::WaitUntil([&] { return Pump(10), !controller.PhotoAwaitsFrame(); }, 10000));
    Pump(500);
    EXPECT_TRUE(controller.m_items.empty()) << "the first is held up, the second behind it";
    EXPECT_TRUE(controller.PhotosInFlight());

    disk.Release();
    ASSERT_TRUE(program.WaitForPhotos());
    ASSERT_EQ(controller.m_items.size(), 2u);
    EXPECT_EQ(controller.m_items[0].header.biWidth, 1280);
    EXPECT_EQ(controller.m_items[0].header.biHeight, 1024);
    EXPECT_EQ(controller.m_items[1].header.biWidth, 640);
    EXPECT_EQ(controller.m_items[1].header.biHeight, 480);

    // A photo's news already queued when the camera window is closed comes to a window
    // without its controls, before the main window's close.
    ::PostMessageW(controller.m_hWnd, WM_TESK_PHOTO_STORED, 0, 0);
    frame.DestroyWindow();
    EXPECT_TRUE(PumpUntilQuit(20000));
}

TEST_F(FrameWindow, ADeleteRemovesSelectedItemsButOnlyPhotoFilesAndSavesEvenWithNothingSelected) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    const std::wstring photos = program.UsePrivatePhotoFolder();
    CTeskWin& controller = *program.Main();
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(program.TakePhoto());
    ASSERT_EQ(controller.m_items.size(), 8u);
    // A list entry that names some other file, as an edited settings file may.
    const std::wstring other = photos + L"\\notes.txt";
    ASSERT_TRUE(WriteFileBytes(other, {'k', 'e', 'e', 'p'}));
    SetItemPath(controller.m_items[7], other.c_str());
    controller.m_nFirstThumbnail = 2;

    {  // nothing selected: the strip goes back to the first item and the file is written
        MessageBoxWatcher yes(IDYES);
        ::DeleteFileW(program.World().PathOf(L"halvo.dat").c_str());
        Click(*program.Frame(), IDC_DELETE);
        EXPECT_TRUE(yes.Seen());
    }
    EXPECT_EQ(controller.m_items.size(), 8u);
    EXPECT_EQ(controller.m_nFirstThumbnail, 0);
    EXPECT_TRUE(FileExists(program.World().PathOf(L"halvo.dat")));

    // The scroll bar's requests, sent to the window as the bar sends them (range 0 .. 2).
    CTeskFrameWin& frame = *program.Frame();
    HWND bar = frame.ThumbnailScrollBar()->m_hWnd;
    EXPECT_TRUE(::IsWindowVisible(bar));
    struct Scroll {
        WORD code, thumb;
        HWND from;
        int first;
    } scrolls[] = {{SB_LINERIGHT, 0, bar, 1}, {SB_PAGERIGHT, 0, bar, 2}, {SB_LINERIGHT, 0, bar, 2},
                   {SB_THUMBTRACK, 0, bar, 2},      // dragging changes nothing
                   {SB_LINELEFT, 0, nullptr, 2},    // not from the bar: nothing
                   {SB_LINELEFT, 0, bar, 1},       {SB_PAGELEFT, 0, bar, 0}};
    for (const Scroll& s : scrolls) {
        frame.SendMessage(WM_HSCROLL, MAKEWPARAM(s.code, s.thumb), reinterpret_cast<LPARAM>(s.from));
        EXPECT_EQ(controller.m_nFirstThumbnail, s.first) << "code " << s.code;
        EXPECT_EQ(::GetScrollPos(bar, SB_CTL), s.first) << "code " << s.code;
    }

    controller.m_items[0].selected = 1;
    controller.m_items[7].selected = 1;
    const std::wstring firstPhoto = ItemPathW(controller.m_items[0]);
    {
        MessageBoxWatcher no(IDNO);
        Click(*program.Frame(), IDC_DELETE);
        EXPECT_TRUE(no.Seen());
    }
    EXPECT_EQ(controller.m_items.size(), 8u) << "No changes nothing";
    {
        MessageBoxWatcher yes(IDYES);
        Click(*program.Frame(), IDC_DELETE);
    }
    EXPECT_EQ(controller.m_items.size(), 6u);
    EXPECT_FALSE(FileExists(firstPhoto));
    EXPECT_TRUE(FileExists(other)) << "only photos are deleted";
    EXPECT_FALSE(program.Frame()->DeleteButton()->IsEnabledFlag());
    EXPECT_FALSE(::IsWindowEnabled(program.Frame()->ThumbnailScrollBar()->m_hWnd)) << "six items need no scrolling";
    EXPECT_TRUE(program.Close());
}

TEST_F(FrameWindow, ClicksOnTheStripSelectAndEnableDeleteAndABothKeysClickClearsLikeTheEmptyStrip) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    program.UsePrivatePhotoFolder();
    CTeskWin& controller = *program.Main();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(program.TakePhoto());
    CTeskFrameWin& frame = *program.Frame();
    const LPARAM slot1 = MAKELPARAM(11 + 106 + 40, 555);

    frame.SendMessage(WM_LBUTTONDOWN, 0, slot1);
    EXPECT_EQ(controller.m_items[1].selected, 1);
    EXPECT_TRUE(frame.DeleteButton()->IsEnabledFlag());
    frame.SendMessage(WM_LBUTTONDOWN, 0, slot1);  // the only selected one: deselected, delete stays on
    EXPECT_EQ(controller.m_items[1].selected, 0);
    EXPECT_TRUE(frame.DeleteButton()->IsEnabledFlag());

    frame.SendMessage(WM_LBUTTONDOWN, 0, slot1);
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_LSHIFT] = keys[VK_SHIFT] = keys[VK_LCONTROL] = keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    frame.SendMessage(WM_LBUTTONDOWN, MK_SHIFT | MK_CONTROL, MAKELPARAM(11 + 40, 555));
    keys[VK_LSHIFT] = keys[VK_SHIFT] = keys[VK_LCONTROL] = keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    for (const auto& item : controller.m_items) EXPECT_EQ(item.selected, 0);
    EXPECT_FALSE(frame.DeleteButton()->IsEnabledFlag());
    EXPECT_TRUE(program.Close());
}

TEST_F(FrameWindow, ADoubleClickOpensPhotosButNeverAnotherKindOfFile) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    const std::wstring photos = program.UsePrivatePhotoFolder();
    CTeskWin& controller = *program.Main();
    ASSERT_TRUE(program.TakePhoto());
    ASSERT_TRUE(program.TakePhoto());
    const std::wstring other = photos + L"\\notes.txt";
    ASSERT_TRUE(WriteFileBytes(other, {'x'}));
    SetItemPath(controller.m_items[1], other.c_str());

    struct Case {
        int slot;
        const wchar_t* extension;
        bool opens;
    } cases[] = {{1, L".txt", false}, {0, L".jpg", true}};
    for (const Case& c : cases) {
        e2e::RecordingAssociation association(c.extension, program.World().PathOf(L"opened.txt"));
        program.Frame()->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(11 + 106 * c.slot + 40, 555));
        const bool opened = e2e::WaitUntil([&] { return association.Opened().has_value(); }, c.opens ? 10000 : 1500);
        EXPECT_EQ(opened, c.opens) << "slot " << c.slot;
    }
    EXPECT_TRUE(program.Close());
}

namespace {
ComPtr<IAccessible> AccessibleOf(HWND wnd) {
    ComPtr<IAccessible> object;
    ::AccessibleObjectFromWindow(wnd, OBJID_CLIENT, __uuidof(IAccessible), object.PutVoid());
    return object;
}

std::wstring NameOf(IAccessible* object, long child = CHILDID_SELF) {
    BSTR name = nullptr;
    VARIANT id;
    V_VT(&id) = VT_I4;
    V_I4(&id) = child;
    if (!object || FAILED(object->get_accName(id, &name)) || !name) return L"";
    std::wstring text(name);
    ::SysFreeString(name);
    return text;
}

long StateOf(IAccessible* object, long child) {
    VARIANT id, state;
    V_VT(&id) = VT_I4;
    V_I4(&id) = child;
    ::VariantInit(&state);
    return object && SUCCEEDED(object->get_accState(id, &state)) && V_VT(&state) == VT_I4 ? V_I4(&state) : -1;
}
}  // namespace

// What a screen reader reads: the controls' names in the program's language, and the strip
// as a list of the photos by file name with their selection and the photo the keys act on.
TEST_F(FrameWindow, AScreenReaderReadsTheControlsNamesAndThePhotosAsAList) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    const std::wstring photos = program.UsePrivatePhotoFolder();
    CTeskWin& controller = *program.Main();
    CTeskFrameWin& frame = *program.Frame();
    EXPECT_EQ(NameOf(AccessibleOf(frame.CaptureButton()->m_hWnd).Get()), UiText[uitext::kTextTakePhoto]);
    EXPECT_EQ(NameOf(AccessibleOf(frame.DeleteButton()->m_hWnd).Get()), UiText[uitext::kTextDeletePhotos]);
    EXPECT_EQ(NameOf(AccessibleOf(frame.ResolutionBox()->m_hWnd).Get()), UiText[uitext::kTextPictureSize]);
    EXPECT_EQ(std::wstring(UiText[uitext::kTextTakePhoto]), L"Take photo") << "the run's language is English";

    controller.m_nPictureNumber = 41;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(program.TakePhoto());
    ComPtr<IAccessible> list = AccessibleOf(frame.PhotoListWindow()->m_hWnd);
    ASSERT_TRUE(list);
    long count = 0;
    EXPECT_EQ(list->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(NameOf(list.Get(), 1), L"Picture0041.jpg");
    EXPECT_EQ(NameOf(list.Get(), 3), L"Picture0043.jpg");
    VARIANT self, role;
    V_VT(&self) = VT_I4;
    V_I4(&self) = CHILDID_SELF;
    ASSERT_EQ(list->get_accRole(self, &role), S_OK);
    EXPECT_EQ(V_I4(&role), ROLE_SYSTEM_LIST);

    // A click selects the second; the keys extend to the third and take the focus along.
    frame.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(11 + 106 + 40, 555));
    EXPECT_TRUE(StateOf(list.Get(), 2) & STATE_SYSTEM_SELECTED);
    EXPECT_FALSE(StateOf(list.Get(), 1) & STATE_SYSTEM_SELECTED);
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    MSG key{frame.PhotoListWindow()->m_hWnd, WM_KEYDOWN, VK_RIGHT, 1};
    EXPECT_TRUE(frame.PreTranslateMessage(&key));
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(controller.m_items[2].selected, 1);
    EXPECT_EQ(controller.m_items[1].selected, 1);
    // Only a key's press acts, and A (all) only with Ctrl.
    for (MSG other : {MSG{frame.PhotoListWindow()->m_hWnd, WM_KEYUP, VK_LEFT, static_cast<LPARAM>(0xC0000001)},
                      MSG{frame.PhotoListWindow()->m_hWnd, WM_KEYDOWN, 'A', 1}})
        EXPECT_FALSE(frame.PreTranslateMessage(&other)) << other.message << " " << other.wParam;
    EXPECT_EQ(controller.m_items[0].selected, 0);
    EXPECT_TRUE(StateOf(list.Get(), 3) & STATE_SYSTEM_FOCUSED);
    EXPECT_FALSE(StateOf(list.Get(), 2) & STATE_SYSTEM_FOCUSED);
    VARIANT focus;
    ASSERT_EQ(list->get_accFocus(&focus), S_OK);
    EXPECT_EQ(V_I4(&focus), 3);

    // Left for another window and back, the focus returns to the control the keys left it in.
    frame.ResolutionBox()->SetFocus();
    frame.SendMessage(WM_ACTIVATE, WA_INACTIVE);
    ::SetFocus(frame.m_hWnd);
    EXPECT_EQ(::GetFocus(), frame.ResolutionBox()->m_hWnd);

    // Gone with its window: the object a screen reader still holds says so.
    EXPECT_TRUE(program.Close());
    EXPECT_EQ(list->get_accChildCount(&count), RPC_E_DISCONNECTED);
}

// Moved to a monitor of 150 % and back (the messages as the system sends them): the window
// answers its own size at the new DPI, takes the rectangle the system suggests and lays
// everything out at that scale.
TEST_F(FrameWindow, AMoveToAMonitorOfAnotherDpiLaysTheWindowOutAtThatScale) {
    ProgramInProcess program;
    ASSERT_TRUE(program.Start());
    CTeskFrameWin& frame = *program.Frame();
    const auto childRect = [&](HWND child) {
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, frame.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        return display::Rect{r.left, r.top, r.right, r.bottom};
    };
    // The size list's text in a font of the window's DPI: its character height at 96 DPI
    // times the scale, and a text that grows with it.
    const auto fontHeight = [&] {
        LOGFONTW font{};
        ::GetObjectW(frame.ResolutionBox()->Font(), sizeof(font), &font);
        return static_cast<int>(std::abs(font.lfHeight));
    };
    const auto textHeight = [&] {
        UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
        SelectObjectGuard font(dc.Get(), frame.ResolutionBox()->Font());
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc.Get(), &metrics);
        return static_cast<int>(metrics.tmHeight);
    };
    const int designHeight = fontHeight(), designText = textHeight();
    EXPECT_GT(designHeight, 6);
    for (int dpi : {144, 192, 96}) {
        SCOPED_TRACE(dpi);
        SIZE size{};
        ASSERT_TRUE(frame.SendMessage(kWmGetDpiScaledSize, dpi, reinterpret_cast<LPARAM>(&size)));
        RECT suggested{30, 40, 30 + size.cx, 40 + size.cy};
        frame.SendMessage(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

        // (The frame and caption stay those of this process's DPI, which no message changes:
        // the client area at a real DPI is the end-to-end runs' to show.)
        const frame_layout::FrameLayout layout = frame_layout::At(dpi);
        RECT placed{};
        frame.GetWindowRect(&placed);
        EXPECT_TRUE(::EqualRect(&placed, &suggested)) << "the suggested rectangle";
        EXPECT_EQ(childRect(frame.CaptureButton()->m_hWnd), layout.captureButton);
        EXPECT_EQ(childRect(frame.DeleteButton()->m_hWnd), layout.deleteButton);
        EXPECT_EQ(childRect(frame.ThumbnailScrollBar()->m_hWnd),
                  (display::Rect{0, layout.scrollBarTop, layout.clientWidth,
                                 layout.scrollBarTop + SystemMetricForDpi(SM_CYHSCROLL, dpi)}));
        EXPECT_EQ(childRect(frame.ResolutionBox()->m_hWnd).left, layout.resolutionBox.left);
        EXPECT_EQ(frame.ResolutionBox()->SendMessage(CB_GETITEMHEIGHT, 0), display::Scaled(24, dpi));
        for (HBITMAP face : {frame.ResolutionBox()->m_hBitmapNormal, frame.ResolutionBox()->m_hBitmapHover}) {
            BITMAP size{};
            ASSERT_TRUE(::GetObjectW(face, sizeof(size), &size)) << "the box's faces are the window's own";
            EXPECT_EQ(size.bmWidth, layout.resolutionBox.Width());
        }
        EXPECT_NEAR(fontHeight(), designHeight * dpi / 96, 1);
        EXPECT_GE(textHeight(), designText * dpi / 96 - 1);
        EXPECT_EQ(reinterpret_cast<HFONT>(frame.ResolutionBox()->SendMessage(WM_GETFONT)), frame.ResolutionBox()->Font())
            << "the open list draws in it too";
        HWND video = ::FindWindowExW(frame.m_hWnd, nullptr, nullptr, L"ActiveMovie Window");
        ASSERT_TRUE(video);
        EXPECT_EQ(childRect(video), layout.videoArea);
    }
    EXPECT_TRUE(program.Close());
}
