#pragma once
// What a screen reader reads of a window: an IAccessible object answered to WM_GETOBJECT.
//
// AccessibleObject answers every question through the object the system makes for the
// window's client area (CreateStdAccessibleObject), so that a derived class takes over only
// what it knows better: a name, a role, a state, or children of its own. It belongs to its
// window until Disconnect (the window's destruction); a screen reader may hold it longer,
// and is then told the object is gone.
//
// The interface's identifier is __uuidof(IAccessible): mingw-w64's liboleacc.a names the
// DLL's data export IID_IAccessible as a function thunk, whose address holds code.
#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <string>

#include "framework/ComPtr.h"

class AccessibleObject : public IAccessible {
public:
    // IUnknown: IAccessible, IDispatch, IUnknown.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch: no type information; screen readers call IAccessible directly.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    // IAccessible, each through the system's object unless a derived class says otherwise.
    STDMETHODIMP get_accParent(IDispatch** parent) override;
    STDMETHODIMP get_accChildCount(long* count) override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    STDMETHODIMP get_accFocus(VARIANT* focus) override;
    STDMETHODIMP get_accSelection(VARIANT* selection) override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override;
    STDMETHODIMP accSelect(long flags, VARIANT child) override;
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override;
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) override;
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // The window is going: every later question is answered "disconnected".
    void Disconnect() { m_standard.Reset(); }
    bool Connected() const { return static_cast<bool>(m_standard); }

protected:
    explicit AccessibleObject(HWND wnd);
    virtual ~AccessibleObject() = default;
    // The system's object, null once disconnected.
    IAccessible* Standard() const { return m_standard.Get(); }

private:
    LONG m_references = 1;
    ComPtr<IAccessible> m_standard;
};

// A control's client object with a name of its own (the system's when empty), and a role
// and state when given: a button or list whose window text is not what a screen reader
// should read, or whose pressed state only its owner knows.
class NamedAccessible final : public AccessibleObject {
public:
    // `state` receives the system's state and returns the control's.
    static ComPtr<NamedAccessible> Create(HWND wnd, std::wstring name, long role = 0,
                                          std::function<long(long)> state = {});
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;

private:
    NamedAccessible(HWND wnd, std::wstring name, long role, std::function<long(long)> state)
        : AccessibleObject(wnd), m_name(std::move(name)), m_role(role), m_state(std::move(state)) {}

    std::wstring m_name;
    long m_role;
    std::function<long(long)> m_state;
};

// What a control tells a screen reader of itself, answered to WM_GETOBJECT through a
// NamedAccessible made at the first question and disconnected when the control goes.
class AccessibleIdentity {
public:
    AccessibleIdentity() = default;
    ~AccessibleIdentity() { Disconnect(); }
    AccessibleIdentity(const AccessibleIdentity&) = delete;
    AccessibleIdentity& operator=(const AccessibleIdentity&) = delete;

    void Set(std::wstring name, long role = 0, std::function<long(long)> state = {});
    // The answer for `wnd`; 0 (the system answers) when nothing was set or the question is
    // not about the client area.
    LRESULT Answer(HWND wnd, WPARAM wParam, LPARAM lParam);
    void Disconnect();

private:
    bool m_bSet = false;
    std::wstring m_name;
    long m_role = 0;
    std::function<long(long)> m_state;
    ComPtr<NamedAccessible> m_object;
};

// The answer to WM_GETOBJECT: `object` for the client area (OBJID_CLIENT), else 0, which
// leaves the question to the system.
LRESULT AnswerGetObject(IAccessible* object, WPARAM wParam, LPARAM lParam);

// A string for a screen reader, as the caller owns it (SysAllocString); E_OUTOFMEMORY when
// none could be made.
HRESULT AccessibleString(const std::wstring& text, BSTR* out);
