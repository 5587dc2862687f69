#include "utility/CameraAccess.h"

#include <dshow.h>
#include <ks.h>
#include <ksproxy.h>
#include <olectl.h>

#include <cstring>
#include <string>

#include "framework/Handles.h"
#include "framework/ScopedVariant.h"
#include "framework/Trace.h"
#include "utility/DeviceMatch.h"
#include "utility/PropertyBlocks.h"
#include "utility/WindowLookup.h"

namespace utility {

namespace {

constexpr DWORD kLevelPauseMs = 100;
constexpr wchar_t kArea[] = L"camera";
// mingw-w64 declares IKsControl without its identifier.
constexpr IID kIID_IKsControl = {0x28f54685, 0x06fd, 0x11d2, {0xb2, 0x7a, 0x00, 0xa0, 0xc9, 0x22, 0x31, 0x96}};

GUID ToGuid(const Guid& guid) {
    const GuidBytes bytes = EncodeGuid(guid);
    GUID result;
    static_assert(sizeof(result) == sizeof(bytes), "GUID layout");
    std::memcpy(&result, bytes.data(), sizeof(result));
    return result;
}

// The property's text converted to ANSI and cut to `limit` bytes; empty when it is absent.
std::string ReadAnsiProperty(IPropertyBag& bag, const wchar_t* name, size_t limit) {
    ScopedVariant value;
    if (FAILED(bag.Read(name, value.Get(), nullptr)) || !value.String()) return {};
    const int needed = ::WideCharToMultiByte(CP_ACP, 0, value.String(), -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 1) return {};
    std::string text(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, value.String(), -1, text.data(), needed, nullptr, nullptr);
    text.resize(std::min(static_cast<size_t>(needed - 1), limit));
    return text;
}

// Walks the video input devices in order and binds the first one that `matches` and binds.
template <typename Matches>
ComPtr<IBaseFilter> BindFirstDevice(Matches matches) {
    ComPtr<ICreateDevEnum> devices;
    HRESULT hr = ::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                    devices.PutVoid());
    if (FAILED(hr)) {
        TraceFailure(kArea, L"create the system device enumerator", hr);
        return {};
    }
    ComPtr<IEnumMoniker> monikers;
    hr = devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0);
    if (hr != S_OK || !monikers) {
        TraceFailure(kArea, L"list the video input devices (there are none)", FAILED(hr) ? hr : E_FAIL);
        return {};
    }
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.Put(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid())) || !matches(*bag.Get()))
            continue;
        ComPtr<IBaseFilter> filter;
        hr = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid());
        if (SUCCEEDED(hr)) return filter;
        TraceFailure(kArea, L"bind the camera", hr);
    }
    TraceFailure(kArea, L"find the driver's camera among the video input devices", E_FAIL);
    return {};
}

// One standard-driver property through IKsPropertySet: the 40-byte block is both the
// instance data and the property data.
int32_t StdPropertyCall(IBaseFilter* camera, uint32_t number, PropertyAccess access, int32_t value) {
    if (!camera) return -1;
    ComPtr<IKsPropertySet> properties;
    if (FAILED(camera->QueryInterface(IID_IKsPropertySet, properties.PutVoid()))) {
        TraceFailure(kArea, L"query the camera's property set", E_NOINTERFACE);
        return -1;
    }
    const GUID set = ToGuid(kStdPropertySet);
    StdPropertyBlock instance = EncodeStdPropertyBlock(number, access, value);
    StdPropertyBlock data = instance;
    HRESULT hr;
    if (access == PropertyAccess::Set) {
        hr = properties->Set(set, number, instance.data(), instance.size(), data.data(), data.size());
    } else {
        DWORD returned = 0;
        hr = properties->Get(set, number, instance.data(), instance.size(), data.data(), data.size(), &returned);
    }
    if (FAILED(hr)) {
        TraceLine(L"%ls: %ls the camera's property %u failed (hr 0x%08lX)", kArea,
                  access == PropertyAccess::Set ? L"set" : L"get", static_cast<unsigned>(number),
                  static_cast<unsigned long>(hr));
        return -1;
    }
    return access == PropertyAccess::Set ? 1 : DecodeStdPropertyValue(data);
}

HRESULT ExtensionUnitCall(IKsControl& control, PropertyAccess access, ExtensionUnitData& data) {
    ExtensionUnitRequest request = EncodeExtensionUnitRequest(access);
    ULONG returned = 0;
    return control.KsProperty(reinterpret_cast<PKSPROPERTY>(request.data()), request.size(), data.data(), data.size(),
                              &returned);
}

HRESULT FallbackCall(IKsPropertySet& properties, uint32_t number, PropertyAccess access, FallbackBlock& block) {
    const GUID set = ToGuid(kByteFallbackSet);
    FallbackBlock instance = block;
    if (access == PropertyAccess::Set)
        return properties.Set(set, number, instance.data(), instance.size(), block.data(), block.size());
    DWORD returned = 0;
    return properties.Get(set, number, instance.data(), instance.size(), block.data(), block.size(), &returned);
}

// UVC mode: reads the control byte, writes what `toggle` makes of it, and returns the byte
// written; nothing when no camera is bound or the read fails.
template <typename Toggle>
std::optional<uint8_t> ToggleControlByte(IBaseFilter* camera, Toggle toggle) {
    if (!camera) return std::nullopt;
    const std::optional<uint8_t> value = ReadControlByte(camera, kFlipLowLightAddress);
    if (!value) return std::nullopt;
    const uint8_t written = toggle(*value);
    WriteControlByte(camera, kFlipLowLightAddress, written);
    return written;
}

}  // namespace

ComPtr<IBaseFilter> BindCamera(const DriverContext& driver) {
    // Balanced here; the program's own CoInitialize keeps the apartment for the filter.
    ScopedCoInitialize com;
    if (driver.kind == DriverKind::Uvc) {
        return BindFirstDevice([](IPropertyBag& bag) {
            return IsUvcDevicePath(ReadAnsiProperty(bag, L"DevicePath", kDevicePathLimit));
        });
    }
    const std::optional<std::string> description = ReadDriverDesc(driver.registry, driver.access);
    if (!description) return {};
    return BindFirstDevice([&](IPropertyBag& bag) {
        return MatchesDriverDesc(ReadAnsiProperty(bag, L"FriendlyName", kFriendlyNameLimit), *description);
    });
}

int32_t GetStdProperty(IBaseFilter* camera, uint32_t number) {
    return StdPropertyCall(camera, number, PropertyAccess::Get, 0);
}

int32_t SetStdProperty(IBaseFilter* camera, uint32_t number, int32_t value) {
    return StdPropertyCall(camera, number, PropertyAccess::Set, value);
}

std::optional<uint8_t> ReadControlByte(IBaseFilter* camera, uint16_t address) {
    ComPtr<IKsControl> control;
    if (SUCCEEDED(camera->QueryInterface(kIID_IKsControl, control.PutVoid()))) {
        ExtensionUnitData select = EncodeExtensionUnitData(address, kExtensionUnitSelectForRead);
        ExtensionUnitData answer{};
        if (SUCCEEDED(ExtensionUnitCall(*control.Get(), PropertyAccess::Set, select)) &&
            SUCCEEDED(ExtensionUnitCall(*control.Get(), PropertyAccess::Get, answer)))
            return DecodeExtensionUnitByte(answer);
    }
    ComPtr<IKsPropertySet> properties;
    FallbackBlock select = EncodeFallbackBlock(PropertyAccess::Set, address);
    FallbackBlock answer = EncodeFallbackBlock(PropertyAccess::Get, address);
    if (FAILED(camera->QueryInterface(IID_IKsPropertySet, properties.PutVoid())) ||
        FAILED(FallbackCall(*properties.Get(), kFallbackReadProperty, PropertyAccess::Set, select)) ||
        FAILED(FallbackCall(*properties.Get(), kFallbackReadProperty, PropertyAccess::Get, answer))) {
        TraceFailure(kArea, L"read the camera's control byte, through the extension unit and the fallback", E_FAIL);
        return std::nullopt;
    }
    return DecodeFallbackByte(answer);
}

void WriteControlByte(IBaseFilter* camera, uint16_t address, uint8_t value) {
    ComPtr<IKsControl> control;
    if (SUCCEEDED(camera->QueryInterface(kIID_IKsControl, control.PutVoid()))) {
        ExtensionUnitData data = EncodeExtensionUnitData(address, value);
        if (SUCCEEDED(ExtensionUnitCall(*control.Get(), PropertyAccess::Set, data))) return;
    }
    ComPtr<IKsPropertySet> properties;
    FallbackBlock block = EncodeFallbackBlock(PropertyAccess::Set, address, value);
    if (FAILED(camera->QueryInterface(IID_IKsPropertySet, properties.PutVoid())) ||
        FAILED(FallbackCall(*properties.Get(), kFallbackWriteProperty, PropertyAccess::Set, block)))
        TraceFailure(kArea, L"write the camera's control byte, through the extension unit and the fallback", E_FAIL);
}

CameraStates ReadCameraStates(const DriverContext& driver) {
    ComPtr<IBaseFilter> camera = BindCamera(driver);
    if (driver.kind == DriverKind::Uvc) {
        if (!camera) return {};
        const std::optional<uint8_t> value = ReadControlByte(camera.Get(), kFlipLowLightAddress);
        return value ? DecodeControlByte(*value) : CameraStates{};
    }
    const int32_t property1 = GetStdProperty(camera.Get(), kStdFlipPropertyA);
    const int32_t property0 = GetStdProperty(camera.Get(), kStdFlipPropertyB);
    return StdCameraStates(property0, property1, GetStdProperty(camera.Get(), kStdLowLightProperty));
}

std::optional<bool> ToggleFlip(const DriverContext& driver) {
    ComPtr<IBaseFilter> camera = BindCamera(driver);
    if (driver.kind == DriverKind::Uvc) {
        const std::optional<uint8_t> written = ToggleControlByte(camera.Get(), ToggleFlipByte);
        if (!written) return std::nullopt;
        return DecodeControlByte(*written).flip;
    }
    const int32_t flipA = ToggleStdSwitch(GetStdProperty(camera.Get(), kStdFlipPropertyA));
    SetStdProperty(camera.Get(), kStdFlipPropertyA, flipA);
    SetStdProperty(camera.Get(), kStdFlipPropertyB, ToggleStdSwitch(GetStdProperty(camera.Get(), kStdFlipPropertyB)));
    return flipA == 1;
}

std::optional<bool> ToggleLowLight(const DriverContext& driver) {
    ComPtr<IBaseFilter> camera = BindCamera(driver);
    if (driver.kind == DriverKind::Uvc) {
        const std::optional<uint8_t> written = ToggleControlByte(camera.Get(), ToggleLowLightByte);
        if (!written) return std::nullopt;
        return DecodeControlByte(*written).lowLight;
    }
    const int32_t lowLight = GetStdProperty(camera.Get(), kStdLowLightProperty);
    const StdLowLightToggle toggle = ToggleStdLowLight(lowLight, GetStdProperty(camera.Get(), kStdLevelProperty));
    SetStdProperty(camera.Get(), kStdLowLightProperty, toggle.lowLightValue);
    for (size_t i = 0; i < toggle.levels.size(); ++i) {
        if (i > 0) ::Sleep(kLevelPauseMs);
        SetStdProperty(camera.Get(), kStdLevelProperty, toggle.levels[i]);
    }
    return toggle.lowLightOn;
}

void OpenPropertyFrame(const DriverContext& driver, int offset) {
    const bool standard = driver.kind != DriverKind::Uvc;
    ComPtr<IBaseFilter> camera = BindCamera(driver);
    if (!camera) return;
    ComPtr<ISpecifyPropertyPages> specify;
    if (FAILED(camera.As(specify))) {
        TraceFailure(kArea, L"query the camera's property pages", E_NOINTERFACE);
        return;
    }
    CAUUID pages{};
    HRESULT hr = specify->GetPages(&pages);
    if (FAILED(hr)) {
        TraceFailure(kArea, L"get the camera's property pages", hr);
        return;
    }
    UniqueCoTaskMem<GUID> pageList;
    pageList.Reset(pages.pElems);

    HWND owner = ::FindWindowA(nullptr, kPropertyFrameOwnerTitle);
    const int position = standard && owner ? 0 : offset;
    IUnknown* objects[] = {camera.Get()};
    hr = ::OleCreatePropertyFrame(owner, position, position, kPropertyFrameCaption, 1, objects, pages.cElems,
                                  pageList.Get(), 0, 0, nullptr);
    if (FAILED(hr)) TraceFailure(kArea, L"open the property frame", hr);
}

}  // namespace utility
