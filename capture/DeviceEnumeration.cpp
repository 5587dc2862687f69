#include "capture/DeviceEnumeration.h"

#include <cwchar>
#include <uuids.h>
#include <amvideo.h>

#include "capture/PinHelpers.h"
#include "framework/ScopedVariant.h"
#include "capture/SizeRule.h"
#include "components/filterkit/MediaType.h"
#include "framework/ComPtr.h"

namespace {

// S_FALSE with a null enumerator when the category is empty.
HRESULT OpenCategory(const GUID& category, ComPtr<IEnumMoniker>& monikers) {
    ComPtr<ICreateDevEnum> devices;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ICreateDevEnum, devices.PutVoid());
    if (FAILED(hr)) return hr;
    hr = devices->CreateClassEnumerator(category, monikers.Put(), 0);
    if (FAILED(hr)) return hr;
    return monikers ? S_OK : S_FALSE;
}

// A property that does not hold a string (or a null one) counts as missing.
bool ReadString(IPropertyBag* bag, const wchar_t* name, ScopedVariant& value) {
    if (FAILED(bag->Read(name, value.Get(), nullptr))) return false;
    return value.String() != nullptr;
}

bool ReadProperty(IPropertyBag* bag, const wchar_t* name, ScopedVariant& value) {
    return SUCCEEDED(bag->Read(name, value.Get(), nullptr));
}

}  // namespace

HRESULT EnumerateCategory(const GUID& category, std::vector<std::wstring>& names) {
    ComPtr<IEnumMoniker> monikers;
    HRESULT hr = OpenCategory(category, monikers);
    if (hr != S_OK) return hr;
    names.clear();
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.Put(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid())) || !bag)
            continue;
        ScopedVariant friendlyName;
        if (!ReadString(bag.Get(), L"FriendlyName", friendlyName)) continue;
        ScopedVariant devicePath;
        if (!ReadProperty(bag.Get(), L"DevicePath", devicePath)) continue;
        names.emplace_back(friendlyName.String());
    }
    return S_OK;
}

HRESULT FindDeviceFilter(const wchar_t* friendlyName, IBaseFilter** filter, bool video) {
    if (filter) *filter = nullptr;
    if (!friendlyName || !filter) return E_POINTER;
    ComPtr<IEnumMoniker> monikers;
    HRESULT hr = OpenCategory(video ? CLSID_VideoInputDeviceCategory : CLSID_AudioInputDeviceCategory,
                              monikers);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE) return E_FAIL;
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.Put(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid())) || !bag)
            continue;
        ScopedVariant name;
        if (!ReadString(bag.Get(), L"FriendlyName", name)) continue;
        if (std::wcscmp(name.String(), friendlyName) == 0)
            return moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                         reinterpret_cast<void**>(filter));
    }
    return E_FAIL;
}

namespace {

constexpr ULONG kStreamCapsSize = 128;
static_assert(sizeof(VIDEO_STREAM_CONFIG_CAPS) == kStreamCapsSize, "capability layout");

bool CapsAllow(const VIDEO_STREAM_CONFIG_CAPS& caps, int width, int height) {
    CapabilityRange range;
    range.minWidth = caps.MinOutputSize.cx;
    range.minHeight = caps.MinOutputSize.cy;
    range.maxWidth = caps.MaxOutputSize.cx;
    range.maxHeight = caps.MaxOutputSize.cy;
    range.granularityX = caps.OutputGranularityX;
    range.granularityY = caps.OutputGranularityY;
    return CapabilityAllowsSize(range, width, height);
}

HRESULT CapabilitiesOffer(IAMStreamConfig* config, int width, int height) {
    int count = 0;
    int size = 0;
    HRESULT hr = config->GetNumberOfCapabilities(&count, &size);
    if (FAILED(hr)) return hr;
    if (size != static_cast<int>(kStreamCapsSize)) return E_FAIL;
    for (int i = 0; i < count; ++i) {
        filterkit::MediaType type;
        VIDEO_STREAM_CONFIG_CAPS caps{};
        if (FAILED(config->GetStreamCaps(i, type.Put(), reinterpret_cast<BYTE*>(&caps)))) continue;
        if (CapsAllow(caps, width, height)) return S_OK;
    }
    return S_FALSE;
}

// Only the width is compared; the height merely has to be nonzero.
HRESULT MediaTypesOffer(IPin* pin, int width) {
    ComPtr<IEnumMediaTypes> types;
    HRESULT hr = pin->EnumMediaTypes(types.Put());
    if (FAILED(hr)) return hr;
    if (!types) return S_FALSE;
    filterkit::MediaType type;
    while (types->Next(1, type.Put(), nullptr) == S_OK) {
        const BITMAPINFOHEADER* header = filterkit::VideoBitmapHeader(type.Get());
        if (header && header->biWidth == width && header->biHeight != 0) return S_OK;
    }
    return S_FALSE;
}

}  // namespace

HRESULT IsSizeSupported(IBaseFilter* source, int width, int height) {
    if (!source) return E_POINTER;
    ComPtr<IPin> pin;
    HRESULT hr = FindPinByMajorType(source, MEDIATYPE_Video, pin.Put());
    if (FAILED(hr)) return hr;
    ComPtr<IAMStreamConfig> config;
    if (SUCCEEDED(pin.As(config)) && config) return CapabilitiesOffer(config.Get(), width, height);
    return MediaTypesOffer(pin.Get(), width);
}
