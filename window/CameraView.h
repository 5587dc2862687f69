#pragma once
// What the camera side asks of the camera window: the window the video is shown in and the
// DPI it is shown at, the list of sizes once the camera is known, a repaint, and the steps of
// a photo. The camera window (CTeskFrameWin) is the one implementation.
#include <windows.h>

class CameraView {
public:
    virtual HWND VideoOwner() const = 0;
    // The video area and the video window in it are scaled to this (96 at 100 %).
    virtual int Dpi() const = 0;
    // Offers the capture sizes the camera accepts and sets up the scroll bar.
    virtual void FillResolutionList() = 0;
    virtual void Repaint() = 0;
    // The frame of the photo asked for has been copied, or cannot come any more.
    virtual void PhotoFrameEnded() = 0;
    // Photos were stored (and listed) or failed.
    virtual void PhotosStored() = 0;

protected:
    ~CameraView() = default;
};
