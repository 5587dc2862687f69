#include "window/PhotoListWnd.h"

#include <vector>

#include "framework/Handles.h"
#include "framework/WinApp.h"

namespace {

bool IsSelf(const VARIANT& child) { return V_VT(&child) == VT_I4 && V_I4(&child) == CHILDID_SELF; }

// The child number of the photo the keys act on; the list itself when there is none.
long FocusedChild(const PhotoList& photos) {
    const int photo = photos.FocusedPhoto();
    return photo >= 0 && photo < photos.PhotoCount() ? photo + 1 : CHILDID_SELF;
}

std::vector<long> SelectedChildren(const PhotoList& photos) {
    std::vector<long> selected;
    for (int i = 0; i < photos.PhotoCount(); ++i)
        if (photos.PhotoSelected(i)) selected.push_back(i + 1);
    return selected;
}

// A list's selection when it has several items: an enumerator of their child numbers.
class ChildEnumerator final : public IEnumVARIANT {
public:
    explicit ChildEnumerator(std::vector<long> children, size_t next = 0)
        : m_children(std::move(children)), m_next(next) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IEnumVARIANT) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IEnumVARIANT*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_references)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHODIMP Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        ULONG given = 0;
        for (; given < wanted && m_next < m_children.size(); ++given, ++m_next) {
            V_VT(&out[given]) = VT_I4;
            V_I4(&out[given]) = m_children[m_next];
        }
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        if (count > m_children.size() - m_next) return S_FALSE;
        m_next += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        m_next = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        *out = new ChildEnumerator(m_children, m_next);
        return S_OK;
    }

private:
    LONG m_references = 1;
    std::vector<long> m_children;
    size_t m_next;
};

// The list: children 1 .. N are the photos, in the strip's order.
class PhotoListAccessible final : public AccessibleObject {
public:
    PhotoListAccessible(HWND wnd, const PhotoList& photos) : AccessibleObject(wnd), m_wnd(wnd), m_photos(photos) {}

    STDMETHODIMP get_accChildCount(long* count) override {
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (!count) return E_POINTER;
        *count = m_photos.PhotoCount();
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (!object) return E_POINTER;
        *object = nullptr;
        return Photo(child) >= 0 ? S_FALSE : E_INVALIDARG;  // the photos are simple items
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (IsSelf(child) || !Connected()) return AccessibleObject::get_accName(child, name);
        const int photo = Photo(child);
        if (photo < 0) return E_INVALIDARG;
        return AccessibleString(m_photos.PhotoName(photo), name);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (!role) return E_POINTER;
        if (!IsSelf(child) && Photo(child) < 0) return E_INVALIDARG;
        V_VT(role) = VT_I4;
        V_I4(role) = IsSelf(child) ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
        return S_OK;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        if (IsSelf(child) || !Connected()) return AccessibleObject::get_accState(child, state);
        if (!state) return E_POINTER;
        const int photo = Photo(child);
        if (photo < 0) return E_INVALIDARG;
        long flags = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_MULTISELECTABLE | STATE_SYSTEM_EXTSELECTABLE |
                     STATE_SYSTEM_FOCUSABLE;
        if (m_photos.PhotoSelected(photo)) flags |= STATE_SYSTEM_SELECTED;
        if (photo == m_photos.FocusedPhoto() && ::GetFocus() == m_wnd) flags |= STATE_SYSTEM_FOCUSED;
        RECT shown;
        if (!m_photos.PhotoOnScreen(photo, shown)) flags |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
        V_VT(state) = VT_I4;
        V_I4(state) = flags;
        return S_OK;
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override {
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (!focus) return E_POINTER;
        V_VT(focus) = VT_EMPTY;
        if (::GetFocus() != m_wnd) return S_FALSE;
        V_VT(focus) = VT_I4;
        V_I4(focus) = FocusedChild(m_photos);
        return S_OK;
    }
    STDMETHODIMP get_accSelection(VARIANT* selection) override {
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (!selection) return E_POINTER;
        std::vector<long> selected = SelectedChildren(m_photos);
        V_VT(selection) = VT_EMPTY;
        if (selected.empty()) return S_FALSE;
        if (selected.size() == 1) {
            V_VT(selection) = VT_I4;
            V_I4(selection) = selected[0];
            return S_OK;
        }
        V_VT(selection) = VT_UNKNOWN;
        V_UNKNOWN(selection) = new ChildEnumerator(std::move(selected));
        return S_OK;
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (IsSelf(child) || !Connected()) return AccessibleObject::accLocation(left, top, width, height, child);
        if (!left || !top || !width || !height) return E_POINTER;
        const int photo = Photo(child);
        if (photo < 0) return E_INVALIDARG;
        RECT shown{};
        const bool onScreen = m_photos.PhotoOnScreen(photo, shown);
        *left = shown.left;
        *top = shown.top;
        *width = shown.right - shown.left;
        *height = shown.bottom - shown.top;
        return onScreen ? S_OK : S_FALSE;
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
        const HRESULT hr = AccessibleObject::accHitTest(x, y, child);
        if (hr != S_OK || !IsSelf(*child)) return hr;
        for (int i = 0; i < m_photos.PhotoCount(); ++i) {
            RECT shown;
            if (m_photos.PhotoOnScreen(i, shown) && ::PtInRect(&shown, POINT{x, y})) {
                V_I4(child) = i + 1;
                break;
            }
        }
        return hr;
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!Connected()) return RPC_E_DISCONNECTED;
        if (!end) return E_POINTER;
        V_VT(end) = VT_EMPTY;
        const int count = m_photos.PhotoCount();
        long to = 0;
        if (IsSelf(start)) {
            if (direction == NAVDIR_FIRSTCHILD) to = count > 0 ? 1 : 0;
            else if (direction == NAVDIR_LASTCHILD) to = count;
            else return AccessibleObject::accNavigate(direction, start, end);
        } else {
            const int photo = Photo(start);
            if (photo < 0) return E_INVALIDARG;
            if (direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT) to = photo + 2 <= count ? photo + 2 : 0;
            else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT) to = photo;
            else return S_FALSE;
        }
        if (to <= 0) return S_FALSE;
        V_VT(end) = VT_I4;
        V_I4(end) = to;
        return S_OK;
    }

private:
    // The photo a child number names, or -1.
    int Photo(const VARIANT& child) const {
        if (V_VT(&child) != VT_I4) return -1;
        const long id = V_I4(&child);
        return id >= 1 && id <= m_photos.PhotoCount() ? static_cast<int>(id - 1) : -1;
    }

    HWND m_wnd;
    const PhotoList& m_photos;
};

}  // namespace

BOOL CPhotoListWnd::Create(const RECT& rect, CWnd* parent, UINT id) {
    // No background brush: the camera window's paint shows through.
    static const LPCWSTR windowClass = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, nullptr);
    return CreateEx(WS_EX_TRANSPARENT, windowClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, parent->m_hWnd,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

const MessageMap* CPhotoListWnd::GetMessageMap() const {
    using Self = CPhotoListWnd;
    static const MessageEntry entries[] = {
        OnMessage<WM_NCHITTEST, Self, &Self::OnNcHitTest>(),
        OnMessage<WM_ERASEBKGND, Self, &Self::OnEraseBackground>(),
        OnMessage<WM_PAINT, Self, &Self::OnPaint>(),
        OnMessage<WM_SETFOCUS, Self, &Self::OnFocusChange>(),
        OnMessage<WM_KILLFOCUS, Self, &Self::OnFocusChange>(),
        OnMessage<WM_GETOBJECT, Self, &Self::OnGetObject>(),
        OnMessage<WM_DESTROY, Self, &Self::OnDestroy>(),
    };
    static const MessageMap map = MakeMessageMap(CWnd::GetMessageMap(), entries);
    return &map;
}

// The camera window beneath takes every mouse message, as if this window were not there.
LRESULT CPhotoListWnd::OnNcHitTest(WPARAM, LPARAM) { return HTTRANSPARENT; }

LRESULT CPhotoListWnd::OnEraseBackground(WPARAM, LPARAM) { return TRUE; }

LRESULT CPhotoListWnd::OnPaint(WPARAM, LPARAM) {
    PaintDC dc(m_hWnd);  // nothing to draw: the camera window paints the strip
    return 0;
}

// The camera window draws the focus rectangle only while the strip has the focus.
LRESULT CPhotoListWnd::OnFocusChange(WPARAM, LPARAM) {
    if (CWnd* parent = GetParent()) parent->InvalidateRect(nullptr, FALSE);
    AnnounceFocus();
    return Default();
}

LRESULT CPhotoListWnd::OnGetObject(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return Default();
    if (!m_accessible) m_accessible.Attach(new PhotoListAccessible(m_hWnd, m_photos));
    return AnswerGetObject(m_accessible.Get(), wParam, lParam);
}

CPhotoListWnd::~CPhotoListWnd() {
    if (m_accessible) m_accessible->Disconnect();
}

LRESULT CPhotoListWnd::OnDestroy(WPARAM, LPARAM) {
    if (m_accessible) m_accessible->Disconnect();
    m_accessible.Reset();
    return Default();
}

void CPhotoListWnd::AnnounceFocus() const {
    if (::GetFocus() != m_hWnd) return;
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWnd, OBJID_CLIENT, FocusedChild(m_photos));
}

void CPhotoListWnd::AnnounceSelection() const {
    const std::vector<long> selected = SelectedChildren(m_photos);
    if (selected.size() == 1)
        ::NotifyWinEvent(EVENT_OBJECT_SELECTION, m_hWnd, OBJID_CLIENT, selected[0]);
    else
        ::NotifyWinEvent(EVENT_OBJECT_SELECTIONWITHIN, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
}

void CPhotoListWnd::AnnounceListChanged() const {
    ::NotifyWinEvent(EVENT_OBJECT_REORDER, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
}
