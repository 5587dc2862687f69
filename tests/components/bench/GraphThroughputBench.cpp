// Frames per second through virtual camera -> effect filter -> null renderer, with the
// camera unpaced (it delivers as fast as the chain takes frames). The frame counter in the
// test picture, read from a snapshot at the start and at the end of each run, counts the
// frames that went through; the two snapshots are the only copies the effect filter makes.
//   components_bench.exe [seconds per run, default 3]
#include <windows.h>
#include <dshow.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "testworld/camera/CameraRegistry.h"
#include "testworld/camera/TestPicture.h"
#include "components/effect/EffectFilterInterfaces.h"
#include "components/filterkit/MediaType.h"
#include "framework/ComPtr.h"
#include "framework/Handles.h"

namespace {

constexpr CLSID kNullRenderer = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

template <typename F>
F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

bool RegisterDll(const UniqueModule& dll, const char* entry) {
    auto call = Export<HRESULT(STDAPICALLTYPE*)()>(dll.Get(), entry);
    return call && SUCCEEDED(call());
}

void SetCameraValue(const wchar_t* name, const wchar_t* text, DWORD number, bool isText) {
    UniqueHKey key;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, camera::kCameraKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr);
    if (isText)
        ::RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                         static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    else
        ::RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
}

ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION direction) {
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> pin;
    if (FAILED(filter->EnumPins(pins.Put()))) return pin;
    while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
        PIN_DIRECTION d;
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction) return pin;
    }
    return ComPtr<IPin>();
}

ComPtr<IBaseFilter> BindCamera() {
    ComPtr<ICreateDevEnum> devices;
    ComPtr<IEnumMoniker> monikers;
    ComPtr<IMoniker> moniker;
    ComPtr<IBaseFilter> filter;
    if (FAILED(::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  devices.PutVoid())) ||
        devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0) != S_OK)
        return filter;
    while (monikers->Next(1, moniker.Put(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        VARIANT name;
        ::VariantInit(&name);
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid())) &&
            SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr)) && name.vt == VT_BSTR &&
            wcscmp(name.bstrVal, camera::kDefaultFriendlyName) == 0 &&
            SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid()))) {
            ::VariantClear(&name);
            break;
        }
        ::VariantClear(&name);
    }
    return filter;
}

struct Snapshot {
    UniqueHandle arrived{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::vector<BYTE> pixels;
    int width = 0, height = 0;
    static HRESULT STDMETHODCALLTYPE Handler(void* context, int, int) {
        ::SetEvent(static_cast<Snapshot*>(context)->arrived.Get());
        return S_OK;
    }
    bool Take(IEffectFilterSnapshot* snapshot, uint32_t& counter) {
        snapshot->RequestSnapshot(TRUE);
        return ::WaitForSingleObject(arrived.Get(), 5000) == WAIT_OBJECT_0 &&
               camera::ReadFrameCounter(pixels.data(), width, height, counter);
    }
};

// One run; frames/s, or a negative number on failure.
double Measure(const wchar_t* format, int width, int height, DWORD seconds) {
    SetCameraValue(L"Formats", format, 0, true);
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> effect, renderer;
    ComPtr<IBaseFilter> source = BindCamera();
    if (!source || FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                             graph.PutVoid())))
        return -1;
    graph->AddFilter(source.Get(), L"Video Capture");
    ComPtr<IAMStreamConfig> config;
    if (FAILED(PinOf(source.Get(), PINDIR_OUTPUT).As(config))) return -2;
    AM_MEDIA_TYPE* mt = nullptr;
    if (FAILED(config->GetFormat(&mt))) return -3;
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biWidth = width;
    reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biHeight = height;
    const HRESULT set = config->SetFormat(mt);
    filterkit::DeleteMediaType(mt);
    if (FAILED(set)) return -4;
    if (FAILED(::CoCreateInstance(CLSID_EffectFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, effect.PutVoid())) ||
        FAILED(::CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, renderer.PutVoid())))
        return -5;
    graph->AddFilter(effect.Get(), nullptr);
    graph->AddFilter(renderer.Get(), L"Null Renderer");
    if (FAILED(graph->Connect(PinOf(source.Get(), PINDIR_OUTPUT).Get(), PinOf(effect.Get(), PINDIR_INPUT).Get())) ||
        FAILED(graph->Connect(PinOf(effect.Get(), PINDIR_OUTPUT).Get(), PinOf(renderer.Get(), PINDIR_INPUT).Get())))
        return -6;
    ComPtr<IEffectFilterSnapshot> snapshotControl;
    if (FAILED(effect.As(snapshotControl))) return -7;
    Snapshot snapshot;
    snapshotControl->GetFrameSize(&snapshot.width, &snapshot.height);
    snapshot.pixels.assign(static_cast<size_t>(snapshot.width) * snapshot.height * 4, 0);
    snapshotControl->SetSnapshotHandler(&snapshot, &Snapshot::Handler, snapshot.pixels.data());

    ComPtr<IMediaControl> control;
    if (FAILED(graph->QueryInterface(IID_IMediaControl, control.PutVoid())) || FAILED(control->Run())) return -8;
    ::Sleep(300);  // warm-up
    uint32_t first = 0, last = 0;
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    if (!snapshot.Take(snapshotControl.Get(), first)) return -9;
    ::QueryPerformanceCounter(&start);
    ::Sleep(seconds * 1000);
    if (!snapshot.Take(snapshotControl.Get(), last)) return -10;
    ::QueryPerformanceCounter(&end);
    control->Stop();
    snapshotControl->SetSnapshotHandler(nullptr, nullptr, nullptr);
    const double elapsed = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    return (last - first) / elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const DWORD seconds = argc > 1 ? static_cast<DWORD>(_wtoi(argv[1])) : 3;
    ScopedCoInitialize com;
    UniqueModule effectDll(::LoadLibraryW(L"KorvEffect.ax"));
    UniqueModule cameraDll(::LoadLibraryW(L"VirtualCamera.dll"));
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, camera::kCameraKeyPath);
    if (!RegisterDll(effectDll, "DllRegisterServer") || !RegisterDll(cameraDll, "DllRegisterServer")) {
        std::fprintf(stderr, "components_bench: cannot register the component DLLs\n");
        return 1;
    }
    SetCameraValue(L"Unpaced", nullptr, 1, false);
    struct Run {
        const wchar_t* format;
        int width, height;
    } runs[] = {{L"RGB32", 640, 480}, {L"YUY2", 640, 480}, {L"RGB32", 1280, 1024}, {L"YUY2", 1280, 1024}};
    int failures = 0;
    for (const Run& run : runs) {
        const double fps = Measure(run.format, run.width, run.height, seconds);
        if (fps < 0) ++failures;
        std::printf("camera -> effect -> null renderer  %-5ls %4dx%-4d  %8.1f frames/s\n", run.format, run.width,
                    run.height, fps);
    }
    RegisterDll(cameraDll, "DllUnregisterServer");
    RegisterDll(effectDll, "DllUnregisterServer");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, camera::kCameraKeyPath);
    return failures ? 1 : 0;
}
