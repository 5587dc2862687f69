#pragma once
// The filter half of the kit: IBaseFilter with its state machine under one lock.
//
// A filter derives from BaseFilter, owns its pins as members (their AddRef/Release go to the
// filter) and fills the hooks below. Who calls what:
//  - the graph manager calls Pause/Run/Stop on its own thread; BaseFilter takes the filter
//    lock, calls the hook for the transition and changes the state only when it succeeds;
//  - OnStartStreaming (Stopped -> Paused) and OnStopStreaming (-> Stopped) are where a
//    filter commits/decommits its output allocators and starts/joins its threads;
//  - streaming threads never take the filter lock: they read the state through State()
//    (an atomic) so that a Stop waiting for them cannot deadlock.
// Where a kit filter differs from one on the platform's base classes, on purpose: its class
// factory refuses aggregation (CLASS_E_NOAGGREGATION); neither filter nor pin answers
// IMediaSeeking or IMediaPosition (a live preview has no position to seek); an output pin
// proposes its own types before the ones the pin it connects to proposes.
#include <windows.h>
#include <strmif.h>

#include <atomic>
#include <mutex>
#include <string>

#include "components/filterkit/LiveObjects.h"
#include "framework/ComPtr.h"

namespace filterkit {

class BaseFilter : public IBaseFilter, public LiveObject {
public:
    explicit BaseFilter(const CLSID& clsid);
    virtual ~BaseFilter();
    BaseFilter(const BaseFilter&) = delete;
    BaseFilter& operator=(const BaseFilter&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IPersist
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    // Pins in a fixed order; the pin objects live as long as the filter.
    virtual int PinCount() const = 0;
    virtual IPin* PinAt(int index) = 0;

    FILTER_STATE State() const { return m_state.load(); }
    std::recursive_mutex& Lock() { return m_lock; }
    // The graph the filter is in (not counted: the graph holds the filter). Valid under the
    // filter lock, or on a streaming thread between Pause and Stop.
    IFilterGraph* Graph() const { return m_graph; }
    // Sends an event through the graph's IMediaEventSink; S_FALSE outside a graph.
    HRESULT NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);
    // How trace lines name it: `filter "<its name in the graph>"`, or by its class outside
    // a graph. Any thread; takes no filter lock.
    std::wstring TraceName() const;

protected:
    // Extra interfaces of the concrete filter; E_NOINTERFACE by default.
    virtual HRESULT QueryFilterInterface(REFIID iid, void** out);
    // State hooks, called under the filter lock. A failing hook's result is what Pause, Run
    // or Stop returns, and the filter stays in the state it was in: a Run from Stopped whose
    // OnRun fails undoes OnStartStreaming through OnStopStreaming, and a Stop from Running
    // whose OnPauseFromRun fails keeps running. OnStopStreaming cannot fail.
    virtual HRESULT OnStartStreaming() { return S_OK; }
    virtual HRESULT OnRun(REFERENCE_TIME /*start*/) { return S_OK; }
    virtual HRESULT OnPauseFromRun() { return S_OK; }
    virtual void OnStopStreaming() {}
    // What GetState answers in the Paused state: VFW_S_CANT_CUE for a live source.
    virtual HRESULT PausedStateResult() const { return S_OK; }

private:
    void EndStreaming();  // -> Stopped, then OnStopStreaming

    std::atomic<ULONG> m_refs{1};
    CLSID m_clsid;
    std::recursive_mutex m_lock;
    std::atomic<FILTER_STATE> m_state{State_Stopped};
    ComPtr<IReferenceClock> m_clock;
    IFilterGraph* m_graph = nullptr;
    mutable std::mutex m_nameLock;  // m_name, also read on streaming threads
    std::wstring m_name;
};

}  // namespace filterkit
