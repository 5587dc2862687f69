#pragma once
// A renderer for tests, built with the filter kit: it accepts any video type, counts the
// samples and ends of stream it receives, keeps the last sample's times, and offers its own
// allocator, which counts the buffers taken from it. With it a test can tell whether the
// effect filter copied frames into buffers of its own output allocator or passed the input
// samples on.
#include <windows.h>
#include <dshow.h>

#include <atomic>

#include "components/filterkit/BaseFilter.h"
#include "components/filterkit/Pins.h"
#include "framework/ComPtr.h"

namespace components_test {

class CountingAllocator final : public IMemAllocator {
public:
    explicit CountingAllocator(ComPtr<IMemAllocator> inner) : m_inner(std::move(inner)) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IMemAllocator) return E_NOINTERFACE;
        *out = static_cast<IMemAllocator*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG refs = --m_refs;
        if (!refs) delete this;
        return refs;
    }
    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* wanted, ALLOCATOR_PROPERTIES* actual) override {
        return m_inner->SetProperties(wanted, actual);
    }
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* props) override { return m_inner->GetProperties(props); }
    STDMETHODIMP Commit() override { return m_inner->Commit(); }
    STDMETHODIMP Decommit() override { return m_inner->Decommit(); }
    STDMETHODIMP GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags) override {
        ++buffers;
        return m_inner->GetBuffer(sample, start, stop, flags);
    }
    STDMETHODIMP ReleaseBuffer(IMediaSample* sample) override { return m_inner->ReleaseBuffer(sample); }

    std::atomic<long> buffers{0};

private:
    std::atomic<ULONG> m_refs{1};
    ComPtr<IMemAllocator> m_inner;
};

class CountingSink final : public filterkit::BaseFilter {
public:
    CountingSink() : BaseFilter(kClsid), m_pin(*this) {}
    int PinCount() const override { return 1; }
    IPin* PinAt(int index) override { return index == 0 ? &m_pin : nullptr; }

    long Received() const { return m_pin.received; }
    long LastLength() const { return m_pin.lastLength; }
    long EndsOfStream() const { return m_pin.endsOfStream; }
    // The last sample's GetTime: its answer, start and stop (read with the stream paused).
    HRESULT LastTime(REFERENCE_TIME& start, REFERENCE_TIME& stop) const {
        start = m_pin.lastStart;
        stop = m_pin.lastStop;
        return m_pin.lastTime;
    }
    long BuffersFromOwnAllocator() const { return m_pin.allocator ? m_pin.allocator->buffers.load() : 0; }

private:
    // {0B7E4C1D-2A3F-4E5B-9C6D-7E8F9A0B1C2D}
    static constexpr CLSID kClsid = {0x0b7e4c1d, 0x2a3f, 0x4e5b, {0x9c, 0x6d, 0x7e, 0x8f, 0x9a, 0x0b, 0x1c, 0x2d}};

    class SinkPin final : public filterkit::InputPin {
    public:
        explicit SinkPin(CountingSink& sink) : InputPin(sink, L"In") {}
        HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override {
            return mt.majortype == MEDIATYPE_Video && mt.formattype == FORMAT_VideoInfo ? S_OK : S_FALSE;
        }
        STDMETHODIMP GetAllocator(IMemAllocator** out) override {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (!allocator) {
                ComPtr<IMemAllocator> inner;
                HRESULT hr = ::CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                                inner.PutVoid());
                if (FAILED(hr)) return hr;
                allocator.Attach(new CountingAllocator(std::move(inner)));
            }
            allocator->AddRef();
            *out = allocator.Get();
            return S_OK;
        }
        STDMETHODIMP Receive(IMediaSample* sample) override {
            if (!sample) return E_POINTER;
            if (m_filter.State() == State_Stopped) return VFW_E_WRONG_STATE;
            lastLength = sample->GetActualDataLength();
            lastTime = sample->GetTime(&lastStart, &lastStop);
            ++received;
            return S_OK;
        }
        STDMETHODIMP EndOfStream() override {
            ++endsOfStream;
            return S_OK;
        }
        std::atomic<long> received{0};
        std::atomic<long> lastLength{0};
        std::atomic<long> endsOfStream{0};
        HRESULT lastTime = VFW_E_SAMPLE_TIME_NOT_SET;
        REFERENCE_TIME lastStart = 0, lastStop = 0;
        ComPtr<CountingAllocator> allocator;
    };

    SinkPin m_pin;
};

}  // namespace components_test
