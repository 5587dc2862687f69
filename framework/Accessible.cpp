#include "framework/Accessible.h"

AccessibleObject::AccessibleObject(HWND wnd) {
    ::CreateStdAccessibleObject(wnd, OBJID_CLIENT, __uuidof(IAccessible), m_standard.PutVoid());
}

STDMETHODIMP AccessibleObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) AccessibleObject::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }

STDMETHODIMP_(ULONG) AccessibleObject::Release() {
    const LONG left = ::InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP AccessibleObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

// Every question the derived class leaves goes to the system's object.
#define DH_THROUGH_STANDARD(call)                          \
    if (!m_standard) return RPC_E_DISCONNECTED;            \
    return m_standard->call

STDMETHODIMP AccessibleObject::get_accParent(IDispatch** parent) { DH_THROUGH_STANDARD(get_accParent(parent)); }
STDMETHODIMP AccessibleObject::get_accChildCount(long* count) { DH_THROUGH_STANDARD(get_accChildCount(count)); }
STDMETHODIMP AccessibleObject::get_accChild(VARIANT child, IDispatch** object) {
    DH_THROUGH_STANDARD(get_accChild(child, object));
}
STDMETHODIMP AccessibleObject::get_accName(VARIANT child, BSTR* name) { DH_THROUGH_STANDARD(get_accName(child, name)); }
STDMETHODIMP AccessibleObject::get_accValue(VARIANT child, BSTR* value) {
    DH_THROUGH_STANDARD(get_accValue(child, value));
}
STDMETHODIMP AccessibleObject::get_accDescription(VARIANT child, BSTR* description) {
    DH_THROUGH_STANDARD(get_accDescription(child, description));
}
STDMETHODIMP AccessibleObject::get_accRole(VARIANT child, VARIANT* role) { DH_THROUGH_STANDARD(get_accRole(child, role)); }
STDMETHODIMP AccessibleObject::get_accState(VARIANT child, VARIANT* state) {
    DH_THROUGH_STANDARD(get_accState(child, state));
}
STDMETHODIMP AccessibleObject::get_accHelp(VARIANT child, BSTR* help) { DH_THROUGH_STANDARD(get_accHelp(child, help)); }
STDMETHODIMP AccessibleObject::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    DH_THROUGH_STANDARD(get_accHelpTopic(file, child, topic));
}
STDMETHODIMP AccessibleObject::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    DH_THROUGH_STANDARD(get_accKeyboardShortcut(child, shortcut));
}
STDMETHODIMP AccessibleObject::get_accFocus(VARIANT* focus) { DH_THROUGH_STANDARD(get_accFocus(focus)); }
STDMETHODIMP AccessibleObject::get_accSelection(VARIANT* selection) {
    DH_THROUGH_STANDARD(get_accSelection(selection));
}
STDMETHODIMP AccessibleObject::get_accDefaultAction(VARIANT child, BSTR* action) {
    DH_THROUGH_STANDARD(get_accDefaultAction(child, action));
}
STDMETHODIMP AccessibleObject::accSelect(long flags, VARIANT child) { DH_THROUGH_STANDARD(accSelect(flags, child)); }
STDMETHODIMP AccessibleObject::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    DH_THROUGH_STANDARD(accLocation(left, top, width, height, child));
}
STDMETHODIMP AccessibleObject::accNavigate(long direction, VARIANT start, VARIANT* end) {
    DH_THROUGH_STANDARD(accNavigate(direction, start, end));
}
STDMETHODIMP AccessibleObject::accHitTest(long x, long y, VARIANT* child) { DH_THROUGH_STANDARD(accHitTest(x, y, child)); }
STDMETHODIMP AccessibleObject::accDoDefaultAction(VARIANT child) { DH_THROUGH_STANDARD(accDoDefaultAction(child)); }

#undef DH_THROUGH_STANDARD

ComPtr<NamedAccessible> NamedAccessible::Create(HWND wnd, std::wstring name, long role,
                                                std::function<long(long)> state) {
    ComPtr<NamedAccessible> object;
    object.Attach(new NamedAccessible(wnd, std::move(name), role, std::move(state)));
    return object;
}

namespace {
bool IsSelf(const VARIANT& child) { return V_VT(&child) == VT_I4 && V_I4(&child) == CHILDID_SELF; }
}  // namespace

STDMETHODIMP NamedAccessible::get_accName(VARIANT child, BSTR* name) {
    if (m_name.empty() || !IsSelf(child) || !Connected()) return AccessibleObject::get_accName(child, name);
    return AccessibleString(m_name, name);
}

STDMETHODIMP NamedAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!m_role || !IsSelf(child)) return AccessibleObject::get_accRole(child, role);
    if (!role) return E_POINTER;
    V_VT(role) = VT_I4;
    V_I4(role) = m_role;
    return S_OK;
}

STDMETHODIMP NamedAccessible::get_accState(VARIANT child, VARIANT* state) {
    const HRESULT hr = AccessibleObject::get_accState(child, state);
    if (FAILED(hr) || !m_state || !IsSelf(child) || V_VT(state) != VT_I4) return hr;
    V_I4(state) = m_state(V_I4(state));
    return hr;
}

void AccessibleIdentity::Set(std::wstring name, long role, std::function<long(long)> state) {
    Disconnect();  // the next question gets the new identity
    m_bSet = true;
    m_name = std::move(name);
    m_role = role;
    m_state = std::move(state);
}

LRESULT AccessibleIdentity::Answer(HWND wnd, WPARAM wParam, LPARAM lParam) {
    if (!m_bSet || static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    if (!m_object) m_object = NamedAccessible::Create(wnd, m_name, m_role, m_state);
    return AnswerGetObject(m_object.Get(), wParam, lParam);
}

void AccessibleIdentity::Disconnect() {
    if (m_object) m_object->Disconnect();
    m_object.Reset();
}

LRESULT AnswerGetObject(IAccessible* object, WPARAM wParam, LPARAM lParam) {
    if (!object || static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    return ::LresultFromObject(__uuidof(IAccessible), wParam, object);
}

HRESULT AccessibleString(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}
