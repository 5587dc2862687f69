#include "components/filterkit/TransformInputPin.h"

#include <vfwmsgs.h>

#include "components/filterkit/BaseFilter.h"
#include "framework/ComPtr.h"

namespace filterkit {

TransformInputPin::TransformInputPin(BaseFilter& filter, const wchar_t* name, OutputPin& output)
    : InputPin(filter, name), m_output(output) {}

STDMETHODIMP TransformInputPin::Receive(IMediaSample* sample) {
    if (!sample) return E_POINTER;
    if (m_filter.State() == State_Stopped) return VFW_E_WRONG_STATE;
    if (IsFlushing()) return S_FALSE;
    return Transform(sample);
}

STDMETHODIMP TransformInputPin::EndOfStream() { return IsFlushing() ? S_FALSE : m_output.DeliverEndOfStream(); }

STDMETHODIMP TransformInputPin::BeginFlush() {
    InputPin::BeginFlush();
    return m_output.DeliverBeginFlush();
}

STDMETHODIMP TransformInputPin::EndFlush() {
    InputPin::EndFlush();
    return m_output.DeliverEndFlush();
}

STDMETHODIMP TransformInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    return m_output.DeliverNewSegment(start, stop, rate);
}

void TransformInputPin::ReconnectOutputIfRefused() {
    if (!m_output.IsConnected() || m_output.CheckMediaType(m_output.ConnectedType().Get()) == S_OK) return;
    ComPtr<IFilterGraph2> graph;
    if (m_filter.Graph() && SUCCEEDED(m_filter.Graph()->QueryInterface(IID_IFilterGraph2, graph.PutVoid())))
        graph->ReconnectEx(&m_output, nullptr);
}

}  // namespace filterkit
