#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace {
// The dialog procedure behind the window procedure: everything is handled through the
// object's map first, so what reaches here is left to the dialog manager's defaults.
INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
}  // namespace

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
    if (!control.m_hWnd) control.SubclassDlgItem(static_cast<UINT>(id), exchange->dialog);
}

const MessageMap* CDialog::GetMessageMap() const {
    static const MessageEntry entries[] = {
        OnMessage<WM_INITDIALOG, CDialog, &CDialog::OnInitDialogMessage>(),
        OnCommand<CDialog, &CDialog::OnOKCommand>(IDOK, BN_CLICKED),
        OnCommand<CDialog, &CDialog::OnCancelCommand>(IDCANCEL, BN_CLICKED),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
    return &map;
}

HWND CDialog::CreateFromTemplate(UINT templateId, CWnd* parent) {
    if (m_hWnd) return nullptr;
    m_templateId = templateId;
    m_pParent = parent;
    return CreateLinked([&] {
        return ::CreateDialogParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(templateId),
                                    parent ? parent->m_hWnd : nullptr, &PlainDialogProc, 0);
    });
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) { return CreateFromTemplate(templateId, parent) != nullptr; }

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParent ? m_pParent->m_hWnd : nullptr;
    const bool disableParent = parent && ::IsWindowEnabled(parent);
    if (disableParent) ::EnableWindow(parent, FALSE);

    m_bEndModal = false;
    m_nModalResult = -1;
    if (CreateFromTemplate(m_templateId, m_pParent)) {
        ShowWindow(SW_SHOW);
        m_bInModalLoop = true;
        MSG msg{};
        while (!m_bEndModal && m_hWnd) {
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == -1) break;
            if (got == 0) {  // the program is ending: the outer loop must see it too
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            CWinApp* app = AfxGetApp();
            if (app ? !app->PreTranslateMessage(&msg) : !PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        m_bInModalLoop = false;
    }
    if (disableParent) ::EnableWindow(parent, TRUE);
    if (parent && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(parent);
    DestroyWindow();
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bEndModal = true;
    if (m_bInModalLoop) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wake the loop
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange{this, saveAndValidate};
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
    return m_hWnd && ::IsDialogMessageW(m_hWnd, msg);
}

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
