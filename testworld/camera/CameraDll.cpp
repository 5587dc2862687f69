// Entry points of "VirtualCamera.dll": the COM class of the camera filter and its
// registration as one or more video input devices (see CameraRegistry.h for the settings).
#include <windows.h>
#include <oleauto.h>
#include <strmif.h>
#include <uuids.h>

#include <iterator>
#include <string>

#include "testworld/camera/CameraFilter.h"
#include "testworld/camera/CameraPropertyPage.h"
#include "components/filterkit/DllServer.h"
#include "components/filterkit/Registration.h"
#include "framework/ComPtr.h"

namespace {

const filterkit::ClassEntry kClasses[] = {
    {&camera::CLSID_VirtualCamera, &filterkit::CreateAndQuery<camera::CameraFilter>},
    {&camera::CLSID_CameraPropertyPage, &filterkit::CreateAndQuery<camera::CameraPropertyPage>},
};

const REGPINTYPES kVideoTypes[] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
};

std::wstring InstanceName(DWORD index) { return L"DelmHalvoVirtualCamera" + std::to_wstring(index); }

// A path of the form USB device interfaces have; one instance number per device.
std::wstring DevicePath(DWORD index) {
    return L"\\\\?\\usb#vid_0c45&pid_62c0&mi_00#7&2a1f3b0&0&000" + std::to_wstring(index) +
           L"#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
}

HRESULT WriteDevicePath(IMoniker* moniker, const std::wstring& path) {
    ComPtr<IPropertyBag> bag;
    HRESULT hr = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid());
    if (FAILED(hr)) return hr;
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocString(path.c_str());
    if (!value.bstrVal) return E_OUTOFMEMORY;
    hr = bag->Write(L"DevicePath", &value);
    ::VariantClear(&value);
    return hr;
}

HRESULT UnregisterDevices() {
    HRESULT result = S_OK;
    for (DWORD i = 0; i < camera::kMaxDevices; ++i) {
        const HRESULT hr = filterkit::UnregisterFilterInCategory(camera::CLSID_VirtualCamera,
                                                                 CLSID_VideoInputDeviceCategory, InstanceName(i).c_str());
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    return result;
}

// Devices of an earlier registration that the settings no longer ask for are removed.
HRESULT Register() {
    const camera::RegistrationSettings settings = camera::ReadRegistrationSettings();
    HRESULT hr = filterkit::RegisterComClass(camera::CLSID_VirtualCamera, settings.friendlyName.c_str());
    if (FAILED(hr)) return hr;
    hr = filterkit::RegisterComClass(camera::CLSID_CameraPropertyPage, L"Delm Halvo Virtual Camera Page");
    if (FAILED(hr)) return hr;
    UnregisterDevices();

    REGFILTERPINS2 pins[2] = {};
    pins[0].dwFlags = REG_PINFLAG_B_OUTPUT;
    pins[0].cInstances = 1;
    pins[0].nMediaTypes = sizeof(kVideoTypes) / sizeof(kVideoTypes[0]);
    pins[0].lpMediaType = kVideoTypes;
    pins[0].clsPinCategory = &PIN_CATEGORY_CAPTURE;
    pins[1] = pins[0];
    pins[1].clsPinCategory = &PIN_CATEGORY_STILL;
    REGFILTER2 description = {};
    description.dwVersion = 2;
    description.dwMerit = MERIT_DO_NOT_USE;
    description.cPins2 = 2;
    description.rgPins2 = pins;

    for (DWORD i = 0; i < settings.devices; ++i) {
        ComPtr<IMoniker> moniker;
        hr = filterkit::RegisterFilterInCategory(camera::CLSID_VirtualCamera, settings.friendlyName.c_str(),
                                                 CLSID_VideoInputDeviceCategory, InstanceName(i).c_str(), description,
                                                 moniker.Put());
        if (FAILED(hr)) return hr;
        if (!settings.noDevicePath) {
            if (!moniker) return E_FAIL;
            hr = WriteDevicePath(moniker.Get(), DevicePath(i));
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT Unregister() {
    const HRESULT hr = UnregisterDevices();
    filterkit::UnregisterComClass(camera::CLSID_CameraPropertyPage);
    const HRESULT hr2 = filterkit::UnregisterComClass(camera::CLSID_VirtualCamera);
    return FAILED(hr) ? hr : hr2;
}

}  // namespace

const filterkit::DllServer filterkit::kDllServer{kClasses, std::size(kClasses), &Register, &Unregister};
