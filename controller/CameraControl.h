#pragma once
// What the camera window asks of the camera side: the photos it shows and the first of
// them in the strip, the chosen size, whether a live picture is shown, and the actions its
// controls start. The main window (CTeskWin) is the one implementation; the camera window
// knows nothing else of it.
#include <windows.h>

#include <vector>

#include "controller/CapturedItem.h"

// Graph events reach the frame window as this message (its handler calls HandleGraphEvents).
constexpr UINT WM_TESK_GRAPH_EVENT = WM_APP + 1;
// Posted to the main window when the camera cannot be opened.
constexpr UINT WM_TESK_CAMERA_BUSY = WM_APP + 2;
// Posted to the main window by the camera's thread once a photo's frame is copied, and by
// the storing thread once a photo is stored or failed.
constexpr UINT WM_TESK_PHOTO_FRAME = WM_APP + 3;
constexpr UINT WM_TESK_PHOTO_STORED = WM_APP + 4;

class CameraControl {
public:
    // Oldest first. The window changes their selection and removes the deleted ones.
    virtual std::vector<CapturedItem>& Photos() = 0;
    virtual int FirstThumbnail() const = 0;
    virtual void SetFirstThumbnail(int item) = 0;
    virtual SIZE ThumbnailSize() const = 0;
    virtual const wchar_t* PhotoFolder() const = 0;

    // The picture size's setting (picture::OfSetting).
    virtual int Resolution() const = 0;
    // Keeps `resolution` and restarts the preview at its preview size.
    virtual void SelectResolution(int resolution) = 0;
    virtual bool ShowsLivePicture() const = 0;
    virtual bool SupportsCaptureSize(int width, int height) = 0;

    // 0 on success, else the failing HRESULT of the new preview.
    virtual int RestartPreview(int width, int height) = 0;
    // Asks the running preview for one photo and returns at once. The camera window hears
    // (CameraView) when its frame has come or cannot come, and when it is stored, listed and
    // saved. Nothing while a photo awaits its frame.
    virtual void TakePhoto() = 0;
    virtual bool PhotoAwaitsFrame() const = 0;
    virtual void SaveSettings() = 0;
    virtual void HandleGraphEvents() = 0;
    // Places the video window anew, after the camera window moved to another DPI.
    virtual void PlaceVideo() = 0;
    // Ends the program (the camera window is gone).
    virtual void Quit() = 0;

protected:
    ~CameraControl() = default;
};
