#pragma once
// CWnd: a window object linked to its HWND, with a table-driven message map.
//
// Linking: a window of one of our classes (AfxRegisterWndClass) is linked at WM_NCCREATE
// from the create parameters; a window of a system class (button, combo box, scroll bar)
// is subclassed as soon as it exists, before its WM_NCCREATE, so that even the messages of
// its own creation (WM_MEASUREITEM of an owner-drawn combo box) reach the object. The
// object keeps its HWND in m_hWnd and the HWND keeps the object in GWLP_USERDATA.
// Window objects are never copied or moved.
//
// Dispatch rules:
//  1. Messages a parent gets about a child control (WM_COMMAND and WM_NOTIFY from a
//     control, WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*, WM_HSCROLL and WM_VSCROLL from a
//     scroll bar control) are first offered to the child's object as
//     kReflectBase + message (OnChildNotify). If the child's map has an entry for it, that
//     entry's result is the result and the parent's map is not consulted.
//  2. Otherwise the class's map is searched, then its base class's map, and so on. The
//     first entry that matches runs, and its result is returned to the system. Default
//     processing does not run unless the handler calls Default().
//  3. Without a matching entry, Default() runs: the subclassed window's original procedure,
//     or DefWindowProcW.
//
// Lifetime: after WM_NCDESTROY the object is unlinked and PostNcDestroy() runs (the last
// call on the object; an object that owns itself deletes itself there). When the
// application's main window gets WM_NCDESTROY, the message loop is told to end.
#include <windows.h>
#include <windowsx.h>
#include <iterator>

// windowsx.h defines SubclassWindow as a macro; CWnd has a member of that name. Including
// windowsx.h first keeps a later include from defining it again.
#undef SubclassWindow

class CWnd;

// Message number offset of messages reflected to the child control they concern.
constexpr UINT kReflectBase = 0xBC00;

// Which identifiers or notification codes a WM_COMMAND or WM_NOTIFY entry takes: exactly
// one, or every one (kAnyId, kAnyCode). "Every" is a flag and not a reserved number,
// because every number is a possible identifier or code (NM_OUTOFMEMORY is 0xFFFFFFFF).
struct AnyValue {};
inline constexpr AnyValue kAnyId{};
inline constexpr AnyValue kAnyCode{};
struct Match {
    constexpr Match(UINT_PTR only) : value(only), any(false) {}
    constexpr Match(AnyValue) : value(0), any(true) {}
    constexpr bool Takes(UINT_PTR candidate) const { return any || value == candidate; }
    UINT_PTR value;
    bool any;
};

using MessageHandler = LRESULT (*)(CWnd& wnd, WPARAM wParam, LPARAM lParam);

struct MessageEntry {
    UINT message;
    Match id;    // WM_COMMAND / WM_NOTIFY (and their reflections): the control or command
    Match code;  // WM_COMMAND / WM_NOTIFY (and their reflections): the notification code
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    const MessageEntry* first;
    const MessageEntry* last;
};

template <size_t N>
constexpr MessageMap MakeMessageMap(const MessageMap* base, const MessageEntry (&entries)[N]) {
    return MessageMap{base, entries, entries + N};
}

namespace message_map_detail {
template <class T, LRESULT (T::*Fn)(WPARAM, LPARAM)>
LRESULT Call(CWnd& wnd, WPARAM wParam, LPARAM lParam) {
    return (static_cast<T&>(wnd).*Fn)(wParam, lParam);
}
template <class T, void (T::*Fn)()>
LRESULT CallCommand(CWnd& wnd, WPARAM, LPARAM) {
    (static_cast<T&>(wnd).*Fn)();
    return 0;
}
template <class T, LRESULT (T::*Fn)(NMHDR*)>
LRESULT CallNotify(CWnd& wnd, WPARAM, LPARAM lParam) {
    return (static_cast<T&>(wnd).*Fn)(reinterpret_cast<NMHDR*>(lParam));
}
// Messages that carry an identifier and a code: their entries must say both.
constexpr bool CarriesIdAndCode(UINT message) { return message == WM_COMMAND || message == WM_NOTIFY; }
// What an entry for a number outside the registered range stands for: no message at all.
constexpr UINT kNoMessage = 0xFFFFFFFF;
}  // namespace message_map_detail

// Entries of a message map. WM_COMMAND and WM_NOTIFY have entries of their own that name
// the identifier and the code they take; the plain entries refuse them at compile time.

// Entry for window message `Message`; the handler is LRESULT T::Handler(WPARAM, LPARAM).
template <UINT Message, class T, LRESULT (T::*Fn)(WPARAM, LPARAM)>
constexpr MessageEntry OnMessage() {
    static_assert(!message_map_detail::CarriesIdAndCode(Message),
                  "an entry for WM_COMMAND or WM_NOTIFY names its identifier and code: OnCommand, OnNotify");
    return MessageEntry{Message, kAnyId, kAnyCode, &message_map_detail::Call<T, Fn>};
}
// Entry for a message number from RegisterWindowMessageW, known only at run time. It
// matches only numbers of the registered range (0xC000-0xFFFF), never a system message.
template <class T, LRESULT (T::*Fn)(WPARAM, LPARAM)>
MessageEntry OnRegisteredMessage(UINT message) {
    const bool registered = message >= 0xC000 && message <= 0xFFFF;
    return MessageEntry{registered ? message : message_map_detail::kNoMessage, kAnyId, kAnyCode,
                        &message_map_detail::Call<T, Fn>};
}
// Entry for WM_COMMAND from command or control `id` with notification `code` (menu and
// accelerator commands: 0 and 1). The handler is void T::Handler() (the result is then 0)
// or LRESULT T::Handler(WPARAM, LPARAM).
template <class T, void (T::*Fn)()>
constexpr MessageEntry OnCommand(Match id, Match code) {
    return MessageEntry{WM_COMMAND, id, code, &message_map_detail::CallCommand<T, Fn>};
}
template <class T, LRESULT (T::*Fn)(WPARAM, LPARAM)>
constexpr MessageEntry OnCommand(Match id, Match code) {
    return MessageEntry{WM_COMMAND, id, code, &message_map_detail::Call<T, Fn>};
}
// Entry for WM_NOTIFY from control `id` with notification `code`; the handler is
// LRESULT T::Handler(NMHDR* header), and its result is the message's.
template <class T, LRESULT (T::*Fn)(NMHDR*)>
constexpr MessageEntry OnNotify(Match id, Match code) {
    return MessageEntry{WM_NOTIFY, id, code, &message_map_detail::CallNotify<T, Fn>};
}
// Entries in a control's own map for messages reflected from its parent (the identifier
// is the control's own).
template <UINT Message, class T, LRESULT (T::*Fn)(WPARAM, LPARAM)>
constexpr MessageEntry OnReflected() {
    static_assert(!message_map_detail::CarriesIdAndCode(Message),
                  "a reflected WM_COMMAND or WM_NOTIFY names its code: OnReflectedCommand, OnReflectedNotify");
    return MessageEntry{kReflectBase + Message, kAnyId, kAnyCode, &message_map_detail::Call<T, Fn>};
}
template <class T, LRESULT (T::*Fn)(WPARAM, LPARAM)>
constexpr MessageEntry OnReflectedCommand(Match code) {
    return MessageEntry{kReflectBase + WM_COMMAND, kAnyId, code, &message_map_detail::Call<T, Fn>};
}
template <class T, LRESULT (T::*Fn)(NMHDR*)>
constexpr MessageEntry OnReflectedNotify(Match code) {
    return MessageEntry{kReflectBase + WM_NOTIFY, kAnyId, code, &message_map_detail::CallNotify<T, Fn>};
}

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // The object linked to `wnd`, or null.
    static CWnd* FromHandle(HWND wnd);

    // CreateWindowExW with this object linked to the new window. A null `className` stands
    // for the framework's default class. Returns FALSE when the window was not created.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menuOrId);
    // Links an existing window of any class to this object and routes its messages here.
    BOOL SubclassWindow(HWND wnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    BOOL DestroyWindow();

    // Default processing of the message being handled.
    LRESULT Default();

    // Routes one message; the framework's window procedure calls it.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called by the message loop for a message aimed at this window or a descendant;
    // TRUE means it was dealt with and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // A few thin wrappers used throughout.
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }
    BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL InvalidateRect(const RECT* rect, BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, rect, erase); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    // Gives this window the keyboard focus; the window that had it, or null.
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    // WM_TIMER `id` every `ms` milliseconds; setting it again restarts its period.
    UINT_PTR SetTimer(UINT_PTR id, UINT ms) { return ::SetTimer(m_hWnd, id, ms, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

protected:
    // The class's message map; a derived class returns a map whose base is its base
    // class's map (see MakeMessageMap).
    virtual const MessageMap* GetMessageMap() const;
    // A message about this control, reflected from its parent (kReflectBase + message).
    // Returns true with *result set when this control's map handled it.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Last call on the object, after its window is gone.
    virtual void PostNcDestroy() {}
    // What Default() calls: the original procedure of a subclassed window, else
    // DefWindowProcW.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs before a subclassed window's messages start arriving here.
    virtual void PreSubclassWindow() {}

    // Searches this class's map chain; true with *result set when an entry ran.
    bool DispatchFromMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Runs `create` with this object linked to the first window it creates (the window of a
    // system class: a control or a dialog), before that window's first message. Returns
    // what `create` returned; on failure the object is left unlinked.
    template <typename Create>
    HWND CreateLinked(Create create) {
        BeginLinkingNextWindow();
        HWND wnd = create();
        EndLinkingNextWindow(wnd);
        return wnd;
    }

public:
    // The window procedure of every class the framework registers.
    static LRESULT CALLBACK StandardWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void BeginLinkingNextWindow();
    void EndLinkingNextWindow(HWND created);
    void Attach(HWND wnd);
    void Unlink();
    bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    static LRESULT CALLBACK SubclassOnCreateHook(int code, WPARAM wParam, LPARAM lParam);

    WNDPROC m_superProc = nullptr;  // original procedure of a subclassed window
};
