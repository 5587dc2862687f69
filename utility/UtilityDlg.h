#pragma once
// CUtilityDlg: the utility's hidden dialog, whose modal loop is the program's message loop.
// It never becomes visible; every 500 ms it polls the driver's registry values and toggles
// the camera panel once per press of the camera's snapshot button. A quit request (see
// QuitRequest.h) or the end of the user's session ends it.
#include <memory>

#include "framework/Dialog.h"
#include "utility/DriverContext.h"
#include "utility/WinRegistry.h"

class CUtilityDlg : public CDialog {
public:
    CUtilityDlg();
    BOOL PreTranslateMessage(MSG* msg) override;


protected:
    BOOL OnInitDialog() override;
    void OnOK() override { Hide(); }
    void OnCancel() override { Hide(); }
    const MessageMap* GetMessageMap() const override;

private:
    void Hide();
    void Poll();
    // Ends the program in order: an open panel saves its position first.
    void Quit();
    LRESULT OnWindowPosChanging(WPARAM wParam, LPARAM lParam);
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnQuitRequest(WPARAM wParam, LPARAM lParam);
    void OnCancelButton() { OnCancel(); }
    void OnOKButton() { Hide(); }

    utility::WinRegistry m_registry;
    utility::DriverContext m_driver{m_registry};  // fixed at initialisation
    std::unique_ptr<utility::RegistryKey> m_driverKey;
    int m_nDisplaySelection = 3;
    BOOL m_bSnapshotLatch = FALSE;
    BYTE m_bMayShow = 0;  // always 0: the dialog never shows
};
