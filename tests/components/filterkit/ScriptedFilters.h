#pragma once
// Two filters built on the kit whose answers a test sets: a source with one output pin and
// a sink with one input pin. Each counts the calls the kit makes into it.
#include <windows.h>
#include <dshow.h>

#include <utility>
#include <vector>

#include "components/filterkit/BaseFilter.h"
#include "components/filterkit/Pins.h"
#include "framework/ComPtr.h"

namespace components_test {

inline constexpr long kScriptedBufferBytes = 320 * 240 * 4;

inline filterkit::MediaType ScriptedVideoType(const GUID& subtype) {
    filterkit::MediaType mt;
    mt.Raw()->majortype = MEDIATYPE_Video;
    mt.Raw()->subtype = subtype;
    VIDEOINFOHEADER vih = {};
    vih.bmiHeader.biWidth = 320;
    vih.bmiHeader.biHeight = 240;
    vih.bmiHeader.biBitCount = subtype == MEDIASUBTYPE_RGB24 ? 24 : 32;
    mt.SetFormat(FORMAT_VideoInfo, &vih, sizeof(vih));
    return mt;
}

class ScriptedSource final : public filterkit::BaseFilter {
public:
    ScriptedSource() : BaseFilter(GUID_NULL), m_pin(*this) {}
    int PinCount() const override { return 1; }
    IPin* PinAt(int index) override { return index == 0 ? &m_pin : nullptr; }
    filterkit::OutputPin& Output() { return m_pin; }

    GUID offered = MEDIASUBTYPE_RGB32;   // the one type the pin proposes
    GUID accepted = MEDIASUBTYPE_RGB32;  // the one subtype CheckMediaType takes
    HRESULT startStreaming = S_OK;
    HRESULT run = S_OK;
    HRESULT pauseFromRun = S_OK;
    int starts = 0;
    int stops = 0;
    std::vector<std::pair<IBaseFilter*, Quality>> qualityMessages;  // sender (not counted), message

protected:
    HRESULT OnStartStreaming() override {
        ++starts;
        return startStreaming;
    }
    HRESULT OnRun(REFERENCE_TIME) override { return run; }
    HRESULT OnPauseFromRun() override { return pauseFromRun; }
    void OnStopStreaming() override { ++stops; }

private:
    class Pin final : public filterkit::OutputPin {
    public:
        explicit Pin(ScriptedSource& source) : OutputPin(source, L"Out"), m_source(source) {}
        HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override {
            return mt.majortype == MEDIATYPE_Video && mt.subtype == m_source.accepted ? S_OK : S_FALSE;
        }
        HRESULT GetMediaType(int index, filterkit::MediaType& out) override {
            if (index != 0) return VFW_S_NO_MORE_ITEMS;
            out = ScriptedVideoType(m_source.offered);
            return S_OK;
        }

    protected:
        void GetBufferProperties(ALLOCATOR_PROPERTIES& props) override {
            props.cBuffers = 2;
            props.cbBuffer = kScriptedBufferBytes;
        }
        HRESULT OnQualityMessage(IBaseFilter* sender, const Quality& quality) override {
            m_source.qualityMessages.emplace_back(sender, quality);
            return S_OK;
        }

    private:
        ScriptedSource& m_source;
    };
    Pin m_pin;
};

class ScriptedSink final : public filterkit::BaseFilter {
public:
    ScriptedSink() : BaseFilter(GUID_NULL), m_pin(*this) {}
    int PinCount() const override { return 1; }
    IPin* PinAt(int index) override { return index == 0 ? &m_pin : nullptr; }

    GUID accepted = MEDIASUBTYPE_RGB32;
    HRESULT receiveConnection = S_OK;      // a failure is returned before the kit's checks
    std::vector<HRESULT> notifyAllocator;  // answers to successive calls; S_OK after the list
    bool offerAllocator = false;           // GetAllocator hands out one of its own, not the kit's
    ComPtr<IMemAllocator> offered;
    std::vector<IMemAllocator*> notified;  // not counted: compared only
    int receiveConnections = 0;
    int disconnects = 0;

private:
    class Pin final : public filterkit::InputPin {
    public:
        explicit Pin(ScriptedSink& sink) : InputPin(sink, L"In"), m_sink(sink) {}
        HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override {
            return mt.majortype == MEDIATYPE_Video && mt.subtype == m_sink.accepted ? S_OK : S_FALSE;
        }
        STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override {
            ++m_sink.receiveConnections;
            if (FAILED(m_sink.receiveConnection)) return m_sink.receiveConnection;
            return InputPin::ReceiveConnection(connector, mt);
        }
        STDMETHODIMP Disconnect() override {
            ++m_sink.disconnects;
            return InputPin::Disconnect();
        }
        STDMETHODIMP GetAllocator(IMemAllocator** out) override {
            if (!m_sink.offerAllocator) return InputPin::GetAllocator(out);
            if (!m_sink.offered) {
                const HRESULT hr = ::CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                                      IID_IMemAllocator, m_sink.offered.PutVoid());
                if (FAILED(hr)) return hr;
            }
            return m_sink.offered.CopyTo(out);
        }
        STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override {
            const size_t call = m_sink.notified.size();
            m_sink.notified.push_back(allocator);
            if (call < m_sink.notifyAllocator.size() && FAILED(m_sink.notifyAllocator[call]))
                return m_sink.notifyAllocator[call];
            return InputPin::NotifyAllocator(allocator, readOnly);
        }
        STDMETHODIMP Receive(IMediaSample*) override { return S_OK; }

    private:
        ScriptedSink& m_sink;
    };
    Pin m_pin;
};

}  // namespace components_test
