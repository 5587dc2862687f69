#include "components/filterkit/Pins.h"

#include <uuids.h>
#include <vfwmsgs.h>

#include <cstring>
#include <mutex>

#include "components/filterkit/BaseFilter.h"
#include "components/filterkit/Enumerators.h"
#include "components/filterkit/KitTrace.h"

namespace filterkit {
namespace {

bool IsFullySpecified(const AM_MEDIA_TYPE& mt) {
    return mt.majortype != GUID_NULL && mt.subtype != GUID_NULL && mt.formattype != GUID_NULL;
}

}  // namespace

// ---- BasePin ----

BasePin::BasePin(BaseFilter& filter, PIN_DIRECTION direction, const wchar_t* name)
    : m_filter(filter), m_direction(direction), m_name(name) {}

STDMETHODIMP BasePin::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPin) {
        *out = static_cast<IPin*>(this);
        AddRef();
        return S_OK;
    }
    const HRESULT hr = QueryPinInterface(iid, out);
    if (hr == E_NOINTERFACE) TraceMissingInterface(iid, TraceName());
    return hr;
}

std::wstring BasePin::TraceName() const { return L"pin \"" + m_name + L"\" of " + m_filter.TraceName(); }

HRESULT BasePin::QueryPinInterface(REFIID, void**) { return E_NOINTERFACE; }

STDMETHODIMP_(ULONG) BasePin::AddRef() { return m_filter.AddRef(); }
STDMETHODIMP_(ULONG) BasePin::Release() { return m_filter.Release(); }

void BasePin::ClearConnection() {
    m_peer.Reset();
    m_type.Clear();
}

STDMETHODIMP BasePin::Disconnect() {
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    if (m_filter.State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!m_peer) return S_FALSE;
    ClearConnection();
    OnDisconnected();
    return S_OK;
}

STDMETHODIMP BasePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    *pin = nullptr;
    if (!m_peer) return VFW_E_NOT_CONNECTED;
    return m_peer.CopyTo(pin);
}

STDMETHODIMP BasePin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    std::memset(mt, 0, sizeof(*mt));
    if (!m_peer) return VFW_E_NOT_CONNECTED;
    return CopyMediaType(*mt, m_type.Get());
}

STDMETHODIMP BasePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = &m_filter;
    m_filter.AddRef();
    info->dir = m_direction;
    std::memset(info->achName, 0, sizeof(info->achName));
    wcsncpy(info->achName, m_name.c_str(), MAX_PIN_NAME - 1);
    return S_OK;
}

STDMETHODIMP BasePin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = m_direction;
    return S_OK;
}

STDMETHODIMP BasePin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    const size_t bytes = (m_name.size() + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    std::memcpy(*id, m_name.c_str(), bytes);
    return S_OK;
}

STDMETHODIMP BasePin::QueryAccept(const AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    return CheckMediaType(*mt) == S_OK ? S_OK : S_FALSE;
}

HRESULT BasePin::GetMediaType(int, MediaType&) { return VFW_S_NO_MORE_ITEMS; }

STDMETHODIMP BasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return E_POINTER;
    std::vector<MediaType> list;
    {
        std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
        for (int i = 0;; ++i) {
            MediaType mt;
            if (GetMediaType(i, mt) != S_OK) break;
            list.push_back(std::move(mt));
        }
    }
    *types = new (std::nothrow) MediaTypeEnumerator(static_cast<IPin*>(this), std::move(list), 0);
    return *types ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP BasePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

STDMETHODIMP BasePin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

// ---- OutputPin ----

OutputPin::OutputPin(BaseFilter& filter, const wchar_t* name) : BasePin(filter, PINDIR_OUTPUT, name) {}

STDMETHODIMP OutputPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) {
    if (!receiver) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    if (m_peer) return VFW_E_ALREADY_CONNECTED;
    if (m_filter.State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (mt && IsFullySpecified(*mt)) return TryConnect(receiver, *mt);

    for (int i = 0;; ++i) {
        MediaType own;
        if (GetMediaType(i, own) != S_OK) break;
        if (mt && !own.Matches(*mt)) continue;
        if (SUCCEEDED(TryConnect(receiver, own.Get()))) return S_OK;
    }
    ComPtr<IEnumMediaTypes> theirs;
    if (SUCCEEDED(receiver->EnumMediaTypes(theirs.Put())) && theirs) {
        MediaType candidate;
        while (theirs->Next(1, candidate.Put(), nullptr) == S_OK) {
            if (mt && !candidate.Matches(*mt)) continue;
            if (SUCCEEDED(TryConnect(receiver, candidate.Get()))) return S_OK;
        }
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT OutputPin::TryConnect(IPin* receiver, const AM_MEDIA_TYPE& mt) {
    if (CheckMediaType(mt) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
    m_peer = ComPtr<IPin>(receiver);
    m_type = MediaType(mt);
    HRESULT hr = receiver->ReceiveConnection(this, &mt);
    if (SUCCEEDED(hr)) {
        ComPtr<IMemInputPin> input;
        hr = receiver->QueryInterface(IID_IMemInputPin, input.PutVoid());
        if (SUCCEEDED(hr)) hr = DecideAllocator(input.Get());
        if (SUCCEEDED(hr)) {
            m_input = std::move(input);
            hr = OnConnected();
        }
        if (FAILED(hr)) receiver->Disconnect();
    }
    if (FAILED(hr)) {
        m_input.Reset();
        m_allocator.Reset();
        ClearConnection();
    }
    return hr;
}

HRESULT OutputPin::DecideAllocator(IMemInputPin* input) {
    ALLOCATOR_PROPERTIES wanted{};
    if (FAILED(input->GetAllocatorRequirements(&wanted))) std::memset(&wanted, 0, sizeof(wanted));
    if (wanted.cbAlign < 1) wanted.cbAlign = 1;
    GetBufferProperties(wanted);
    ALLOCATOR_PROPERTIES actual{};

    ComPtr<IMemAllocator> allocator;
    if (SUCCEEDED(input->GetAllocator(allocator.Put())) && allocator &&
        SUCCEEDED(allocator->SetProperties(&wanted, &actual)) && actual.cbBuffer >= wanted.cbBuffer &&
        SUCCEEDED(input->NotifyAllocator(allocator.Get(), FALSE))) {
        m_allocator = std::move(allocator);
        return S_OK;
    }
    HRESULT hr = ::CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                    allocator.PutVoid());
    if (FAILED(hr)) return hr;
    hr = allocator->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    if (actual.cbBuffer < wanted.cbBuffer) return E_OUTOFMEMORY;
    hr = input->NotifyAllocator(allocator.Get(), FALSE);
    if (FAILED(hr)) return hr;
    m_allocator = std::move(allocator);
    return S_OK;
}

STDMETHODIMP OutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) {
    return TraceUnexpectedCall(L"ReceiveConnection", TraceName());
}

STDMETHODIMP OutputPin::Disconnect() {
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    if (m_filter.State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!m_peer) return S_FALSE;
    m_input.Reset();
    m_allocator.Reset();
    ClearConnection();
    OnDisconnected();
    return S_OK;
}

HRESULT OutputPin::QueryPinInterface(REFIID iid, void** out) {
    if (iid != IID_IQualityControl) return E_NOINTERFACE;
    *out = static_cast<IQualityControl*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP OutputPin::Notify(IBaseFilter* sender, Quality quality) {
    ComPtr<IQualityControl> sink;
    {
        std::lock_guard<std::mutex> guard(m_qualityLock);
        sink = m_qualitySink;
    }
    return sink ? sink->Notify(&m_filter, quality) : OnQualityMessage(sender, quality);
}

STDMETHODIMP OutputPin::SetSink(IQualityControl* sink) {
    ComPtr<IQualityControl> replaced(sink);  // once swapped, released outside the lock
    std::lock_guard<std::mutex> guard(m_qualityLock);
    m_qualitySink.Swap(replaced);
    return S_OK;
}

HRESULT OutputPin::OnQualityMessage(IBaseFilter*, const Quality&) { return E_NOTIMPL; }

STDMETHODIMP OutputPin::EndOfStream() { return TraceUnexpectedCall(L"EndOfStream", TraceName()); }
STDMETHODIMP OutputPin::BeginFlush() { return TraceUnexpectedCall(L"BeginFlush", TraceName()); }
STDMETHODIMP OutputPin::EndFlush() { return TraceUnexpectedCall(L"EndFlush", TraceName()); }

HRESULT OutputPin::Active() { return m_allocator ? m_allocator->Commit() : S_FALSE; }
HRESULT OutputPin::Inactive() { return m_allocator ? m_allocator->Decommit() : S_FALSE; }

HRESULT OutputPin::Deliver(IMediaSample* sample) {
    return m_input ? m_input->Receive(sample) : VFW_E_NOT_CONNECTED;
}
HRESULT OutputPin::DeliverEndOfStream() { return m_peer ? m_peer->EndOfStream() : VFW_E_NOT_CONNECTED; }
HRESULT OutputPin::DeliverBeginFlush() { return m_peer ? m_peer->BeginFlush() : VFW_E_NOT_CONNECTED; }
HRESULT OutputPin::DeliverEndFlush() { return m_peer ? m_peer->EndFlush() : VFW_E_NOT_CONNECTED; }
HRESULT OutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    return m_peer ? m_peer->NewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

// ---- InputPin ----

InputPin::InputPin(BaseFilter& filter, const wchar_t* name) : BasePin(filter, PINDIR_INPUT, name) {}

HRESULT InputPin::QueryPinInterface(REFIID iid, void** out) {
    if (iid == IID_IMemInputPin) {
        *out = static_cast<IMemInputPin*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP InputPin::Connect(IPin*, const AM_MEDIA_TYPE*) { return TraceUnexpectedCall(L"Connect", TraceName()); }

STDMETHODIMP InputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
    if (!connector || !mt) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    if (m_peer) return VFW_E_ALREADY_CONNECTED;
    if (m_filter.State() != State_Stopped) return VFW_E_NOT_STOPPED;
    PIN_DIRECTION direction = PINDIR_INPUT;
    if (FAILED(connector->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
    if (CheckMediaType(*mt) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
    m_peer = ComPtr<IPin>(connector);
    m_type = MediaType(*mt);
    const HRESULT hr = OnConnected();
    if (FAILED(hr)) ClearConnection();
    return hr;
}

STDMETHODIMP InputPin::Disconnect() {
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    if (m_filter.State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!m_peer) return S_FALSE;
    m_allocator.Reset();
    ClearConnection();
    OnDisconnected();
    return S_OK;
}

STDMETHODIMP InputPin::EndOfStream() { return S_OK; }
STDMETHODIMP InputPin::BeginFlush() {
    m_flushing = true;
    return S_OK;
}
STDMETHODIMP InputPin::EndFlush() {
    m_flushing = false;
    return S_OK;
}

STDMETHODIMP InputPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) return E_POINTER;
    *allocator = nullptr;
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    if (!m_allocator) {
        const HRESULT hr = ::CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                              m_allocator.PutVoid());
        if (FAILED(hr)) return hr;
    }
    return m_allocator.CopyTo(allocator);
}

STDMETHODIMP InputPin::NotifyAllocator(IMemAllocator* allocator, BOOL) {
    if (!allocator) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    m_allocator = ComPtr<IMemAllocator>(allocator);
    return S_OK;
}

STDMETHODIMP InputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

STDMETHODIMP InputPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
    if (!samples || !processed) return E_POINTER;
    *processed = 0;
    HRESULT hr = S_OK;
    while (*processed < count) {
        hr = Receive(samples[*processed]);
        if (hr != S_OK) break;
        ++*processed;
    }
    return hr;
}

STDMETHODIMP InputPin::ReceiveCanBlock() { return S_OK; }

}  // namespace filterkit
