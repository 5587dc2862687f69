#pragma once
// CCameraPanelDlg: the small always-on-top tool panel the utility shows while the camera's
// snapshot button is active, with the Flip, Low Light and Setting buttons. It closes itself
// once the button is no longer active. Every way it closes (the release, a second toggle,
// Alt+F4, a quit) goes through Close, and its object is deleted with its window.
#include <memory>

#include "controls/HoverButton.h"
#include "framework/Dialog.h"
#include "utility/DriverContext.h"

class CCameraPanelDlg : public CDialog {
public:
    // `driver` outlives the panel (the poll dialog closes it before it ends).
    explicit CCameraPanelDlg(const utility::DriverContext& driver);

    // Closes the open panel, or opens a new one.
    static void ToggleCameraPanel(const utility::DriverContext& driver);
    // The panel of this process, if one is open.
    static CCameraPanelDlg* OpenPanel();

    // Saves the panel's place in screen coordinates, closes an open property frame, then
    // the panel: its object is gone afterwards.
    void Close();

    BOOL PreTranslateMessage(MSG* msg) override;

    CHoverButton m_flip;
    CHoverButton m_lowLight;
    CHoverButton m_setting;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* exchange) override;
    void OnOK() override {}
    void OnCancel() override { Close(); }  // Alt+F4 and other close requests
    // The panel owns itself once its window exists; a window that failed during its own
    // creation leaves the object to ToggleCameraPanel.
    void PostNcDestroy() override {
        if (m_bSelfOwned) delete this;
    }
    const MessageMap* GetMessageMap() const override;

private:
    void OnFlip();
    void OnLowLight();
    void OnSetting();
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDpiScaledSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    // The region, the background picture and the buttons at m_nDpi.
    void LayOut();

    const utility::DriverContext& m_driver;
    std::unique_ptr<utility::RegistryKey> m_driverKey;  // the panel's own handle
    HICON m_hIcon;  // shared icon of the program's resources: never destroyed
    bool m_bSelfOwned = false;
    int m_nDpi = 96;            // the panel's DPI, which every size is scaled to
    bool m_bPlacing = false;    // the panel is being moved to its saved place
    UniqueBitmap m_background;  // the background picture at that DPI
};
