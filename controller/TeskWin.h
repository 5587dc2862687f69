#pragma once
// CTeskWin: the hidden main window "Delm Halvo1", controller of the camera side. It starts
// the camera while it is created, owns the capture façade, the captured photos and their
// numbering, restarts and recovers the preview, takes photos, and writes the settings file
// when it is destroyed. Its object deletes itself after its window has been destroyed;
// being the application's main window, its destruction ends the program.
#include <memory>
#include <optional>
#include <vector>

#include "capture/GraphCallbacks.h"
#include "capture/TeskLib.h"
#include "controller/CameraControl.h"
#include "controller/CapturedItem.h"
#include "controller/FramePool.h"
#include "controller/PhotoHandOff.h"
#include "controller/SettingsFile.h"
#include "framework/Handles.h"
#include "framework/Wnd.h"


class CTeskWin : public CWnd, public GraphEventHandler, public GraphCallback, public CameraControl {
public:
    // CameraControl (TakePhoto is in PhotoFlow.cpp)
    std::vector<CapturedItem>& Photos() override { return m_items; }
    int FirstThumbnail() const override { return m_nFirstThumbnail; }
    void SetFirstThumbnail(int item) override { m_nFirstThumbnail = item; }
    SIZE ThumbnailSize() const override { return SIZE{m_nThumbWidth, m_nThumbHeight}; }
    const wchar_t* PhotoFolder() const override { return m_szPhotoDir; }
    int Resolution() const override { return m_nResolution; }
    void SelectResolution(int resolution) override;
    bool ShowsLivePicture() const override { return !m_bNoVideo; }
    bool SupportsCaptureSize(int width, int height) override {
        return m_lib.IsVideoSizeSupported(width, height) == S_OK;
    }
    int RestartPreview(int width, int height) override;
    void TakePhoto() override;
    bool PhotoAwaitsFrame() const override { return m_photos && m_photos->AwaitsFrame(); }
    // A photo awaits its frame, is being stored, or is stored and not yet listed.
    bool PhotosInFlight() const { return m_photos && m_photos->InFlight(); }
    void SaveSettings() override;
    void HandleGraphEvents() override;
    void Quit() override { PostMessage(WM_CLOSE); }

    // Restarts at the current size: seven attempts a second apart, from a timer, then
    // m_bNoVideo = 1. A later call starts the attempts again.
    void RecoverPreview();
    void PlaceVideo() override;
    int LoadSettings();

    // GraphEventHandler
    void OnRenderDeviceSet(long param1) override;
    // GraphCallback, on the effect filter's thread (PhotoFlow.cpp): copies the frame for the
    // storing thread, so that the filter's buffer is free again at once.
    void OnSnapshot(int width, int height, const BYTE* pixels) override;

    int m_nResolution = 1;      // the picture size's setting: 0 "320x240", 1 "640x480", 2 "1.3M"
    int m_nPictureNumber = 1;   // number of the next photo file, 1 .. 10000
    std::vector<CapturedItem> m_items;  // oldest first
    int m_nFirstThumbnail = 0;
    int m_nThumbWidth = 80;
    int m_nThumbHeight = 60;
    wchar_t m_szPhotoDir[MAX_PATH] = {};
    wchar_t m_szCaptureFile[MAX_PATH] = {};
    int m_nCaptureKind = 0;
    // This thread's COM apartment from creation to destruction; declared before m_lib so
    // that it outlives every reference the capture façade holds.
    std::optional<ScopedCoInitialize> m_com;
    TeskLib m_lib;
    BYTE m_bNoVideo = 1;  // 1 while no live picture is shown

protected:
    const MessageMap* GetMessageMap() const override;
    void PostNcDestroy() override { delete this; }

private:
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnCameraBusy(WPARAM wParam, LPARAM lParam);
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    // Posted by the hand-off (PhotoFlow.cpp).
    LRESULT OnPhotoFrameTaken(WPARAM wParam, LPARAM lParam);
    LRESULT OnPhotoStored(WPARAM wParam, LPARAM lParam);

    static constexpr UINT_PTR kFrameTimer = 1;     // a photo's frame is due
    static constexpr UINT_PTR kRecoveryTimer = 2;  // the next attempt of RecoverPreview
    static constexpr UINT_PTR kSaveRetryTimer = 3;  // the settings file, tried again

    // One attempt of RecoverPreview; the next is due a second later.
    void AttemptRecovery();
    // The deadline of the photo awaiting its frame, checked.
    void OnFrameTimer();
    // The frame of the photo awaiting one is no more to come, or has come: the camera window
    // hears of it once nothing awaits a frame.
    void EndFrameWait();
    // Lists the photos stored since the last call, in the order they were asked for, and
    // takes their numbers; true when one was listed.
    bool CollectStoredPhotos();
    // Before the program ends: no more frames, the photos being stored waited for at most
    // `bound`, and those stored listed.
    void FinishPhotos(PhotoHandOff::Duration bound);
    // One attempt to write the settings file; a refused one is tried again from a timer, a
    // bounded number of times.
    void TrySave();
    // The last save: a few attempts a short pause apart, since no timer comes any more.
    void SaveSettingsBeforeEnd();

    // The photos between this thread, the camera's and the storing thread; made with the
    // window, whose handle its messages go to.
    std::unique_ptr<PhotoHandOff> m_photos;
    const std::shared_ptr<FramePool> m_frames = std::make_shared<FramePool>();
    int m_nRecoveryAttempts = 0;  // of the recovery under way
    int m_nSaveRetries = 0;       // since the last save asked for

    SettingsFile m_settingsFile;
};
