#include "controller/TeskWin.h"

#include <shlobj.h>

#include "app/Tesk60App.h"
#include "controller/FilterRegistration.h"
#include "controller/NetworkDrive.h"
#include "controller/PictureSize.h"
#include "framework/Trace.h"
#include "resources/resource.h"
#include "text/UiText.h"
#include "window/CameraView.h"
#include "window/FrameLayout.h"

namespace {
constexpr wchar_t kCaption[] = L"Delm Halvo";
constexpr int kRecoveryAttempts = 7;
constexpr DWORD kRetryPauseMs = 1000;
// How long the end of the program waits for the photos still being stored.
constexpr PhotoHandOff::Duration kStoreAtCloseTime{5000};
constexpr wchar_t kStartUp[] = L"start-up";
constexpr wchar_t kSettings[] = L"settings";
// A refused save is tried again: ten seconds in all while the program runs, one at its end.
constexpr UINT kSaveRetryPauseMs = 500;
constexpr int kSaveRetries = 20;
constexpr DWORD kSaveAtEndPauseMs = 100;
constexpr int kSaveAttemptsAtEnd = 10;

void RegisterBesideProgram(const wchar_t* file, const wchar_t* step) {
    const HRESULT hr = RegisterFilterFile(file);
    if (FAILED(hr)) TraceFailure(kStartUp, step, hr);
}
}  // namespace

const MessageMap* CTeskWin::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnMessage<WM_CREATE, CTeskWin, &CTeskWin::OnCreate>(),
        OnMessage<WM_DESTROY, CTeskWin, &CTeskWin::OnDestroy>(),
        OnMessage<WM_TESK_CAMERA_BUSY, CTeskWin, &CTeskWin::OnCameraBusy>(),
        OnMessage<WM_POWERBROADCAST, CTeskWin, &CTeskWin::OnPowerBroadcast>(),
        OnMessage<WM_ENDSESSION, CTeskWin, &CTeskWin::OnEndSession>(),
        OnMessage<WM_TIMER, CTeskWin, &CTeskWin::OnTimer>(),
        OnMessage<WM_TESK_PHOTO_FRAME, CTeskWin, &CTeskWin::OnPhotoFrameTaken>(),
        OnMessage<WM_TESK_PHOTO_STORED, CTeskWin, &CTeskWin::OnPhotoStored>(),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
    return &map;
}

LRESULT CTeskWin::OnCreate(WPARAM, LPARAM) {
    if (Default() == -1) return -1;
    ::SetClassLongPtrW(m_hWnd, GCLP_HICON,
                       reinterpret_cast<LONG_PTR>(::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDI_PROGRAM))));
    m_nThumbWidth = 80;
    m_nThumbHeight = 60;
    // The hand-off may outlive this object by a store the disk holds up: it posts to the
    // handle, never to the object.
    const HWND self = m_hWnd;
    m_photos = std::make_unique<PhotoHandOff>([self](PhotoHandOff::Event event, uint32_t) {
        ::PostMessageW(self, event == PhotoHandOff::Event::FrameTaken ? WM_TESK_PHOTO_FRAME : WM_TESK_PHOTO_STORED, 0, 0);
    });

    // Found beside the program by the library search; a failure leaves what is registered.
    RegisterBesideProgram(L"MPEGEncFilter.ax", L"register MPEGEncFilter.ax");
    RegisterBesideProgram(L"KorvEffect.ax", L"register KorvEffect.ax");

    SelectUiLanguage();

    // Left empty when it fails: the photo file then cannot be created, and no photo is added.
    // Found before the list is read, whose photos in this folder are the program's own.
    const HRESULT folder = ::SHGetFolderPathW(m_hWnd, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, nullptr,
                                              SHGFP_TYPE_CURRENT, m_szPhotoDir);
    if (FAILED(folder)) {
        TraceFailure(kStartUp, L"find the Pictures folder", folder);
        m_szPhotoDir[0] = L'\0';
    }

    m_nResolution = 1;
    m_nFirstThumbnail = 0;
    m_nPictureNumber = 1;
    LoadSettings();

    m_com.emplace();
    // A thread already in another apartment keeps it (RPC_E_CHANGED_MODE); the camera may
    // still work there.
    if (FAILED(m_com->Result())) TraceFailure(kStartUp, L"CoInitialize", m_com->Result());

    CameraView* view = TeskApp().View();
    m_lib.SetOwnerWindow(view ? view->VideoOwner() : nullptr);
    m_lib.EnumerateDevices();
    m_bNoVideo = 1;
    if (m_lib.GetVideoDeviceCount() > 0) {
        m_lib.m_notifyMessage = WM_TESK_GRAPH_EVENT;
        m_lib.SelectVideoDevice(0);
        const picture::Size preview = picture::OfSetting(m_nResolution).preview;
        m_lib.SetVideoSize(preview.width, preview.height);
        const HRESULT started = m_lib.StartPreview(this);
        PlaceVideo();
        if (FAILED(started)) {
            ::Sleep(kRetryPauseMs);
            const int retried = RestartPreview(preview.width, preview.height);
            if (retried != 0) {
                TraceFailure(kStartUp, L"start the preview, twice (the camera is reported busy)", retried);
                PostMessage(WM_TESK_CAMERA_BUSY);
            }
        }
        m_bNoVideo = 0;
        InvalidateRect(nullptr, FALSE);
    }

    if (view) view->FillResolutionList();
    return 0;
}

LRESULT CTeskWin::OnDestroy(WPARAM, LPARAM) {
    Default();
    KillTimer(kRecoveryTimer);
    // The camera window has gone already; a photo being stored is waited for, boundedly.
    FinishPhotos(kStoreAtCloseTime);
    SaveSettingsBeforeEnd();
    m_lib.SelectVideoDevice(-1);
    m_lib.SelectAudioDevice(-1);
    m_lib.CloseAll();
    m_photos.reset();  // no frame comes any more; a store still held up ends on its own
    m_com.reset();
    return 0;
}

// The session ends and the process with it, without WM_DESTROY: the photos being stored
// are listed and the list saved first.
LRESULT CTeskWin::OnEndSession(WPARAM wParam, LPARAM) {
    if (wParam) {
        FinishPhotos(kStoreAtCloseTime);
        SaveSettingsBeforeEnd();
    }
    return 0;
}

LRESULT CTeskWin::OnTimer(WPARAM wParam, LPARAM) {
    switch (wParam) {
    case kFrameTimer:
        OnFrameTimer();
        return 0;
    case kRecoveryTimer:
        AttemptRecovery();
        return 0;
    case kSaveRetryTimer:
        TrySave();
        return 0;
    default:
        return Default();
    }
}

LRESULT CTeskWin::OnCameraBusy(WPARAM, LPARAM) {
    // The box runs its own message loop: closing the camera window meanwhile destroys and
    // deletes this object, so nothing of it is touched after the box.
    const HWND self = m_hWnd;
    ::MessageBoxW(self, UiText[uitext::kTextCameraBusy], kCaption, MB_OK);
    if (::IsWindow(self)) ::PostMessageW(self, WM_CLOSE, 0, 0);
    return 1;
}

LRESULT CTeskWin::OnPowerBroadcast(WPARAM wParam, LPARAM) {
    if (wParam == PBT_APMRESUMECRITICAL || wParam == PBT_APMRESUMESUSPEND) {
        if (CameraView* view = TeskApp().View()) view->Repaint();
        InvalidateRect(nullptr, FALSE);
        RecoverPreview();
    }
    return TRUE;
}

void CTeskWin::PlaceVideo() {
    const CameraView* view = TeskApp().View();
    const display::Rect video =
        frame_layout::Video(picture::OfSetting(m_nResolution).video, view ? view->Dpi() : display::kDesignDpi);
    m_lib.SetVideoRect(video.left, video.top, video.Width(), video.Height());
}

void CTeskWin::SelectResolution(int resolution) {
    m_nResolution = resolution;
    const picture::Size preview = picture::OfSetting(resolution).preview;
    RestartPreview(preview.width, preview.height);
}

int CTeskWin::RestartPreview(int width, int height) {
    // A frame asked of the old graph never comes: the request ends now.
    if (m_photos && m_photos->Cancel()) PostMessage(WM_TESK_PHOTO_FRAME);
    // The renderer's new window takes the keyboard focus as it is made: the user's stays
    // where it was (in the size list, after choosing a size with the keys).
    const HWND focus = ::GetFocus();
    m_lib.CloseAll();
    m_lib.SetVideoSize(width, height);
    PlaceVideo();
    const HRESULT hr = m_lib.StartPreview(this);
    if (focus && ::GetFocus() != focus && ::IsWindow(focus)) ::SetFocus(focus);
    if (FAILED(hr)) return static_cast<int>(hr);
    KillTimer(kRecoveryTimer);  // the preview runs: a recovery under way is over
    return 0;
}

void CTeskWin::RecoverPreview() {
    m_nRecoveryAttempts = 0;
    AttemptRecovery();
}

void CTeskWin::AttemptRecovery() {
    KillTimer(kRecoveryTimer);
    ++m_nRecoveryAttempts;
    const picture::Size preview = picture::OfSetting(m_nResolution).preview;
    if (RestartPreview(preview.width, preview.height) == 0) return;
    if (m_nRecoveryAttempts < kRecoveryAttempts) {
        SetTimer(kRecoveryTimer, kRetryPauseMs);
        return;
    }
    m_bNoVideo = 1;
    if (CameraView* view = TeskApp().View()) view->Repaint();
}

void CTeskWin::HandleGraphEvents() { m_lib.HandleEvents(this); }

void CTeskWin::OnRenderDeviceSet(long) { RecoverPreview(); }

// Another program may hold the file for a moment (a virus scanner, a backup, an indexer)
// and the replacement is then refused: the list on disk catches up from a timer, without the
// window waiting.
void CTeskWin::SaveSettings() {
    m_nSaveRetries = 0;
    TrySave();
}

void CTeskWin::TrySave() {
    if (m_hWnd) KillTimer(kSaveRetryTimer);
    if (m_settingsFile.Save(m_nPictureNumber, m_items)) return;
    if (m_hWnd && m_nSaveRetries++ < kSaveRetries)
        SetTimer(kSaveRetryTimer, kSaveRetryPauseMs);
    else
        TraceFailure(kSettings, L"save the list (left until the next change)", E_FAIL);
}

void CTeskWin::SaveSettingsBeforeEnd() {
    if (m_hWnd) KillTimer(kSaveRetryTimer);
    for (int attempt = 0; attempt < kSaveAttemptsAtEnd; ++attempt) {
        if (attempt) ::Sleep(kSaveAtEndPauseMs);
        if (m_settingsFile.Save(m_nPictureNumber, m_items)) return;
    }
    TraceFailure(kSettings, L"save the list before the end", E_FAIL);
}

int CTeskWin::LoadSettings() {
    int32_t pictureNumber = m_nPictureNumber;
    std::vector<CapturedItem> items;
    if (!m_settingsFile.Load(pictureNumber, items, SystemPathRule(m_szPhotoDir))) return 0;
    m_nPictureNumber = pictureNumber;
    m_items = std::move(items);
    return 1;
}
