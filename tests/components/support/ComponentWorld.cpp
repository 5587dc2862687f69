#include "tests/components/support/ComponentWorld.h"

#include <gtest/gtest.h>

#include "testworld/camera/CameraFilter.h"
#include "testworld/camera/CameraRegistry.h"
#include "components/effect/EffectFilterInterfaces.h"
#include "components/filterkit/MediaType.h"

namespace components_test {

namespace {
template <typename F>
F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
}  // namespace

ComponentDll::ComponentDll(const wchar_t* fileName) : m_module(::LoadLibraryW(fileName)) {}

HRESULT ComponentDll::Register() const {
    auto entry = Export<HRESULT(STDAPICALLTYPE*)()>(m_module.Get(), "DllRegisterServer");
    return entry ? entry() : E_NOTIMPL;
}

HRESULT ComponentDll::Unregister() const {
    auto entry = Export<HRESULT(STDAPICALLTYPE*)()>(m_module.Get(), "DllUnregisterServer");
    return entry ? entry() : E_NOTIMPL;
}

long ComponentDll::LiveObjects() const {
    auto entry = Export<LONG(STDAPICALLTYPE*)()>(m_module.Get(), "FilterKitLiveObjects");
    return entry ? entry() : -1;
}

ComponentDll& EffectDll() {
    static ComponentDll dll(L"KorvEffect.ax");
    return dll;
}

ComponentDll& CameraDll() {
    static ComponentDll dll(L"VirtualCamera.dll");
    return dll;
}

ComponentDll& DecompressorDll() {
    static ComponentDll dll(L"MjpegDecompressor.ax");
    return dll;
}

CameraSettings::CameraSettings() { Clear(); }
CameraSettings::~CameraSettings() { Clear(); }

void CameraSettings::Clear() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, camera::kCameraKeyPath); }

void CameraSettings::Set(const wchar_t* name, DWORD value) {
    UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, camera::kCameraKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                key.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
              ERROR_SUCCESS);
}

void CameraSettings::Set(const wchar_t* name, const wchar_t* value) {
    UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, camera::kCameraKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                key.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                               static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

namespace {

bool ReadBagString(IPropertyBag* bag, const wchar_t* name, std::wstring& out) {
    VARIANT value;
    ::VariantInit(&value);
    const bool ok = SUCCEEDED(bag->Read(name, &value, nullptr)) && value.vt == VT_BSTR && value.bstrVal;
    if (ok) out = value.bstrVal;
    ::VariantClear(&value);
    return ok;
}

}  // namespace

std::vector<DeviceEntry> ListVideoDevices() {
    std::vector<DeviceEntry> devices;
    ComPtr<ICreateDevEnum> enumerator;
    if (FAILED(::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  enumerator.PutVoid())))
        return devices;
    ComPtr<IEnumMoniker> monikers;
    if (enumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0) != S_OK || !monikers)
        return devices;
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.Put(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) continue;
        DeviceEntry entry;
        if (!ReadBagString(bag.Get(), L"FriendlyName", entry.friendlyName)) continue;
        entry.hasDevicePath = ReadBagString(bag.Get(), L"DevicePath", entry.devicePath);
        entry.moniker = moniker;
        devices.push_back(std::move(entry));
    }
    return devices;
}

ComPtr<IBaseFilter> BindVirtualCamera() {
    ComPtr<IBaseFilter> filter;
    for (const DeviceEntry& device : ListVideoDevices()) {
        if (device.friendlyName != camera::kDefaultFriendlyName) continue;
        if (SUCCEEDED(device.moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid()))) break;
    }
    return filter;
}

ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION direction, int index) {
    ComPtr<IPin> result;
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(pins.Put()))) return result;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction && index-- == 0) return pin;
    }
    return result;
}

HRESULT SetCaptureSize(IBaseFilter* camera, int width, int height) {
    ComPtr<IPin> pin = FindPin(camera, PINDIR_OUTPUT, 0);
    ComPtr<IAMStreamConfig> config;
    HRESULT hr = pin.As(config);
    if (FAILED(hr)) return hr;
    AM_MEDIA_TYPE* mt = nullptr;
    hr = config->GetFormat(&mt);
    if (FAILED(hr)) return hr;
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
    vih->bmiHeader.biWidth = width;
    vih->bmiHeader.biHeight = height;
    hr = config->SetFormat(mt);
    filterkit::DeleteMediaType(mt);
    return hr;
}

HRESULT PreviewGraph::Build(int width, int height, IBaseFilter* renderer) {
    HRESULT hr = ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid());
    if (FAILED(hr)) return hr;
    camera = BindVirtualCamera();
    if (!camera) return E_FAIL;
    hr = graph->AddFilter(camera.Get(), L"Video Capture");
    if (FAILED(hr)) return hr;
    if (width && height) {
        hr = SetCaptureSize(camera.Get(), width, height);
        if (FAILED(hr)) return hr;
    }
    hr = ::CoCreateInstance(CLSID_EffectFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, effect.PutVoid());
    if (FAILED(hr)) return hr;
    hr = graph->AddFilter(effect.Get(), nullptr);
    if (FAILED(hr)) return hr;
    hr = graph->Connect(FindPin(camera.Get(), PINDIR_OUTPUT, 0).Get(), FindPin(effect.Get(), PINDIR_INPUT, 0).Get());
    if (FAILED(hr)) return hr;
    if (!renderer) return graph->Render(FindPin(effect.Get(), PINDIR_OUTPUT, 0).Get());
    hr = graph->AddFilter(renderer, L"Renderer");
    if (FAILED(hr)) return hr;
    return graph->Connect(FindPin(effect.Get(), PINDIR_OUTPUT, 0).Get(), FindPin(renderer, PINDIR_INPUT, 0).Get());
}

HRESULT PreviewGraph::Run() {
    ComPtr<IMediaControl> control;
    HRESULT hr = graph.As(control);
    return FAILED(hr) ? hr : control->Run();
}

HRESULT PreviewGraph::Stop() {
    ComPtr<IMediaControl> control;
    HRESULT hr = graph.As(control);
    return FAILED(hr) ? hr : control->Stop();
}

void PreviewGraph::Release() {
    effect.Reset();
    camera.Reset();
    graph.Reset();
}

bool WaitForGraphEvent(IGraphBuilder* graph, long code, DWORD timeoutMs, LONG_PTR* param1) {
    ComPtr<IMediaEvent> events;
    if (FAILED(graph->QueryInterface(IID_IMediaEvent, events.PutVoid()))) return false;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        long got = 0;
        LONG_PTR p1 = 0, p2 = 0;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        if (SUCCEEDED(events->GetEvent(&got, &p1, &p2, static_cast<long>(deadline - now)))) {
            events->FreeEventParams(got, p1, p2);
            if (got == code) {
                if (param1) *param1 = p1;
                return true;
            }
        }
    }
}

namespace {

class ComponentEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CameraSettings::Clear();
        ASSERT_TRUE(EffectDll().IsLoaded());
        ASSERT_TRUE(CameraDll().IsLoaded());
        ASSERT_EQ(EffectDll().Register(), S_OK);
        ASSERT_EQ(CameraDll().Register(), S_OK);
    }
    void TearDown() override {
        EXPECT_EQ(CameraDll().Unregister(), S_OK);
        EXPECT_EQ(EffectDll().Unregister(), S_OK);
        CameraSettings::Clear();
        ::CoUninitialize();
    }
};

}  // namespace

void InstallComponentEnvironment() { ::testing::AddGlobalTestEnvironment(new ComponentEnvironment); }

}  // namespace components_test

namespace components_test {
namespace {
// Every test program that links this support registers the DLLs once around its tests.
const bool g_installed = (InstallComponentEnvironment(), true);
}  // namespace
}  // namespace components_test
