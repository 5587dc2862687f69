#include "framework/Wnd.h"

#include "framework/WinApp.h"

namespace {
// The message being handled on this thread, for Default(). Kept off the window object:
// a handler may destroy (and delete) its own object before the dispatch returns.
struct MessageFrame {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const MessageFrame* previous;
};
thread_local const MessageFrame* t_message = nullptr;

// The object waiting to be linked to the next window this thread creates (system classes).
thread_local CWnd* t_pendingSubclass = nullptr;
thread_local HHOOK t_createHook = nullptr;

CWnd* ObjectOf(HWND wnd) { return reinterpret_cast<CWnd*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA)); }

bool MatchesIdAndCode(const MessageEntry& entry, UINT_PTR id, UINT code) {
    return entry.id.Takes(id) && entry.code.Takes(code);
}
}  // namespace

CWnd::~CWnd() {
    // The object goes before its window: unlink first, so that the messages of the
    // destruction reach the default procedure and not a half-destroyed object.
    if (m_hWnd) {
        HWND wnd = m_hWnd;
        Unlink();
        ::DestroyWindow(wnd);
    }
}

CWnd* CWnd::FromHandle(HWND wnd) {
    if (!wnd) return nullptr;
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(wnd, GWLP_WNDPROC)) != &StandardWndProc) return nullptr;
    return ObjectOf(wnd);
}

void CWnd::Attach(HWND wnd) {
    m_hWnd = wnd;
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CWnd::Unlink() {
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    if (m_superProc) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
        m_superProc = nullptr;
    }
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND wnd) {
    if (!wnd || m_hWnd || FromHandle(wnd)) return FALSE;
    Attach(wnd);
    PreSubclassWindow();
    m_superProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StandardWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    return parent ? SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id))) : FALSE;
}

LRESULT CALLBACK CWnd::SubclassOnCreateHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_pendingSubclass) {
        CWnd* wnd = t_pendingSubclass;
        t_pendingSubclass = nullptr;
        wnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(t_createHook, code, wParam, lParam);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId) {
    if (m_hWnd) return FALSE;
    HINSTANCE instance = AfxGetInstanceHandle();
    if (!className) className = AfxRegisterWndClass(0);

    WNDCLASSEXW info{sizeof(info)};
    const bool ours = ::GetClassInfoExW(instance, className, &info) && info.lpfnWndProc == &StandardWndProc;
    if (ours) {
        // Linked at WM_NCCREATE from the create parameters.
        HWND wnd = ::CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent,
                                     menuOrId, instance, this);
        return wnd != nullptr;
    }

    // A system class: subclass the window the moment it exists, so the messages of its own
    // creation reach this object too.
    HWND wnd = CreateLinked([&] {
        return ::CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent, menuOrId,
                                 instance, nullptr);
    });
    return wnd != nullptr;
}

// A CBT hook sees the window the moment it exists, before its WM_NCCREATE.
void CWnd::BeginLinkingNextWindow() {
    t_pendingSubclass = this;
    t_createHook = ::SetWindowsHookExW(WH_CBT, &SubclassOnCreateHook, nullptr, ::GetCurrentThreadId());
}

void CWnd::EndLinkingNextWindow(HWND created) {
    if (t_createHook) ::UnhookWindowsHookEx(t_createHook);
    t_createHook = nullptr;
    t_pendingSubclass = nullptr;
    if (!created && m_hWnd) Unlink();
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

LRESULT CWnd::Default() {
    if (!t_message || !m_hWnd) return 0;
    return DefWindowProc(t_message->message, t_message->wParam, t_message->lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_superProc) return ::CallWindowProcW(m_superProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

const MessageMap* CWnd::GetMessageMap() const {
    static const MessageMap map{nullptr, nullptr, nullptr};
    return &map;
}

bool CWnd::DispatchFromMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
        for (const MessageEntry* entry = map->first; entry != map->last; ++entry) {
            if (entry->message != message) continue;
            if (message == WM_COMMAND || message == kReflectBase + WM_COMMAND) {
                if (!MatchesIdAndCode(*entry, LOWORD(wParam), HIWORD(wParam))) continue;
            } else if (message == WM_NOTIFY || message == kReflectBase + WM_NOTIFY) {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                if (!MatchesIdAndCode(*entry, header->idFrom, header->code)) continue;
            }
            *result = entry->handler(*this, wParam, lParam);
            return true;
        }
    }
    return false;
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return DispatchFromMap(kReflectBase + message, wParam, lParam, result);
}

bool CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND child = nullptr;
    switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        child = reinterpret_cast<HWND>(lParam);  // null for menus, accelerators, window scroll bars
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU) child = item->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlType != ODT_MENU) child = ::GetDlgItem(m_hWnd, static_cast<int>(item->CtlID));
        break;
    }
    default:
        return false;
    }
    if (!child || child == m_hWnd) return false;
    CWnd* control = FromHandle(child);
    return control && control->OnChildNotify(message, wParam, lParam, result);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const MessageFrame frame{message, wParam, lParam, t_message};
    t_message = &frame;
    LRESULT result = 0;
    if (!ReflectToChild(message, wParam, lParam, &result) && !DispatchFromMap(message, wParam, lParam, &result))
        result = Default();
    t_message = frame.previous;
    return result;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CALLBACK CWnd::StandardWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* object = ObjectOf(wnd);
    if (!object && message == WM_NCCREATE) {
        object = static_cast<CWnd*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (object) object->Attach(wnd);
    }
    if (!object) return ::DefWindowProcW(wnd, message, wParam, lParam);
    if (message != WM_NCDESTROY) return object->WindowProc(message, wParam, lParam);

    const LRESULT result = object->WindowProc(message, wParam, lParam);
    object->Unlink();
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == object) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    object->PostNcDestroy();
    return result;
}
