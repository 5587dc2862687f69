#include "components/filterkit/BaseFilter.h"

#include <vfwmsgs.h>

#include <cstring>
#include <vector>

#include "components/filterkit/Enumerators.h"
#include "components/filterkit/KitTrace.h"
#include "framework/Handles.h"

namespace filterkit {

BaseFilter::BaseFilter(const CLSID& clsid) : m_clsid(clsid) {}

BaseFilter::~BaseFilter() = default;

STDMETHODIMP BaseFilter::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter) {
        *out = static_cast<IBaseFilter*>(this);
    } else {
        const HRESULT hr = QueryFilterInterface(iid, out);
        if (hr == E_NOINTERFACE) TraceMissingInterface(iid, TraceName());
        return hr;
    }
    AddRef();
    return S_OK;
}

HRESULT BaseFilter::QueryFilterInterface(REFIID, void**) { return E_NOINTERFACE; }

STDMETHODIMP_(ULONG) BaseFilter::AddRef() { return ++m_refs; }

STDMETHODIMP_(ULONG) BaseFilter::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP BaseFilter::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = m_clsid;
    return S_OK;
}

STDMETHODIMP BaseFilter::Stop() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_state == State_Stopped) return S_OK;
    if (m_state == State_Running) {
        const HRESULT hr = OnPauseFromRun();
        if (FAILED(hr)) return hr;
    }
    EndStreaming();
    return S_OK;
}

void BaseFilter::EndStreaming() {
    // The state changes first so that streaming threads see it while the hook joins them.
    m_state = State_Stopped;
    OnStopStreaming();
}

STDMETHODIMP BaseFilter::Pause() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    HRESULT hr = S_OK;
    if (m_state == State_Stopped)
        hr = OnStartStreaming();
    else if (m_state == State_Running)
        hr = OnPauseFromRun();
    if (FAILED(hr)) return hr;
    m_state = State_Paused;
    return S_OK;
}

STDMETHODIMP BaseFilter::Run(REFERENCE_TIME start) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_state == State_Running) return S_OK;
    const bool fromStopped = m_state == State_Stopped;
    if (fromStopped) {
        const HRESULT hr = OnStartStreaming();
        if (FAILED(hr)) return hr;
        m_state = State_Paused;
    }
    const HRESULT hr = OnRun(start);
    if (FAILED(hr)) {
        if (fromStopped) EndStreaming();  // back to Stopped, as the caller found it
        return hr;
    }
    m_state = State_Running;
    return S_OK;
}

STDMETHODIMP BaseFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    const FILTER_STATE now = m_state.load();
    *state = now;
    return now == State_Paused ? PausedStateResult() : S_OK;
}

STDMETHODIMP BaseFilter::SetSyncSource(IReferenceClock* clock) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_clock = ComPtr<IReferenceClock>(clock);
    return S_OK;
}

STDMETHODIMP BaseFilter::GetSyncSource(IReferenceClock** clock) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_clock.CopyTo(clock);
}

STDMETHODIMP BaseFilter::EnumPins(IEnumPins** pins) {
    if (!pins) return E_POINTER;
    std::vector<ComPtr<IPin>> list;
    for (int i = 0; i < PinCount(); ++i) list.emplace_back(PinAt(i));
    *pins = new (std::nothrow) PinEnumerator(this, std::move(list), 0);
    return *pins ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP BaseFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    for (int i = 0; i < PinCount(); ++i) {
        IPin* candidate = PinAt(i);
        UniqueCoTaskMem<wchar_t> name;
        if (SUCCEEDED(candidate->QueryId(name.Put())) && name.Get()) {
            if (wcscmp(name.Get(), id) == 0) {
                candidate->AddRef();
                *pin = candidate;
                return S_OK;
            }
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP BaseFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    std::memset(info, 0, sizeof(*info));
    {
        std::lock_guard<std::mutex> name(m_nameLock);
        wcsncpy(info->achName, m_name.c_str(), MAX_FILTER_NAME - 1);
    }
    info->pGraph = m_graph;
    if (m_graph) m_graph->AddRef();  // the caller owns this reference
    return S_OK;
}

STDMETHODIMP BaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_graph = graph;  // not counted: the graph holds us, a reference back would be a cycle
    std::lock_guard<std::mutex> guard2(m_nameLock);
    m_name = name ? name : L"";
    return S_OK;
}

std::wstring BaseFilter::TraceName() const {
    {
        std::lock_guard<std::mutex> guard(m_nameLock);
        if (!m_name.empty()) return L"filter \"" + m_name + L"\"";
    }
    wchar_t clsid[40] = L"?";
    ::StringFromGUID2(m_clsid, clsid, 40);
    return std::wstring(L"filter ") + clsid;
}

STDMETHODIMP BaseFilter::QueryVendorInfo(LPWSTR* info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return E_NOTIMPL;
}

HRESULT BaseFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2) {
    IFilterGraph* graph = m_graph;
    if (!graph) return S_FALSE;
    ComPtr<IMediaEventSink> sink;
    if (FAILED(graph->QueryInterface(IID_IMediaEventSink, sink.PutVoid())) || !sink) return S_FALSE;
    return sink->Notify(code, param1, param2);
}

}  // namespace filterkit
