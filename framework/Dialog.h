#pragma once
// CDialog: a window object for a dialog made from a template in the program's resources.
//
//  - Create() makes a modeless dialog; DoModal() makes the same dialog and runs a message
//    loop of its own until EndDialog() (or WM_QUIT, which is posted again for the outer
//    loop), then destroys it and returns the result. The loop offers every message to
//    the application's PreTranslateMessage first, so the windows' own pre-translation
//    (and a dialog's keyboard handling) works in it as in the application's loop.
//  - The dialog window is linked to the object before its first message (as controls
//    are), so the message map sees everything, WM_INITDIALOG included.
//  - OnInitDialog runs DoDataExchange, where controls are attached to their objects by
//    identifier (DDX_Control). OnOK and OnCancel answer IDOK and IDCANCEL (buttons, Enter,
//    Escape, and the close box, which the system turns into IDCANCEL) by ending the dialog.
//  - PreTranslateMessage does the dialog's keyboard handling (IsDialogMessage).
#include "framework/Wnd.h"

class CDialog;

// What DoDataExchange is given.
struct CDataExchange {
    CDialog* dialog;
    BOOL saveAndValidate;  // FALSE: from the members to the controls
};

// Attaches the dialog's control `id` to `control` (once).
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_templateId(templateId), m_pParent(parent) {}

    // The dialog as a modeless window; FALSE when it could not be created.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // The dialog, modal to its parent (which is disabled meanwhile); returns the value given
    // to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal();
    // Ends the modal loop with `result`. (A modeless dialog is ended by destroying it.)
    void EndDialog(int result);

    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    // TRUE: the system sets the focus to the first control.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* /*exchange*/) {}
    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnInitDialogMessage(WPARAM wParam, LPARAM lParam);
    void OnOKCommand() { OnOK(); }
    void OnCancelCommand() { OnCancel(); }
    HWND CreateFromTemplate(UINT templateId, CWnd* parent);

    UINT m_templateId;
    CWnd* m_pParent;
    bool m_bInModalLoop = false;
    bool m_bEndModal = false;
    INT_PTR m_nModalResult = -1;
};
