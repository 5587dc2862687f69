#include "capture/TeskLib.h"

#include <uuids.h>

#include <utility>

#include "capture/DeviceEnumeration.h"
#include "framework/Trace.h"

namespace {

HRESULT SelectDevice(const std::vector<std::wstring>& names, int index, bool video,
                     ComPtr<IBaseFilter>& source) {
    if (index == -1) {
        source.Reset();
        return S_OK;
    }
    if (index < 0 || index >= static_cast<int>(names.size())) return E_INVALIDARG;
    source.Reset();
    ComPtr<IBaseFilter> bound;
    HRESULT hr = FindDeviceFilter(names[static_cast<size_t>(index)].c_str(), bound.Put(), video);
    if (FAILED(hr)) return TraceFailure(L"devices", video ? L"bind the video device" : L"bind the audio device", hr);
    source = std::move(bound);
    return hr;
}

}  // namespace

TeskLib::~TeskLib() { m_captureGraph.Teardown(); }

HRESULT TeskLib::EnumerateDevices() {
    HRESULT hr = EnumerateCategory(CLSID_VideoInputDeviceCategory, m_videoDeviceNames);
    if (FAILED(hr)) return TraceFailure(L"devices", L"list the video devices", hr);
    hr = EnumerateCategory(CLSID_AudioInputDeviceCategory, m_audioDeviceNames);
    if (FAILED(hr)) return TraceFailure(L"devices", L"list the audio devices", hr);
    return S_OK;
}

int TeskLib::GetVideoDeviceCount() const { return static_cast<int>(m_videoDeviceNames.size()); }

HRESULT TeskLib::SelectVideoDevice(int index) {
    return SelectDevice(m_videoDeviceNames, index, true, m_pVideoSource);
}

HRESULT TeskLib::SelectAudioDevice(int index) {
    return SelectDevice(m_audioDeviceNames, index, false, m_pAudioSource);
}

HRESULT TeskLib::IsVideoSizeSupported(int width, int height) {
    if (!m_pVideoSource) return E_FAIL;
    return IsSizeSupported(m_pVideoSource.Get(), width, height);
}

HRESULT TeskLib::SetOwnerWindow(HWND owner) {
    m_hOwner = owner;
    return S_OK;
}

HRESULT TeskLib::SetVideoSize(int width, int height) { return m_captureGraph.SetVideoSize(width, height); }

HRESULT TeskLib::SetVideoRect(int left, int top, int width, int height) {
    HRESULT hr = m_captureGraph.SetWindowPosition(left, top, width, height);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT TeskLib::StartPreview(GraphCallback* callback) {
    // Each step traces its own failure.
    if (!m_pVideoSource) return TraceFailure(L"preview", L"start without a video device", E_FAIL);
    HRESULT hr = m_captureGraph.BuildPreview(m_pVideoSource.Get());
    if (FAILED(hr)) return hr;
    hr = m_captureGraph.SetOwner(m_hOwner);
    if (FAILED(hr)) return hr;
    hr = m_captureGraph.SetNotifyMessage(m_notifyMessage);
    if (FAILED(hr)) return hr;
    m_captureGraph.SetSnapshotCallback(callback);
    return m_captureGraph.Run();
}

void TeskLib::CloseAll() { m_captureGraph.Teardown(); }

void TeskLib::HandleEvents(GraphEventHandler* handler) { m_captureGraph.HandleEvents(handler); }

HRESULT TeskLib::TakeSnapshot() { return m_captureGraph.TakeSnapshot(); }
