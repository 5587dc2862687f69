#include "capture/TeskPreviewGraph.h"

#include <uuids.h>
#include <amvideo.h>
#include <control.h>

#include "capture/PinHelpers.h"
#include "components/effect/EffectFilterInterfaces.h"
#include "components/filterkit/MediaType.h"
#include "framework/Trace.h"

namespace {

// MJPEG decompressor context: in-process server, in-process handler and local server.
constexpr DWORD kDecoderContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
constexpr wchar_t kArea[] = L"preview";

}  // namespace

TeskPreviewGraph::~TeskPreviewGraph() { TeskPreviewGraph::Teardown(); }

void TeskPreviewGraph::Teardown() {
    UnloadEffect();
    // The filter may outlive this graph (anyone may hold it): it must not call back into a
    // receiver that is gone.
    ComPtr<IEffectFilterSnapshot> snapshot;
    if (m_pEffectFilter && SUCCEEDED(m_pEffectFilter.As(snapshot)) && snapshot)
        snapshot->SetSnapshotHandler(nullptr, nullptr, nullptr);
    m_pEffectFilter.Reset();
    TeskGraph::Teardown();
}

HRESULT TeskPreviewGraph::BuildPreview(IBaseFilter* videoSource) {
    Teardown();
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterGraph,
                                  m_pGraph.PutVoid());
    if (FAILED(hr)) return TraceFailure(kArea, L"create the filter graph manager", hr);
    hr = m_pGraph->AddFilter(videoSource, L"Video Capture");
    if (FAILED(hr)) return TraceFailure(kArea, L"add the camera", hr);
    ComPtr<IGraphBuilder> builder;
    if (FAILED(m_pGraph.As(builder)) || !builder) return TraceFailure(kArea, L"query IGraphBuilder", E_FAIL);

    ComPtr<IPin> capturePin;
    hr = FindPinByMajorType(videoSource, MEDIATYPE_Video, capturePin.Put());
    if (FAILED(hr)) return TraceFailure(kArea, L"find the camera's video pin", hr);

    // The capture size goes into the current format; a camera that rejects it keeps its own.
    bool isMjpeg = false;
    ComPtr<IAMStreamConfig> config;
    if (SUCCEEDED(capturePin.As(config)) && config) {
        filterkit::MediaType format;
        if (SUCCEEDED(config->GetFormat(format.Put()))) {
            isMjpeg = IsEqualGUID(format.Get().subtype, MEDIASUBTYPE_MJPG) != FALSE;
            if (VIDEOINFOHEADER* info = filterkit::VideoInfo(*format.Raw())) {
                info->bmiHeader.biWidth = m_nCaptureWidth;
                info->bmiHeader.biHeight = m_nCaptureHeight;
                hr = config->SetFormat(format.Raw());
                if (FAILED(hr)) TraceFailure(kArea, L"set the capture size (the camera keeps its own)", hr);
            }
        }
    }

    // Left unconnected: intelligent connect below finds it in the graph first.
    if (isMjpeg) {
        ComPtr<IBaseFilter> decoder;
        hr = CoCreateInstance(CLSID_MjpegDec, nullptr, kDecoderContext, IID_IBaseFilter, decoder.PutVoid());
        if (FAILED(hr)) return TraceFailure(kArea, L"create the MJPEG decompressor", hr);
        hr = m_pGraph->AddFilter(decoder.Get(), nullptr);
        if (FAILED(hr)) return TraceFailure(kArea, L"add the MJPEG decompressor", hr);
    }

    hr = CoCreateInstance(CLSID_EffectFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                          m_pEffectFilter.PutVoid());
    if (FAILED(hr)) return TraceFailure(kArea, L"create the effect filter", hr);
    hr = m_pGraph->AddFilter(m_pEffectFilter.Get(), nullptr);
    if (FAILED(hr)) return TraceFailure(kArea, L"add the effect filter", hr);
    hr = ConnectPinToFilter(builder.Get(), capturePin.Get(), m_pEffectFilter.Get());
    if (FAILED(hr)) return TraceFailure(kArea, L"connect the camera to the effect filter", hr);

    ComPtr<IPin> effectOutput;
    hr = GetPin(m_pEffectFilter.Get(), PINDIR_OUTPUT, 0, effectOutput.Put());
    if (FAILED(hr)) return TraceFailure(kArea, L"find the effect filter's output pin", hr);
    hr = builder->Render(effectOutput.Get());
    if (FAILED(hr)) return TraceFailure(kArea, L"render the effect filter's output", hr);

    // Hidden until SetWindowPosition shows it at its place.
    ComPtr<IVideoWindow> window;
    if (SUCCEEDED(m_pGraph.QueryTo(IID_IVideoWindow, window.PutVoid())) && window) {
        window->put_Visible(kOaFalse);
        window->put_AutoShow(kOaFalse);
    }
    m_bDeviceLost = false;
    return S_OK;
}

HRESULT TeskPreviewGraph::SetVideoSize(int width, int height) {
    m_nCaptureWidth = width;
    m_nCaptureHeight = height;
    return S_OK;
}

HRESULT TeskPreviewGraph::UnloadEffect() {
    if (!m_pEffectFilter) return E_FAIL;
    ComPtr<IEffectFilterControl> control;
    if (FAILED(m_pEffectFilter.As(control)) || !control) return E_FAIL;
    return control->CloseModule();
}

HRESULT TeskPreviewGraph::SetSnapshotCallback(GraphCallback* callback) {
    ComPtr<IEffectFilterSnapshot> snapshot;
    if (!m_pEffectFilter || FAILED(m_pEffectFilter.As(snapshot)) || !snapshot) return S_OK;
    // A pending request may be copied into the buffer registered before at any moment: the
    // filter gives that buffer up (waiting for a copy in progress) before the resize moves or
    // frees it, and the callback changes while nothing is registered.
    snapshot->SetSnapshotHandler(nullptr, nullptr, nullptr);
    m_pSnapshotCallback = callback;
    m_nSnapshotWidth = 0;
    m_nSnapshotHeight = 0;
    snapshot->GetFrameSize(&m_nSnapshotWidth, &m_nSnapshotHeight);
    // A negative size reported by the filter gets no buffer.
    size_t bytes = 0;
    if (m_nSnapshotWidth > 0 && m_nSnapshotHeight > 0)
        bytes = static_cast<size_t>(m_nSnapshotWidth) * static_cast<size_t>(m_nSnapshotHeight) * 4;
    m_snapshotBuffer.resize(bytes, 0);
    snapshot->SetSnapshotHandler(this, &TeskPreviewGraph::SnapshotHandler, m_snapshotBuffer.data());
    return S_OK;
}

HRESULT TeskPreviewGraph::TakeSnapshot() {
    if (!m_pGraph) return E_FAIL;
    ComPtr<IEffectFilterSnapshot> snapshot;
    if (m_pEffectFilter && SUCCEEDED(m_pEffectFilter.As(snapshot)) && snapshot)
        snapshot->RequestSnapshot(TRUE);
    return S_OK;
}

bool TeskPreviewGraph::CanDeliverSnapshot() const {
    ComPtr<IEffectFilterSnapshot> snapshot;
    ComPtr<IMediaControl> control;
    OAFilterState state = State_Stopped;
    // A removed camera sends no more frames, though its graph still reports running.
    return m_pGraph && !m_bDeviceLost && m_pEffectFilter && SUCCEEDED(m_pEffectFilter.As(snapshot)) &&
           snapshot && m_pSnapshotCallback && !m_snapshotBuffer.empty() && SUCCEEDED(m_pGraph.As(control)) &&
           control && SUCCEEDED(control->GetState(0, &state)) && state == State_Running;
}

HRESULT STDMETHODCALLTYPE TeskPreviewGraph::SnapshotHandler(void* context, int width, int height) {
    auto* graph = static_cast<TeskPreviewGraph*>(context);
    if (!graph || !graph->m_pSnapshotCallback || graph->m_snapshotBuffer.empty()) return S_OK;
    // A frame larger than the buffer registered (the size changed since) is not handed on:
    // the receiver would read past the end.
    if (width <= 0 || height <= 0) return S_OK;
    const unsigned long long bytes = static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 4;
    if (bytes > graph->m_snapshotBuffer.size()) return S_OK;
    graph->m_pSnapshotCallback->OnSnapshot(width, height, graph->m_snapshotBuffer.data());
    return S_OK;
}
