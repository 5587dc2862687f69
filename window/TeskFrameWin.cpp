#include "window/TeskFrameWin.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "app/Tesk60App.h"
#include "controller/CapturedItemWin.h"
#include "controller/CameraControl.h"
#include "controller/NetworkDrive.h"
#include "controller/PictureSize.h"
#include "controls/Skin.h"
#include "framework/Dpi.h"
#include "imaging/Resample.h"
#include "resources/resource.h"
#include "text/UiText.h"
#include "window/ThumbnailStrip.h"

namespace {
const COLORREF kGrey = RGB(99, 99, 99);
const COLORREF kLight = RGB(251, 251, 251);
constexpr wchar_t kCaption[] = L"Delm Halvo";

static_assert(strip::kLineLeft == SB_LINELEFT && strip::kLineRight == SB_LINERIGHT &&
                  strip::kPageLeft == SB_PAGELEFT && strip::kPageRight == SB_PAGERIGHT,
              "scroll request codes");

CameraControl* Controller() { return TeskApp().Control(); }

bool NoVideo() {
    CameraControl* controller = Controller();
    return !controller || !controller->ShowsLivePicture();
}

RECT ToRect(const display::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

UniqueBitmap LoadProgramBitmap(int id, int dpi) { return LoadSkin(AfxGetInstanceHandle(), id, dpi); }

// The four faces of a button, loaded for SetBitmaps, which copies them.
void SetButtonFaces(CBitmapBtn& button, int normal, int hover, int pressed, int disabled, const display::Rect& rect,
                    int dpi) {
    UniqueBitmap faces[] = {LoadProgramBitmap(normal, dpi), LoadProgramBitmap(hover, dpi),
                            LoadProgramBitmap(pressed, dpi), LoadProgramBitmap(disabled, dpi)};
    button.SetBitmaps(faces[0].Get(), faces[1].Get(), faces[2].Get(), faces[3].Get(), ToRect(rect));
}

void FillSolid(HDC dc, const RECT& rect, HBRUSH brush) { ::FillRect(dc, &rect, brush); }

// The outer size that gives the camera window its client area at `dpi`: the frame the
// system draws at that DPI, or the sum of the frame's metrics where it cannot say.
SIZE FrameSize(HWND wnd, int dpi) {
    const frame_layout::FrameLayout layout = frame_layout::At(dpi);
    const SIZE client{layout.clientWidth, layout.clientHeightAboveScrollBar + SystemMetricForDpi(SM_CYHSCROLL, dpi)};
    const SIZE sum{client.cx + 2 * SystemMetricForDpi(SM_CXDLGFRAME, dpi),
                   client.cy + 2 * SystemMetricForDpi(SM_CYDLGFRAME, dpi) + SystemMetricForDpi(SM_CYCAPTION, dpi)};
    return WindowSizeForClient(client, static_cast<DWORD>(::GetWindowLongW(wnd, GWL_STYLE)),
                               static_cast<DWORD>(::GetWindowLongW(wnd, GWL_EXSTYLE)), dpi, sum);
}

void DrawBitmap(HDC dc, HDC memory, HBITMAP bitmap, int x, int y) {
    BITMAP size{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(size), &size)) return;
    SelectObjectGuard selected(memory, bitmap);
    ::BitBlt(dc, x, y, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
}

bool KeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }
}  // namespace

const MessageMap* CTeskFrameWin::GetMessageMap() const {
    using Self = CTeskFrameWin;
    static const MessageEntry entries[] = {
        OnMessage<WM_CREATE, Self, &Self::OnCreate>(),
        OnMessage<WM_DESTROY, Self, &Self::OnDestroy>(),
        OnMessage<WM_PAINT, Self, &Self::OnPaint>(),
        OnMessage<WM_ERASEBKGND, Self, &Self::OnEraseBackground>(),
        OnMessage<WM_TESK_GRAPH_EVENT, Self, &Self::OnGraphEvent>(),
        OnMessage<WM_LBUTTONDOWN, Self, &Self::OnLButtonDown>(),
        OnMessage<WM_LBUTTONDBLCLK, Self, &Self::OnLButtonDblClk>(),
        OnMessage<WM_HSCROLL, Self, &Self::OnHScroll>(),
        OnMessage<kWmGetDpiScaledSize, Self, &Self::OnGetDpiScaledSize>(),
        OnMessage<WM_DPICHANGED, Self, &Self::OnDpiChanged>(),
        OnMessage<WM_ACTIVATE, Self, &Self::OnActivate>(),
        OnMessage<WM_SETFOCUS, Self, &Self::OnSetFocus>(),
        OnMessage<WM_UPDATEUISTATE, Self, &Self::OnUpdateUiState>(),
        OnCommand<Self, &Self::OnCapture>(IDC_CAPTURE, BN_CLICKED),
        OnCommand<Self, &Self::OnDelete>(IDC_DELETE, BN_CLICKED),
        OnCommand<Self, &Self::OnResolutionChange>(IDC_RESOLUTION, CBN_SELCHANGE),
        OnCommand<Self, &Self::OnResolution320>(ID_RESOLUTION_320X240, 0),
        OnCommand<Self, &Self::OnResolution640>(ID_RESOLUTION_640X480, 0),
        OnCommand<Self, &Self::OnResolution1280>(ID_RESOLUTION_1280X1024, 0),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
    return &map;
}

LRESULT CTeskFrameWin::OnCreate(WPARAM, LPARAM) {
    if (Default() == -1) return -1;
    HINSTANCE instance = AfxGetInstanceHandle();
    ::SetClassLongPtrW(m_hWnd, GCLP_HICON,
                       reinterpret_cast<LONG_PTR>(::LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM))));

    // Every size is the 96-DPI design scaled to the window's DPI. The client area is
    // 640 x (593 + the scroll bar's height) at 96 DPI; the application shows the window.
    m_nDpi = WindowDpi(m_hWnd);
    const SIZE size = FrameSize(m_hWnd, m_nDpi);
    SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_HIDEWINDOW);
    const frame_layout::FrameLayout layout = frame_layout::At(m_nDpi);

    m_pCaptureButton = std::make_unique<CBitmapBtn>();
    m_pCaptureButton->Create(L"", WS_VISIBLE, ToRect(layout.captureButton), this, IDC_CAPTURE);
    m_pDeleteButton = std::make_unique<CBitmapBtn>();
    m_pDeleteButton->Create(L"", WS_VISIBLE, ToRect(layout.deleteButton), this, IDC_DELETE);
    LoadSkins(layout);
    m_pCaptureButton->ShowWindow(SW_SHOW);
    m_pCaptureButton->SetEnabled(TRUE);
    m_pDeleteButton->ShowWindow(SW_SHOW);
    m_pDeleteButton->SetEnabled(FALSE);

    m_pResolutionBox = std::make_unique<CBitmapComboBox>();
    m_pResolutionBox->m_hBitmapNormal = m_bmpListNormal.Get();
    m_pResolutionBox->m_hBitmapHover = m_bmpListHover.Get();
    m_pResolutionBox->m_nDpi = m_nDpi;
    m_pResolutionBox->Create(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, ToRect(layout.resolutionBox), this,
                             IDC_RESOLUTION);
    m_pResolutionBox->SetDpi(m_nDpi);  // the text's place on the face
    m_pResolutionBox->ShowWindow(SW_SHOW);
    m_pResolutionBox->EnableWindow(TRUE);

    m_pThumbnailScroll = std::make_unique<CScrollBar>();
    m_pThumbnailScroll->Create(SBS_HORZ, ScrollBarRect(layout), this, IDC_THUMBNAIL_SCROLL);
    m_pThumbnailScroll->ShowWindow(SW_SHOW);

    m_rcStrip = ToRect(layout.strip);
    m_nAnchor = 0;
    m_pPhotoList = std::make_unique<CPhotoListWnd>(*this);
    m_pPhotoList->Create(m_rcStrip, this, IDC_PHOTO_LIST);
    return 0;
}

RECT CTeskFrameWin::ScrollBarRect(const frame_layout::FrameLayout& layout) const {
    return RECT{0, layout.scrollBarTop, layout.clientWidth,
                layout.scrollBarTop + SystemMetricForDpi(SM_CYHSCROLL, m_nDpi)};
}

// The images at the window's DPI: the strips and the logo drawn here, the buttons' faces
// (copied by the buttons) and the resolution box's faces (drawn by the box, deleted here).
void CTeskFrameWin::LoadSkins(const frame_layout::FrameLayout& layout) {
    m_bmpLogo = LoadProgramBitmap(IDB_LOGO, m_nDpi);
    m_bmpSelection = LoadProgramBitmap(IDB_SELECTION, m_nDpi);
    m_bmpStrip = LoadProgramBitmap(IDB_STRIP, m_nDpi);
    SetButtonFaces(*m_pCaptureButton, IDB_CAPTURE_NORMAL, IDB_CAPTURE_HOVER, IDB_CAPTURE_PRESSED,
                   IDB_CAPTURE_DISABLED, layout.captureButton, m_nDpi);
    SetButtonFaces(*m_pDeleteButton, IDB_DELETE_NORMAL, IDB_DELETE_HOVER, IDB_DELETE_PRESSED, IDB_DELETE_DISABLED,
                   layout.deleteButton, m_nDpi);
    m_bmpListNormal = LoadProgramBitmap(IDB_LIST_NORMAL, m_nDpi);
    m_bmpListHover = LoadProgramBitmap(IDB_LIST_HOVER, m_nDpi);
}

// Our own size at the new DPI, so that the rectangle the system suggests is exact.
LRESULT CTeskFrameWin::OnGetDpiScaledSize(WPARAM wParam, LPARAM lParam) {
    *reinterpret_cast<SIZE*>(lParam) = FrameSize(m_hWnd, static_cast<int>(wParam));
    return TRUE;
}

// Moved to a monitor of another DPI: the suggested rectangle, then every control, image and
// the video window at the new scale.
LRESULT CTeskFrameWin::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    m_nDpi = TakeSuggestedRect(m_hWnd, wParam, lParam);
    const frame_layout::FrameLayout layout = frame_layout::At(m_nDpi);
    const auto place = [](CWnd* control, const RECT& r) {
        control->SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                              SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(m_pCaptureButton.get(), ToRect(layout.captureButton));
    place(m_pDeleteButton.get(), ToRect(layout.deleteButton));
    place(m_pResolutionBox.get(), ToRect(layout.resolutionBox));
    place(m_pThumbnailScroll.get(), ScrollBarRect(layout));
    LoadSkins(layout);
    m_pResolutionBox->m_hBitmapNormal = m_bmpListNormal.Get();
    m_pResolutionBox->m_hBitmapHover = m_bmpListHover.Get();
    m_pResolutionBox->SetDpi(m_nDpi);
    m_rcStrip = ToRect(layout.strip);
    place(m_pPhotoList.get(), m_rcStrip);
    if (CameraControl* controller = Controller()) controller->PlaceVideo();
    Invalidate(TRUE);
    return 0;
}

// Closing the camera window closes the main window, and with it the program.
LRESULT CTeskFrameWin::OnDestroy(WPARAM, LPARAM) {
    Default();
    m_pCaptureButton.reset();
    m_pDeleteButton.reset();
    m_pResolutionBox.reset();
    m_pThumbnailScroll.reset();
    m_pPhotoList.reset();
    m_bmpLogo.Reset();
    m_bmpSelection.Reset();
    m_bmpStrip.Reset();
    m_bmpListNormal.Reset();
    m_bmpListHover.Reset();
    if (CameraControl* controller = Controller()) controller->Quit();
    return 0;
}

void CTeskFrameWin::FillResolutionList() {
    CameraControl* controller = Controller();
    if (!controller || !m_pResolutionBox) return;
    // The texts are known from here on: the main window chose the language.
    m_pCaptureButton->SetAccessibleName(UiText[uitext::kTextTakePhoto]);
    m_pDeleteButton->SetAccessibleName(UiText[uitext::kTextDeletePhotos]);
    m_pResolutionBox->SetAccessibleName(UiText[uitext::kTextPictureSize]);
    // The entry of the size the preview runs at; none when the camera does not offer it.
    int current = CB_ERR;
    for (const picture::PictureSize& size : picture::kSizes) {
        if (!controller->SupportsCaptureSize(size.photo.width, size.photo.height)) continue;
        const int index = m_pResolutionBox->AddString(size.label);
        m_pResolutionBox->SetItemData(index, static_cast<DWORD_PTR>(size.setting));
        if (size.setting == controller->Resolution()) current = index;
    }
    m_pResolutionBox->SetCurSel(current);
    SetUpScrollBar(strip::ScrollFromStart(static_cast<int>(controller->Photos().size())));
}

void CTeskFrameWin::SetUpScrollBar(const strip::ScrollSetup& scroll) {
    if (!m_pThumbnailScroll) return;
    if (!scroll.enabled) {
        m_pThumbnailScroll->EnableScrollBar(ESB_DISABLE_BOTH);
        return;
    }
    // Enabling redraws the bar: only when it is off (after every photo it is on already).
    if (!::IsWindowEnabled(m_pThumbnailScroll->m_hWnd)) m_pThumbnailScroll->EnableScrollBar(ESB_ENABLE_BOTH);
    m_pThumbnailScroll->SetScrollRange(0, scroll.max, FALSE);
    m_pThumbnailScroll->SetScrollPos(scroll.pos, TRUE);
}

LRESULT CTeskFrameWin::OnPaint(WPARAM, LPARAM) {
    PaintDC dc(m_hWnd);
    CameraControl* controller = Controller();
    RECT client;
    GetClientRect(&client);
    UniqueBrush grey(::CreateSolidBrush(kGrey));
    UniqueBrush light(::CreateSolidBrush(kLight));

    const frame_layout::FrameLayout layout = frame_layout::At(m_nDpi);
    const display::Rect& area = layout.videoArea;

    if (NoVideo()) FillSolid(dc.Get(), RECT{0, 0, client.right, area.bottom}, grey.Get());
    if (controller) {
        // Around a picture smaller than the video area (320 x 240, unscaled in its middle).
        const display::Rect video =
            frame_layout::Video(picture::OfSetting(controller->Resolution()).video, m_nDpi);
        if (video.Width() < area.Width() || video.Height() < area.Height()) {
            FillSolid(dc.Get(), RECT{0, 0, client.right, video.top}, grey.Get());
            FillSolid(dc.Get(), RECT{0, video.bottom, client.right, area.bottom}, grey.Get());
            FillSolid(dc.Get(), RECT{0, video.top, video.left, video.bottom}, grey.Get());
            FillSolid(dc.Get(), RECT{video.right, video.top, client.right, video.bottom}, grey.Get());
        }
    }
    FillSolid(dc.Get(), RECT{0, layout.controlStrip.top, client.right, layout.controlStrip.bottom}, light.Get());

    UniqueMemoryDC memory(::CreateCompatibleDC(dc.Get()));
    if (!memory) return 0;
    BITMAP logo{};
    if (m_bmpLogo && ::GetObjectW(m_bmpLogo.Get(), sizeof(logo), &logo))
        DrawBitmap(dc.Get(), memory.Get(), m_bmpLogo.Get(), layout.clientWidth - logo.bmWidth, layout.logoTop);
    DrawBitmap(dc.Get(), memory.Get(), m_bmpStrip.Get(), 0, layout.strip.top);
    if (controller) PaintThumbnails(dc.Get(), *controller);
    return 0;
}

// Selection frames or white outlines first, then the thumbnails themselves, each made into
// a bitmap (scaled to the slot) for this paint only.
void CTeskFrameWin::PaintThumbnails(HDC dc, CameraControl& control) {
    const std::vector<CapturedItem>& items = control.Photos();
    const int count = static_cast<int>(items.size());
    const int first = control.FirstThumbnail();
    const int width = control.ThumbnailSize().cx;
    const int height = control.ThumbnailSize().cy;
    if (count <= 0 || first < 0) return;

    UniqueMemoryDC memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    // A white outline just outside the thumbnail, a design pixel wide.
    const int line = std::max(1, display::Scaled(1, m_nDpi));
    HBRUSH white = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    for (int k = 0; k < strip::kSlots && first + k < count; ++k) {
        if (items[static_cast<size_t>(first + k)].selected == 1) {
            const display::Rect selection = frame_layout::Selection(k, m_nDpi);
            DrawBitmap(dc, memory.Get(), m_bmpSelection.Get(), selection.left, selection.top);
            continue;
        }
        const display::Rect t = frame_layout::Thumbnail(k, width, height, m_nDpi);
        FillSolid(dc, RECT{t.left - line, t.top - line, t.right + line, t.top}, white);
        FillSolid(dc, RECT{t.left - line, t.bottom, t.right + line, t.bottom + line}, white);
        FillSolid(dc, RECT{t.left - line, t.top, t.left, t.bottom}, white);
        FillSolid(dc, RECT{t.right, t.top, t.right + line, t.bottom}, white);
    }
    if (width <= 0 || height <= 0 || static_cast<size_t>(width) * height * 4 > kItemThumbnailBytes) return;
    std::vector<uint8_t> scaled;
    for (int k = 0; k < strip::kSlots && first + k < count; ++k) {
        const CapturedItem& item = items[static_cast<size_t>(first + k)];
        const display::Rect slot = frame_layout::Thumbnail(k, width, height, m_nDpi);
        scaled.resize(static_cast<size_t>(slot.Width()) * slot.Height() * 4);
        const imaging::PixelView stored{item.thumbnail, width, height, static_cast<size_t>(width) * 4};
        const imaging::PixelRect shown{scaled.data(), slot.Width(), slot.Height(),
                                       static_cast<size_t>(slot.Width()) * 4};
        if (!imaging::Resample(stored, shown)) continue;
        UniqueBitmap thumbnail(::CreateBitmap(slot.Width(), slot.Height(), 1, 32, scaled.data()));
        if (!thumbnail) continue;
        SelectObjectGuard selected(memory.Get(), thumbnail.Get());
        ::BitBlt(dc, slot.left, slot.top, slot.Width(), slot.Height(), memory.Get(), 0, 0, SRCCOPY);
    }
    // The photo the keys act on, while the strip has the focus and the keyboard was used.
    const int focused = m_nFocus - first;
    const bool cues = (SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS) == 0;
    if (cues && focused >= 0 && focused < strip::kSlots && m_nFocus < count && m_pPhotoList &&
        ::GetFocus() == m_pPhotoList->m_hWnd) {
        const display::Rect around = frame_layout::Selection(focused, m_nDpi);
        const RECT rect = ToRect(around);
        ::DrawFocusRect(dc, &rect);
    }
}

LRESULT CTeskFrameWin::OnEraseBackground(WPARAM, LPARAM) { return NoVideo() ? Default() : TRUE; }

LRESULT CTeskFrameWin::OnGraphEvent(WPARAM, LPARAM) {
    if (CameraControl* controller = Controller()) controller->HandleGraphEvents();
    return 1;
}

LRESULT CTeskFrameWin::OnLButtonDown(WPARAM, LPARAM lParam) {
    CameraControl* controller = Controller();
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (controller) {
        auto& items = controller->Photos();
        const int first = controller->FirstThumbnail();
        const int slot = strip::SlotAt(x, y, first, static_cast<int>(items.size()), m_nDpi);
        const bool shift = KeyDown(VK_LSHIFT) || KeyDown(VK_RSHIFT);
        const bool ctrl = KeyDown(VK_LCONTROL) || KeyDown(VK_RCONTROL);
        if (slot >= 0 && strip::ClickThumbnail(items, first + slot, shift, ctrl, m_nAnchor)) {
            m_nFocus = first + slot;
            InvalidateStrip();
            m_pDeleteButton->SetEnabled(TRUE);  // even when the click left nothing selected
        } else if (::PtInRect(&m_rcStrip, POINT{x, y})) {
            strip::DeselectAll(items);
            InvalidateStrip();
            m_pDeleteButton->SetEnabled(FALSE);
        }
        if (::PtInRect(&m_rcStrip, POINT{x, y}) && m_pPhotoList) {
            m_pPhotoList->SetFocus();
            m_pPhotoList->AnnounceSelection();
        }
    }
    return Default();
}

LRESULT CTeskFrameWin::OnLButtonDblClk(WPARAM, LPARAM lParam) {
    if (CameraControl* controller = Controller()) {
        const auto& items = controller->Photos();
        const int first = controller->FirstThumbnail();
        const int slot =
            strip::SlotAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), first, static_cast<int>(items.size()), m_nDpi);
        if (slot >= 0) OpenPhoto(*controller, items[static_cast<size_t>(first + slot)]);
    }
    return Default();
}

// Only photos are opened: a path from the settings file might name a program.
void CTeskFrameWin::OpenPhoto(CameraControl& control, const CapturedItem& item) {
    if (!SystemPathRule(control.PhotoFolder()).MayOpen(item)) return;
    const std::wstring path = ItemPathW(item);
    SHELLEXECUTEINFOW open{sizeof(open)};
    open.fMask = SEE_MASK_NOCLOSEPROCESS;
    open.hwnd = m_hWnd;
    open.lpVerb = L"open";
    open.lpFile = path.c_str();
    open.lpDirectory = control.PhotoFolder();
    open.nShow = SW_SHOW;
    ::ShellExecuteExW(&open);
    UniqueHandle process(open.hProcess);  // not waited for; only closed
}

void CTeskFrameWin::OpenSelected() {
    CameraControl* controller = Controller();
    if (!controller) return;
    // A copy: the list may change while the shell starts the viewer.
    const std::vector<CapturedItem> items = controller->Photos();
    for (const CapturedItem& item : items)
        if (item.selected == 1) OpenPhoto(*controller, item);
}

LRESULT CTeskFrameWin::OnHScroll(WPARAM wParam, LPARAM lParam) {
    CameraControl* controller = Controller();
    if (controller && m_pThumbnailScroll && reinterpret_cast<HWND>(lParam) == m_pThumbnailScroll->m_hWnd) {
        int min = 0, max = 0;
        m_pThumbnailScroll->GetScrollRange(&min, &max);
        const int pos = strip::ScrollTo(LOWORD(wParam), m_pThumbnailScroll->GetScrollPos(), min, max);
        m_pThumbnailScroll->SetScrollPos(pos, TRUE);
        controller->SetFirstThumbnail(pos);
        InvalidateStrip();
    }
    return Default();
}

// One photo at a time: the capture button is off from the click until the photo's frame has
// been copied (or cannot come), so that a second click is a second photo of its own.
void CTeskFrameWin::OnCapture() {
    CameraControl* controller = Controller();
    if (!controller || controller->PhotoAwaitsFrame()) return;
    m_pCaptureButton->SetEnabled(FALSE);
    // "1.3M" runs the camera at the photo's size for the photo's frame alone.
    const picture::PictureSize& size = picture::OfSetting(controller->Resolution());
    m_bPhotoSizeRunning = size.photo != size.preview;
    if (m_bPhotoSizeRunning) controller->RestartPreview(size.photo.width, size.photo.height);
    controller->TakePhoto();
}

void CTeskFrameWin::PhotoFrameEnded() {
    if (m_pCaptureButton) m_pCaptureButton->SetEnabled(TRUE);
    CameraControl* controller = Controller();
    if (!m_bPhotoSizeRunning || !controller) return;
    m_bPhotoSizeRunning = false;
    const picture::Size preview = picture::OfSetting(controller->Resolution()).preview;
    controller->RestartPreview(preview.width, preview.height);
}

// The strip shows the newest photos.
void CTeskFrameWin::PhotosStored() {
    CameraControl* controller = Controller();
    if (!controller) return;
    const strip::ScrollSetup scroll = strip::ScrollAfterPhoto(static_cast<int>(controller->Photos().size()));
    SetUpScrollBar(scroll);
    if (scroll.enabled) {
        controller->SetFirstThumbnail(scroll.pos);
        InvalidateStrip();
    }
    Invalidate(FALSE);
    if (m_pPhotoList) m_pPhotoList->AnnounceListChanged();
}

void CTeskFrameWin::OnDelete() {
    CameraControl* controller = Controller();
    if (!controller) return;
    if (::MessageBoxW(m_hWnd, UiText[uitext::kTextDeleteSelected], kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    // The box's own loop may have closed the program meanwhile.
    if (!m_hWnd || !(controller = Controller())) return;
    strip::RemoveSelected(controller->Photos(), SystemPathRule(controller->PhotoFolder()),
                          [](const CapturedItem& item) { ::DeleteFileW(ItemPathW(item).c_str()); });
    SetUpScrollBar(strip::ScrollFromStart(static_cast<int>(controller->Photos().size())));
    controller->SetFirstThumbnail(0);
    InvalidateStrip();
    m_pDeleteButton->SetEnabled(FALSE);
    controller->SaveSettings();
    if (m_pPhotoList) m_pPhotoList->AnnounceListChanged();
}

void CTeskFrameWin::OnResolutionChange() {
    const int selection = m_pResolutionBox->GetCurSel();
    if (selection == CB_ERR) return;
    // The command of each setting; other data do nothing.
    static const UINT kCommands[picture::kSettings] = {ID_RESOLUTION_320X240, ID_RESOLUTION_640X480,
                                                       ID_RESOLUTION_1280X1024};
    const DWORD_PTR setting = m_pResolutionBox->GetItemData(selection);
    if (setting < picture::kSettings) PostMessage(WM_COMMAND, kCommands[setting]);
}

void CTeskFrameWin::OnResolution320() {
    if (CameraControl* controller = Controller()) controller->SelectResolution(0);
}

void CTeskFrameWin::OnResolution640() {
    if (CameraControl* controller = Controller()) controller->SelectResolution(1);
}

void CTeskFrameWin::OnResolution1280() {
    if (CameraControl* controller = Controller()) controller->SelectResolution(2);
}

// Going to another window, the focus the keys left is kept for the way back.
LRESULT CTeskFrameWin::OnActivate(WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        m_hFocusBefore = focus && ::IsChild(m_hWnd, focus) ? focus : nullptr;
    }
    return Default();
}

// The window's focus goes where it was, else to the strip (the list takes it with a click
// or Tab).
LRESULT CTeskFrameWin::OnSetFocus(WPARAM, LPARAM) {
    if (m_hFocusBefore && ::IsChild(m_hWnd, m_hFocusBefore))
        ::SetFocus(m_hFocusBefore);
    else if (m_pPhotoList)
        m_pPhotoList->SetFocus();
    return 0;
}

LRESULT CTeskFrameWin::OnUpdateUiState(WPARAM, LPARAM) {
    const LRESULT result = Default();
    InvalidateStrip();  // the focus rectangle shows or goes
    return result;
}

BOOL CTeskFrameWin::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN) return FALSE;
    const bool inList = m_pResolutionBox && (msg->hwnd == m_pResolutionBox->m_hWnd ||
                                             ::IsChild(m_pResolutionBox->m_hWnd, msg->hwnd));
    if (msg->wParam == VK_TAB && m_pResolutionBox && m_pPhotoList) {
        // Two stops: the list and the strip; Shift+Tab goes round the same way.
        (inList ? static_cast<CWnd*>(m_pPhotoList.get()) : m_pResolutionBox.get())->SetFocus();
        SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS));
        return TRUE;
    }
    if (inList) return FALSE;  // the list's own keys: arrows, Alt+Down, F4
    const bool repeated = (msg->lParam & (1 << 30)) != 0;
    if (!OnKey(msg->wParam, repeated)) return FALSE;
    // The keyboard is in use: focus cues show from now on.
    SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS));
    return TRUE;
}

bool CTeskFrameWin::OnKey(WPARAM key, bool repeated) {
    CameraControl* controller = Controller();
    if (!controller) return false;
    const bool shift = KeyDown(VK_SHIFT);
    const bool ctrl = KeyDown(VK_CONTROL);
    auto& items = controller->Photos();
    switch (key) {
    // A held key acts once, as the button under a held mouse button does.
    case VK_SPACE:
        if (!repeated && m_pCaptureButton->IsEnabledFlag()) OnCapture();
        return true;
    case VK_DELETE:
        if (!repeated && m_pDeleteButton->IsEnabledFlag()) OnDelete();
        return true;
    case VK_RETURN:
        if (!repeated) OpenSelected();
        return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END: {
        const strip::Move move = key == VK_LEFT    ? strip::Move::Previous
                                 : key == VK_RIGHT ? strip::Move::Next
                                 : key == VK_HOME  ? strip::Move::First
                                                   : strip::Move::Last;
        if (strip::MoveFocus(items, move, shift, m_nFocus, m_nAnchor)) SelectionMovedByKey(*controller);
        return true;
    }
    case 'A':
        if (!ctrl) return false;
        if (!items.empty()) {
            strip::SelectAll(items);
            if (m_nFocus < 0 || m_nFocus >= static_cast<int>(items.size())) m_nFocus = 0;
            SelectionMovedByKey(*controller);
        }
        return true;
    default:
        return false;
    }
}

void CTeskFrameWin::SelectionMovedByKey(CameraControl& control) {
    const int count = static_cast<int>(control.Photos().size());
    const strip::ScrollSetup scroll = strip::ScrollFromStart(count);
    if (scroll.enabled) {
        const int first = strip::FirstShowing(m_nFocus, control.FirstThumbnail(), count);
        control.SetFirstThumbnail(first);
        m_pThumbnailScroll->SetScrollPos(first, TRUE);
    }
    InvalidateStrip();
    m_pDeleteButton->SetEnabled(TRUE);
    m_pPhotoList->SetFocus();
    m_pPhotoList->AnnounceSelection();
    m_pPhotoList->AnnounceFocus();
}

int CTeskFrameWin::PhotoCount() const {
    CameraControl* controller = Controller();
    return controller ? static_cast<int>(controller->Photos().size()) : 0;
}

std::wstring CTeskFrameWin::PhotoName(int index) const {
    if (index < 0 || index >= PhotoCount()) return L"";
    const std::wstring path = ItemPathW(Controller()->Photos()[static_cast<size_t>(index)]);
    return path.substr(path.find_last_of(L"\\/") + 1);
}

bool CTeskFrameWin::PhotoSelected(int index) const {
    return index >= 0 && index < PhotoCount() && Controller()->Photos()[static_cast<size_t>(index)].selected == 1;
}

bool CTeskFrameWin::PhotoOnScreen(int index, RECT& screen) const {
    CameraControl* controller = Controller();
    if (!controller || index < 0 || index >= PhotoCount()) return false;
    const int slot = index - controller->FirstThumbnail();
    if (slot < 0 || slot >= strip::kSlots) return false;
    screen = ToRect(frame_layout::Hit(slot, m_nDpi));
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&screen), 2);
    return true;
}
