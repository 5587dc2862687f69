#pragma once
// CTeskWin: the hidden main window "Delm Halvo1", controller of the camera side. It starts
// the camera while it is created, owns the capture façade, the captured photos and their
// numbering, restarts and recovers the preview, takes photos, and writes the settings file
// when it is destroyed. Its object deletes itself after its window has been destroyed;
// being the application's main window, its destruction ends the program.
#include <atomic>
#include <optional>
#include <vector>

#include "capture/GraphCallbacks.h"
#include "capture/TeskLib.h"
#include "controller/CameraControl.h"
#include "controller/CapturedItem.h"
#include "controller/PhotoHandOff.h"
#include "controller/SettingsFile.h"
#include "framework/Handles.h"
#include "framework/Wnd.h"
#include "imaging/Dib.h"


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
    void SaveSettings() override;
    void HandleGraphEvents() override;
    void Quit() override { PostMessage(WM_CLOSE); }

    // Restarts at the current size; seven attempts a second apart, then m_bNoVideo = 1.
    void RecoverPreview();
    void PlaceVideo() override;
    int LoadSettings();

    // GraphEventHandler
    void OnRenderDeviceSet(long param1) override;
    // GraphCallback, on the effect filter's thread (PhotoFlow.cpp): copies the frame into
    // m_frame and hands it to the storing thread, so that the filter's buffer is free again
    // at once.
    void OnSnapshot(int width, int height, const BYTE* pixels) override;
    // What the storing thread does with a frame: the bitmap file written whole under the
    // order's path, which must not exist yet, the item made into `item`, then the same
    // picture written as the JPEG that replaces the bitmap (`frame` is spent). False when the
    // bitmap could not be written whole: then no file is left under the photo's name.
    bool StorePhoto(const PhotoOrder& order, CDib& frame, CapturedItem& item);

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
    // The frame of the photo in flight: written by OnSnapshot, then used by the storing
    // thread, one after the other (PhotoHandOff). Its memory is kept for the next photo.
    // Declared before m_photo, whose destruction joins the storing thread.
    CDib m_frame;

protected:
    const MessageMap* GetMessageMap() const override;
    // A frame still being stored when the window went keeps the object (the process ends).
    void PostNcDestroy() override {
        if (!m_bStoreOutlivesWindow) delete this;
    }

private:
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnCameraBusy(WPARAM wParam, LPARAM lParam);
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);

    // Writes the frame as a new bitmap file under `path` and fills `item`; false when the
    // file could not be written whole (nothing is left under the name) or existed already.
    bool StoreFrame(const PhotoOrder& order, const wchar_t* path, const CDib& frame, CapturedItem& item);
    // A photo whose wait was given up joins the list once it is stored; true when one did.
    bool CollectLatePhoto();

    // The photo in flight between TakePhoto and OnSnapshot (PhotoHandOff.h).
    PhotoHandOff m_photo;
    bool m_bStoreOutlivesWindow = false;

    SettingsFile m_settingsFile;
};
