#pragma once
// The pin half of the kit. Pins are members of their filter: AddRef/Release go to the
// filter, and connection state is guarded by the filter lock.
//
// Hooks a pin fills:
//  - CheckMediaType: S_OK for a type the pin can take (called under the filter lock);
//  - GetMediaType(i): the pin's preferred types, VFW_S_NO_MORE_ITEMS after the last;
//  - OnConnected / OnDisconnected: after a connection is made or broken.
// An output pin proposes its own types first, then the receiver's (Wine's graph manager
// connects with a null type), and then negotiates the allocator: the receiver's, else a
// CLSID_MemoryAllocator of its own, sized by GetBufferProperties. The filter commits the
// allocator in OnStartStreaming (Active) and decommits it in OnStopStreaming (Inactive).
// A connection that fails at any step (the receiver's ReceiveConnection, the allocator,
// OnConnected) leaves both pins unconnected, holding nothing of each other.
//
// As from the platform's base pins, a filter of another maker sees:
//  - an input pin's GetAllocator answer the allocator last notified, else a
//    CLSID_MemoryAllocator of the pin's own (the same one until another is notified);
//  - an output pin answer IQualityControl. A quality message from downstream goes to the
//    sink SetSink named (a counted reference, kept until replaced), else to
//    OnQualityMessage: E_NOTIMPL ("not acted on") unless the filter acts on it, as a
//    transform does by passing it upstream (TransformOutputPin.h).
#include <windows.h>
#include <strmif.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "components/filterkit/MediaType.h"
#include "framework/ComPtr.h"

namespace filterkit {

class BaseFilter;

class BasePin : public IPin {
public:
    BasePin(BaseFilter& filter, PIN_DIRECTION direction, const wchar_t* name);
    virtual ~BasePin() = default;
    BasePin(const BasePin&) = delete;
    BasePin& operator=(const BasePin&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    bool IsConnected() const { return static_cast<bool>(m_peer); }
    // The connected type; meaningful only while connected (read under the filter lock, or
    // on a streaming thread while the filter is not stopped).
    const MediaType& ConnectedType() const { return m_type; }
    IPin* Peer() const { return m_peer.Get(); }
    // How trace lines name it: `pin "<name>" of filter "<name>"`.
    std::wstring TraceName() const;

    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) = 0;
    virtual HRESULT GetMediaType(int index, MediaType& out);

protected:
    virtual HRESULT QueryPinInterface(REFIID iid, void** out);
    virtual HRESULT OnConnected() { return S_OK; }
    virtual void OnDisconnected() {}
    void ClearConnection();

    BaseFilter& m_filter;
    PIN_DIRECTION m_direction;
    std::wstring m_name;
    ComPtr<IPin> m_peer;
    MediaType m_type;
};

class OutputPin : public BasePin, public IQualityControl {
public:
    OutputPin(BaseFilter& filter, const wchar_t* name);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return BasePin::QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return BasePin::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return BasePin::Release(); }

    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    HRESULT Active();    // commits the allocator (Stopped -> Paused)
    HRESULT Inactive();  // decommits it, which also wakes a thread waiting in GetBuffer
    IMemAllocator* Allocator() const { return m_allocator.Get(); }
    // Downstream calls for the streaming thread; VFW_E_NOT_CONNECTED when unconnected.
    HRESULT Deliver(IMediaSample* sample);
    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    // IQualityControl: called from downstream, mostly on the streaming thread of a renderer.
    STDMETHODIMP Notify(IBaseFilter* sender, Quality quality) override;
    STDMETHODIMP SetSink(IQualityControl* sink) override;

protected:
    HRESULT QueryPinInterface(REFIID iid, void** out) override;
    // Buffer count and size for the connected type; cbAlign/cbPrefix come preset.
    virtual void GetBufferProperties(ALLOCATOR_PROPERTIES& props) = 0;
    // A quality message no sink took, on the caller's thread (never under the filter lock).
    virtual HRESULT OnQualityMessage(IBaseFilter* sender, const Quality& quality);

private:
    HRESULT TryConnect(IPin* receiver, const AM_MEDIA_TYPE& mt);
    HRESULT DecideAllocator(IMemInputPin* input);

    ComPtr<IMemInputPin> m_input;
    ComPtr<IMemAllocator> m_allocator;
    std::mutex m_qualityLock;  // guards m_qualitySink: Notify comes on streaming threads
    ComPtr<IQualityControl> m_qualitySink;
};

class InputPin : public BasePin, public IMemInputPin {
public:
    InputPin(BaseFilter& filter, const wchar_t* name);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return BasePin::QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return BasePin::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return BasePin::Release(); }

    STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
    STDMETHODIMP Receive(IMediaSample* sample) override = 0;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    STDMETHODIMP ReceiveCanBlock() override;

    // Between BeginFlush and EndFlush (the graph's thread); read by Receive on the
    // streaming thread.
    bool IsFlushing() const { return m_flushing.load(); }

protected:
    HRESULT QueryPinInterface(REFIID iid, void** out) override;

    ComPtr<IMemAllocator> m_allocator;  // the one last notified, else the one GetAllocator made

private:
    std::atomic<bool> m_flushing{false};
};

}  // namespace filterkit
