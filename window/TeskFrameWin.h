#pragma once
// CTeskFrameWin: the camera window the user sees, titled "Delm Halvo": the 640 x 480 video
// area (at 96 DPI; every size is scaled to the window's DPI, window/FrameLayout.h) (the preview graph's video window is a child of this one), a light control strip
// with the capture and delete buttons and the resolution list, a strip of six thumbnails
// and its scroll bar. What it shows of the photos and every action it starts live in the
// main window, the controller, which it reaches through CameraControl only. Graph events
// arrive here as WM_TESK_GRAPH_EVENT and are handled by the main window. Its object is
// never deleted.
#include <memory>

#include "capture/GraphCallbacks.h"
#include "controls/BitmapBtn.h"
#include "controls/BitmapComboBox.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "framework/Wnd.h"
#include "window/CameraView.h"
#include "window/FrameLayout.h"
#include "window/PhotoListWnd.h"
#include "window/ThumbnailStrip.h"

class CameraControl;

class CTeskFrameWin : public CWnd, public GraphEventHandler, public GraphCallback, public CameraView, public PhotoList {
public:
    // CameraView (FillResolutionList is called by the main window at the end of its creation)
    HWND VideoOwner() const override { return m_hWnd; }
    int Dpi() const override { return m_nDpi; }
    void FillResolutionList() override;
    void Repaint() override { InvalidateRect(nullptr, FALSE); }
    void PhotoFrameEnded() override;
    void PhotosStored() override;

    // The controls, for tests and benchmarks that look at them.
    CBitmapBtn* CaptureButton() const { return m_pCaptureButton.get(); }
    CBitmapBtn* DeleteButton() const { return m_pDeleteButton.get(); }
    CBitmapComboBox* ResolutionBox() const { return m_pResolutionBox.get(); }
    CScrollBar* ThumbnailScrollBar() const { return m_pThumbnailScroll.get(); }
    CPhotoListWnd* PhotoListWindow() const { return m_pPhotoList.get(); }

    // PhotoList: the strip as the keyboard and a screen reader see it.
    int PhotoCount() const override;
    std::wstring PhotoName(int index) const override;
    bool PhotoSelected(int index) const override;
    int FocusedPhoto() const override { return m_nFocus; }
    bool PhotoOnScreen(int index, RECT& screen) const override;

    // The keys of the window, wherever its focus is but in the resolution list: Space takes
    // a photo, Delete deletes the selected ones, Enter opens them, the arrows, Home, End and
    // Ctrl+A select in the strip; Tab moves between the list and the strip.
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnGraphEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDpiScaledSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnUpdateUiState(WPARAM wParam, LPARAM lParam);
    void OnCapture();
    void OnDelete();
    void OnResolutionChange();
    void OnResolution320();
    void OnResolution640();
    void OnResolution1280();

    void PaintThumbnails(HDC dc, CameraControl& control);
    // True when the key was one of the window's (and so is not passed on).
    bool OnKey(WPARAM key, bool repeated);
    // After the keys changed the selection: the strip shows the focused photo, the delete
    // button is on, a screen reader hears of it.
    void SelectionMovedByKey(CameraControl& control);
    void OpenPhoto(CameraControl& control, const CapturedItem& item);
    void OpenSelected();
    void LoadSkins(const frame_layout::FrameLayout& layout);
    RECT ScrollBarRect(const frame_layout::FrameLayout& layout) const;
    void SetUpScrollBar(const strip::ScrollSetup& scroll);
    void InvalidateStrip() { InvalidateRect(&m_rcStrip, FALSE); }

    std::unique_ptr<CBitmapBtn> m_pCaptureButton;
    std::unique_ptr<CBitmapBtn> m_pDeleteButton;
    std::unique_ptr<CBitmapComboBox> m_pResolutionBox;
    std::unique_ptr<CScrollBar> m_pThumbnailScroll;
    std::unique_ptr<CPhotoListWnd> m_pPhotoList;
    UniqueBitmap m_bmpLogo;
    UniqueBitmap m_bmpSelection;
    UniqueBitmap m_bmpStrip;
    // The resolution box's faces; it draws them and this window deletes them.
    UniqueBitmap m_bmpListNormal;
    UniqueBitmap m_bmpListHover;
    RECT m_rcStrip{0, 517, 642, 592};
    int m_nAnchor = 0;  // the item of the last plain or Ctrl click
    int m_nFocus = -1;  // the item the keys act on: the last clicked or moved to
    HWND m_hFocusBefore = nullptr;  // the control with the focus when the window was left
    // The preview runs at a photo's size (at "1.3M") until the photo's frame has come.
    bool m_bPhotoSizeRunning = false;
    int m_nDpi = display::kDesignDpi;  // the window's DPI, which every size is scaled to
};
