#pragma once
// The virtual camera: a live video capture source with a capture pin (IAMStreamConfig,
// IKsPropertySet) and a still pin, drawing the test picture of TestPicture.h. What it offers
// and how it misbehaves comes from its registry key (CameraRegistry.h).
//
// Threads: the graph manager's thread changes state under the filter lock. One streaming
// thread per Stop -> Pause is started in OnStartStreaming, idles until Run, draws and
// delivers frames while running, and is joined in OnStopStreaming after the allocator is
// decommitted (which wakes it if it waits for a buffer).
#include <windows.h>
#include <ocidl.h>
#include <strmif.h>
#include <vfwmsgs.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "testworld/camera/CameraControls.h"
#include "testworld/camera/CameraRegistry.h"
#include "testworld/camera/MjpegPicture.h"
#include "components/filterkit/BaseFilter.h"
#include "components/filterkit/Pins.h"

namespace camera {

// {7A3C4B2E-51D8-4F0A-9E6B-2C8D1F4A6B35}
inline constexpr CLSID CLSID_VirtualCamera = {0x7a3c4b2e, 0x51d8, 0x4f0a, {0x9e, 0x6b, 0x2c, 0x8d, 0x1f, 0x4a, 0x6b, 0x35}};

class CameraFilter;

class CapturePin final : public filterkit::OutputPin, public IAMStreamConfig, public IKsPropertySet {
public:
    CapturePin(CameraFilter& filter, const StreamSettings& settings);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return BasePin::QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return BasePin::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return BasePin::Release(); }

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** mt) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override;
    // IKsPropertySet: the pin category only
    STDMETHODIMP Set(REFGUID set, DWORD id, LPVOID instance, DWORD instanceBytes, LPVOID data, DWORD bytes) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID instance, DWORD instanceBytes, LPVOID data, DWORD bytes,
                     DWORD* returned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // A busy camera refuses connections too: Wine 8's graph manager reports S_FALSE from
    // IMediaControl::Run when a renderer paused asynchronously, whatever a later filter's
    // Pause returned, so a failing Pause alone would go unnoticed by the program.
    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;

    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT GetMediaType(int index, filterkit::MediaType& out) override;

protected:
    HRESULT QueryPinInterface(REFIID iid, void** out) override;
    void GetBufferProperties(ALLOCATOR_PROPERTIES& props) override;

private:
    int FindOffer(const AM_MEDIA_TYPE& mt) const;  // index into m_offer, or -1

    CameraFilter& m_camera;
    std::vector<filterkit::MediaType> m_offer;  // every format in every size
    bool m_formatSet = false;
    filterkit::MediaType m_format;
};

class StillPin final : public filterkit::OutputPin, public IKsPropertySet {
public:
    StillPin(CameraFilter& filter, const StreamSettings& settings);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return BasePin::QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return BasePin::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return BasePin::Release(); }

    STDMETHODIMP Set(REFGUID set, DWORD id, LPVOID instance, DWORD instanceBytes, LPVOID data, DWORD bytes) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID instance, DWORD instanceBytes, LPVOID data, DWORD bytes,
                     DWORD* returned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT GetMediaType(int index, filterkit::MediaType& out) override;

protected:
    HRESULT QueryPinInterface(REFIID iid, void** out) override;
    void GetBufferProperties(ALLOCATOR_PROPERTIES& props) override;

private:
    std::vector<filterkit::MediaType> m_offer;  // the capture offer without frame duration
};

class CameraFilter final : public filterkit::BaseFilter, public IAMFilterMiscFlags, public ISpecifyPropertyPages {
public:
    CameraFilter();
    ~CameraFilter() override;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return BaseFilter::QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return BaseFilter::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return BaseFilter::Release(); }
    STDMETHODIMP_(ULONG) GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }
    // The camera's own page (CameraPropertyPage.h).
    STDMETHODIMP GetPages(CAUUID* pages) override;

    int PinCount() const override { return 2; }
    IPin* PinAt(int index) override;

protected:
    HRESULT QueryFilterInterface(REFIID iid, void** out) override;
    HRESULT OnStartStreaming() override;
    HRESULT OnRun(REFERENCE_TIME start) override;
    HRESULT OnPauseFromRun() override;
    void OnStopStreaming() override;
    HRESULT PausedStateResult() const override { return VFW_S_CANT_CUE; }

private:
    void StreamLoop();
    HRESULT DeliverFrame();

    CapturePin m_capture;
    StillPin m_still;
    CameraControls m_controls;
    RunSettings m_runSettings;

    std::mutex m_streamLock;
    std::condition_variable m_wake;
    bool m_running = false;  // guarded by m_streamLock
    bool m_exit = false;     // guarded by m_streamLock
    std::thread m_thread;
    uint32_t m_frame = 0;
    MjpegPicture m_mjpeg;  // the streaming thread's
    DWORD m_delivered = 0;
    std::atomic<bool> m_unplugged{false};
};

}  // namespace camera
