#pragma once
// The input pin of a filter with one input and one output: the stream's control calls go
// on to the output pin, and a sample goes to Transform unless the filter is stopped or the
// pin is flushing. An end of stream that comes while flushing is dropped (S_FALSE), as a
// transform filter of the platform drops it; after EndFlush it goes on again.
#include <windows.h>
#include <strmif.h>

#include "components/filterkit/Pins.h"

namespace filterkit {

class TransformInputPin : public InputPin {
public:
    TransformInputPin(BaseFilter& filter, const wchar_t* name, OutputPin& output);

    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

protected:
    // The filter's work on one sample, on the streaming thread.
    virtual HRESULT Transform(IMediaSample* sample) = 0;
    // For OnConnected: a new input type that the connected output no longer fits makes the
    // graph reconnect the output.
    void ReconnectOutputIfRefused();

private:
    OutputPin& m_output;
};

}  // namespace filterkit
