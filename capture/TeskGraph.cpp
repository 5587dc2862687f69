#include "capture/TeskGraph.h"

#include <evcode.h>
#include <vector>

#include "framework/Trace.h"

namespace {
constexpr wchar_t kArea[] = L"preview";
}  // namespace

TeskGraph::~TeskGraph() { TeskGraph::Teardown(); }

void TeskGraph::Teardown() {
    if (m_pGraph) {
        ComPtr<IVideoWindow> window;
        if (SUCCEEDED(m_pGraph.QueryTo(IID_IVideoWindow, window.PutVoid())) && window) {
            window->put_WindowState(SW_HIDE);
            window->put_Owner(0);
            window->put_MessageDrain(0);
        }
    }
    if (m_pMediaEvents) m_pMediaEvents->SetNotifyWindow(0, 0, 0);
    m_pMediaEvents.Reset();
    m_pGraph.Reset();
}

HRESULT TeskGraph::Run() {
    if (!m_pGraph) return TraceFailure(kArea, L"run without a graph", E_FAIL);
    ComPtr<IMediaControl> control;
    if (FAILED(m_pGraph.As(control)) || !control) return TraceFailure(kArea, L"query IMediaControl", E_FAIL);
    const HRESULT hr = control->Run();
    return FAILED(hr) ? TraceFailure(kArea, L"run the graph", hr) : hr;
}

HRESULT TeskGraph::SetOwner(HWND owner) {
    m_hOwner = owner;
    if (!m_pGraph) return TraceFailure(kArea, L"give the video window an owner without a graph", E_FAIL);
    ComPtr<IVideoWindow> window;
    if (FAILED(m_pGraph.QueryTo(IID_IVideoWindow, window.PutVoid())) || !window)
        return TraceFailure(kArea, L"query IVideoWindow", E_FAIL);
    const auto drain = reinterpret_cast<OAHWND>(owner);
    HRESULT hr = window->put_Owner(drain);
    if (FAILED(hr)) return TraceFailure(kArea, L"put_Owner", hr);
    hr = window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
    if (FAILED(hr)) return TraceFailure(kArea, L"put_WindowStyle", hr);
    hr = window->put_MessageDrain(drain);
    if (FAILED(hr)) return TraceFailure(kArea, L"put_MessageDrain", hr);
    hr = window->SetWindowForeground(kOaFalse);
    if (FAILED(hr)) return TraceFailure(kArea, L"SetWindowForeground", hr);
    if (m_nStoredWidth != 0 && m_nStoredHeight != 0)
        return SetWindowPosition(m_nStoredLeft, m_nStoredTop, m_nStoredWidth, m_nStoredHeight);
    return hr;
}

HRESULT TeskGraph::SetWindowPosition(long left, long top, long width, long height) {
    if (!m_pGraph) {
        m_nStoredLeft = left;
        m_nStoredTop = top;
        m_nStoredWidth = width;
        m_nStoredHeight = height;
        return S_OK;
    }
    ComPtr<IVideoWindow> window;
    if (FAILED(m_pGraph.QueryTo(IID_IVideoWindow, window.PutVoid())) || !window)
        return TraceFailure(kArea, L"query IVideoWindow", E_FAIL);
    HRESULT hr = window->SetWindowPosition(left, top, width, height);
    if (FAILED(hr)) return TraceFailure(kArea, L"SetWindowPosition", hr);
    hr = window->put_Visible(kOaTrue);
    if (FAILED(hr)) return TraceFailure(kArea, L"put_Visible", hr);
    hr = window->put_AutoShow(kOaTrue);
    if (FAILED(hr)) return TraceFailure(kArea, L"put_AutoShow", hr);
    return S_OK;
}

HRESULT TeskGraph::SetNotifyMessage(UINT message) {
    if (m_pMediaEvents) {
        m_pMediaEvents->SetNotifyWindow(0, 0, 0);
        m_pMediaEvents.Reset();
    }
    if (message == 0) return S_OK;
    if (!m_pGraph) return TraceFailure(kArea, L"route graph events without a graph", E_FAIL);
    HRESULT hr = m_pGraph.QueryTo(IID_IMediaEventEx, m_pMediaEvents.PutVoid());
    if (FAILED(hr)) return TraceFailure(kArea, L"query IMediaEventEx", hr);
    if (!m_pMediaEvents) return TraceFailure(kArea, L"query IMediaEventEx", E_FAIL);
    hr = m_pMediaEvents->SetNotifyWindow(reinterpret_cast<OAHWND>(m_hOwner), message, 0);
    return FAILED(hr) ? TraceFailure(kArea, L"SetNotifyWindow", hr) : S_OK;
}

namespace {

struct EventRecord {
    long code;
    LONG_PTR param1;
    LONG_PTR param2;
};

bool IsReported(long code) {
    switch (code) {
    case EC_COMPLETE:
    case EC_USERABORT:
    case EC_ERRORABORT:
    case EC_DEVICE_LOST:
    case EC_VMR_RENDERDEVICE_SET:
        return true;
    default:
        return false;
    }
}

void Dispatch(GraphEventHandler& handler, const EventRecord& event) {
    const auto param1 = static_cast<long>(event.param1);
    switch (event.code) {
    case EC_COMPLETE:
        handler.OnGraphComplete(param1);
        break;
    case EC_USERABORT:
        handler.OnUserAbort();
        break;
    case EC_ERRORABORT:
        handler.OnErrorAbort(param1);
        break;
    case EC_DEVICE_LOST:
        handler.OnDeviceLost(param1, static_cast<long>(event.param2));
        break;
    case EC_VMR_RENDERDEVICE_SET:
        handler.OnRenderDeviceSet(param1);
        break;
    default:
        break;
    }
}

}  // namespace

void TeskGraph::HandleEvents(GraphEventHandler* handler) {
    if (!handler || !m_pMediaEvents) return;
    // The whole queue is read before the first handler call: a handler may tear this graph
    // down or rebuild it without losing or re-reading events.
    std::vector<EventRecord> events;
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    while (SUCCEEDED(m_pMediaEvents->GetEvent(&code, &param1, &param2, 0))) {
        TraceLine(L"event: %d  param1: %d param2: %d", static_cast<int>(code), static_cast<int>(param1),
                  static_cast<int>(param2));
        if (code == EC_DEVICE_LOST && param2 == 0) m_bDeviceLost = true;
        if (IsReported(code)) events.push_back({code, param1, param2});
        m_pMediaEvents->FreeEventParams(code, param1, param2);
    }
    for (const EventRecord& event : events) Dispatch(*handler, event);
}
