#pragma once
// The effect filter: one video input, one video output, and the two interfaces of
// EffectFilterInterfaces.h. Frames pass through untouched when the renderer takes the
// input's type (the input sample itself is delivered, no copy); RGB24 input, and YUY2 when
// downstream chose RGB32, is converted into a buffer of the output pin's allocator.
// It loads no effect module, so CloseModule has nothing to unload.
#include <windows.h>
#include <strmif.h>

#include "components/effect/EffectFilterInterfaces.h"
#include "components/effect/SnapshotDelivery.h"
#include "components/filterkit/BaseFilter.h"
#include "components/filterkit/Pins.h"
#include "components/filterkit/TransformInputPin.h"
#include "components/filterkit/TransformOutputPin.h"
#include "components/filterkit/VideoFrame.h"

namespace effect {

class EffectFilter;

class EffectInputPin final : public filterkit::TransformInputPin {
public:
    explicit EffectInputPin(EffectFilter& filter);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    const filterkit::FrameLayout& Layout() const { return m_layout; }

protected:
    HRESULT OnConnected() override;
    HRESULT Transform(IMediaSample* sample) override;

private:
    EffectFilter& m_effect;
    filterkit::FrameLayout m_layout;
};

class EffectOutputPin final : public filterkit::TransformOutputPin {
public:
    explicit EffectOutputPin(EffectFilter& filter);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT GetMediaType(int index, filterkit::MediaType& out) override;
    bool PassesThrough() const { return m_passThrough; }

protected:
    void GetBufferProperties(ALLOCATOR_PROPERTIES& props) override;
    HRESULT OnConnected() override;

private:
    EffectFilter& m_effect;
    bool m_passThrough = false;
};

class EffectFilter final : public filterkit::BaseFilter, public IEffectFilterControl, public IEffectFilterSnapshot {
public:
    EffectFilter();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return BaseFilter::QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return BaseFilter::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return BaseFilter::Release(); }

    // IEffectFilterControl
    STDMETHODIMP Reserved3() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved5() override { return E_NOTIMPL; }
    STDMETHODIMP CloseModule() override { return S_OK; }
    // IEffectFilterSnapshot
    STDMETHODIMP GetFrameSize(int* width, int* height) override;
    STDMETHODIMP SetSnapshotHandler(void* context, EffectSnapshotHandler handler, BYTE* buffer) override;
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP RequestSnapshot(BOOL request) override;

    int PinCount() const override { return 2; }
    IPin* PinAt(int index) override;

    EffectInputPin& Input() { return m_input; }
    EffectOutputPin& Output() { return m_output; }
    HRESULT Process(IMediaSample* sample);  // streaming thread

protected:
    HRESULT QueryFilterInterface(REFIID iid, void** out) override;
    HRESULT OnStartStreaming() override;
    void OnStopStreaming() override;

private:
    HRESULT DeliverConverted(IMediaSample* sample, const BYTE* data, long bytes);

    EffectInputPin m_input;
    EffectOutputPin m_output;
    SnapshotDelivery m_snapshots;
};

}  // namespace effect
