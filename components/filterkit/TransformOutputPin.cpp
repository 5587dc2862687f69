#include "components/filterkit/TransformOutputPin.h"

#include "components/filterkit/BaseFilter.h"
#include "framework/ComPtr.h"

namespace filterkit {

TransformOutputPin::TransformOutputPin(BaseFilter& filter, const wchar_t* name, InputPin& input)
    : OutputPin(filter, name), m_input(input) {}

HRESULT TransformOutputPin::OnQualityMessage(IBaseFilter*, const Quality& quality) {
    // Read as the streaming thread reads the connection: it changes only while stopped.
    IPin* upstream = m_input.Peer();
    ComPtr<IQualityControl> control;
    if (!upstream || FAILED(upstream->QueryInterface(IID_IQualityControl, control.PutVoid())) || !control)
        return E_NOTIMPL;
    return control->Notify(&m_filter, quality);
}

}  // namespace filterkit
