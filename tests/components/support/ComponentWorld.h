#pragma once
// What the component tests under Wine share: the two DLLs loaded and registered in the
// private prefix, their live-object counters, the camera's settings key, device lookup and
// graph building with the real filter graph manager.
#include <windows.h>
#include <dshow.h>

#include <string>
#include <vector>

#include "framework/ComPtr.h"
#include "framework/Handles.h"

namespace components_test {

// The null renderer of the platform (declared in a header mingw-w64 lacks).
inline constexpr CLSID CLSID_NullRenderer = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

// One component DLL loaded from the test program's folder.
class ComponentDll {
public:
    explicit ComponentDll(const wchar_t* fileName);
    bool IsLoaded() const { return m_module.IsValid(); }
    HRESULT Register() const;
    HRESULT Unregister() const;
    long LiveObjects() const;  // -1 when the export is missing

private:
    UniqueModule m_module;
};

ComponentDll& EffectDll();
ComponentDll& CameraDll();
// The MJPEG decompressor of the test world: registered only by the tests of MJPEG cameras.
ComponentDll& DecompressorDll();

// Clears the camera's registry key on construction and destruction; Set writes values.
class CameraSettings {
public:
    CameraSettings();
    ~CameraSettings();
    CameraSettings(const CameraSettings&) = delete;
    CameraSettings& operator=(const CameraSettings&) = delete;
    void Set(const wchar_t* name, DWORD value);
    void Set(const wchar_t* name, const wchar_t* value);
    static void Clear();
};

struct DeviceEntry {
    std::wstring friendlyName;
    bool hasDevicePath = false;
    std::wstring devicePath;
    ComPtr<IMoniker> moniker;
};
std::vector<DeviceEntry> ListVideoDevices();
// The first device named like the virtual camera, bound; null when there is none.
ComPtr<IBaseFilter> BindVirtualCamera();

ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION direction, int index);
// Capture pin's IAMStreamConfig: GetFormat, set width/height, SetFormat.
HRESULT SetCaptureSize(IBaseFilter* camera, int width, int height);

// camera -> effect -> renderer in a new graph: intelligent connect of the capture pin to
// the effect, then Render of the effect's output (or a direct connection to `renderer`).
struct PreviewGraph {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> camera;
    ComPtr<IBaseFilter> effect;
    HRESULT Build(int width, int height, IBaseFilter* renderer = nullptr);
    HRESULT Run();
    HRESULT Stop();
    void Release();
};

// Waits up to `timeoutMs` for the event `code` on the graph; its first parameter returned.
bool WaitForGraphEvent(IGraphBuilder* graph, long code, DWORD timeoutMs, LONG_PTR* param1 = nullptr);

// Registers both DLLs before the first test and unregisters them after the last.
void InstallComponentEnvironment();

}  // namespace components_test
