#pragma once
// The camera's property page: two check boxes, "Flip" and "Low light", for bits 0 and 1 of
// the camera byte at 0x0400. A click is applied to the camera at once (Wine's property
// frame may never call Apply), so the page is never dirty. The camera filter names it
// through ISpecifyPropertyPages, so that a property frame opened on the camera always has a
// real page (with none, Wine's frame opens empty and never closes).
#include <windows.h>
#include <ocidl.h>

#include <atomic>

#include "components/filterkit/LiveObjects.h"
#include "framework/ComPtr.h"

namespace camera {

// {3E1C7B5A-9D24-4C61-8F0E-5B7A2D9C1E46}
inline constexpr CLSID CLSID_CameraPropertyPage = {0x3e1c7b5a, 0x9d24, 0x4c61, {0x8f, 0x0e, 0x5b, 0x7a, 0x2d, 0x9c, 0x1e, 0x46}};

inline constexpr int kFlipBoxId = 101;
inline constexpr int kLowLightBoxId = 102;

class CameraPropertyPage final : public IPropertyPage, public filterkit::LiveObject {
public:
    CameraPropertyPage() = default;
    ~CameraPropertyPage();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT command) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override { return S_FALSE; }
    STDMETHODIMP Apply() override { return S_OK; }
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnClick(int id);

    std::atomic<ULONG> m_refs{1};
    ComPtr<IPropertyPageSite> m_site;
    HWND m_window = nullptr;  // destroyed by Deactivate (or the destructor)
};

}  // namespace camera
