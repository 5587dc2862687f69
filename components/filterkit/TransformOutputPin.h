#pragma once
// The output pin of a filter with one input and one output: a quality message from
// downstream that no sink took goes on to the pin upstream of the input, sent as this
// filter's own, as a transform filter of the platform passes it. Its answer is that pin's;
// E_NOTIMPL when the input is unconnected or the pin upstream takes no quality messages.
#include <windows.h>
#include <strmif.h>

#include "components/filterkit/Pins.h"

namespace filterkit {

class TransformOutputPin : public OutputPin {
public:
    TransformOutputPin(BaseFilter& filter, const wchar_t* name, InputPin& input);

protected:
    HRESULT OnQualityMessage(IBaseFilter* sender, const Quality& quality) override;

private:
    InputPin& m_input;
};

}  // namespace filterkit
