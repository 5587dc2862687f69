#include "testworld/camera/CameraPropertyPage.h"

#include <cstring>

#include "testworld/camera/CameraRegistry.h"

namespace camera {
namespace {

constexpr wchar_t kPageClass[] = L"DelmHalvoVirtualCameraPage";
constexpr unsigned kControlAddress = 0x0400;
constexpr BYTE kFlipBit = 0x01, kLowLightBit = 0x02;
const SIZE kPageSize = {220, 90};

HMODULE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

bool RegisterPageClass() {
    WNDCLASSW wc = {};
    if (::GetClassInfoW(ThisModule(), kPageClass, &wc)) return true;
    wc.lpfnWndProc = ::DefWindowProcW;  // replaced per window below
    wc.hInstance = ThisModule();
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPageClass;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    return ::RegisterClassW(&wc) != 0;
}

// OLE strings handed to the frame, freed by it.
LPOLESTR CoString(const wchar_t* text) {
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (copy) std::memcpy(copy, text, bytes);
    return copy;
}

}  // namespace

CameraPropertyPage::~CameraPropertyPage() {
    if (m_window) ::DestroyWindow(m_window);
}

STDMETHODIMP CameraPropertyPage::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPropertyPage) return E_NOINTERFACE;
    *out = static_cast<IPropertyPage*>(this);
    AddRef();
    return S_OK;
}
STDMETHODIMP_(ULONG) CameraPropertyPage::AddRef() { return ++m_refs; }
STDMETHODIMP_(ULONG) CameraPropertyPage::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP CameraPropertyPage::SetPageSite(IPropertyPageSite* site) {
    m_site = ComPtr<IPropertyPageSite>(site);
    return S_OK;
}

STDMETHODIMP CameraPropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (m_window) return E_UNEXPECTED;
    if (!RegisterPageClass()) return HRESULT_FROM_WIN32(::GetLastError());
    const RECT area = rect ? *rect : RECT{0, 0, kPageSize.cx, kPageSize.cy};
    m_window = ::CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS, area.left, area.top,
                                 area.right - area.left, area.bottom - area.top, parent, nullptr, ThisModule(), nullptr);
    if (!m_window) return HRESULT_FROM_WIN32(::GetLastError());
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CameraPropertyPage::WindowProc));
    const BYTE state = static_cast<BYTE>(ReadControlByte(kControlAddress));
    const struct {
        int id;
        const wchar_t* text;
        bool on;
    } boxes[] = {{kFlipBoxId, L"Flip", (state & kFlipBit) != 0}, {kLowLightBoxId, L"Low light", (state & kLowLightBit) != 0}};
    int y = 10;
    for (const auto& box : boxes) {
        HWND control = ::CreateWindowExW(0, L"BUTTON", box.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 10,
                                         y, 180, 24, m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(box.id)),
                                         ThisModule(), nullptr);
        if (control) ::SendMessageW(control, BM_SETCHECK, box.on ? BST_CHECKED : BST_UNCHECKED, 0);
        y += 30;
    }
    return S_OK;
}

STDMETHODIMP CameraPropertyPage::Deactivate() {
    if (!m_window) return E_UNEXPECTED;
    ::DestroyWindow(m_window);
    m_window = nullptr;
    return S_OK;
}

STDMETHODIMP CameraPropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    std::memset(info, 0, sizeof(*info));
    info->cb = sizeof(*info);
    info->pszTitle = CoString(L"Camera");
    info->size = kPageSize;
    return info->pszTitle ? S_OK : E_OUTOFMEMORY;
}

// The page acts on the camera's state store, not on a particular object.
STDMETHODIMP CameraPropertyPage::SetObjects(ULONG count, IUnknown** objects) {
    if (count && !objects) return E_POINTER;
    return S_OK;
}

STDMETHODIMP CameraPropertyPage::Show(UINT command) {
    if (!m_window) return E_UNEXPECTED;
    ::ShowWindow(m_window, command);
    return S_OK;
}

STDMETHODIMP CameraPropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (!m_window) return E_UNEXPECTED;
    ::MoveWindow(m_window, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

void CameraPropertyPage::OnClick(int id) {
    const BYTE bit = id == kFlipBoxId ? kFlipBit : kLowLightBit;
    const bool on = ::IsDlgButtonChecked(m_window, id) == BST_CHECKED;
    BYTE state = static_cast<BYTE>(ReadControlByte(kControlAddress));
    state = on ? static_cast<BYTE>(state | bit) : static_cast<BYTE>(state & ~bit);
    WriteControlByte(kControlAddress, state);
}

LRESULT CALLBACK CameraPropertyPage::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<CameraPropertyPage*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (page && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        (LOWORD(wParam) == kFlipBoxId || LOWORD(wParam) == kLowLightBoxId)) {
        page->OnClick(LOWORD(wParam));
        return 0;
    }
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace camera
