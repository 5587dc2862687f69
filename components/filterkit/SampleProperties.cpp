#include "components/filterkit/SampleProperties.h"

#include <vfwmsgs.h>

namespace filterkit {

void CopySampleProperties(IMediaSample* from, IMediaSample* to) {
    REFERENCE_TIME start = 0, stop = 0;
    const HRESULT time = from->GetTime(&start, &stop);
    if (time == S_OK)
        to->SetTime(&start, &stop);
    else if (time == VFW_S_NO_STOP_TIME)  // the stop GetTime made up is not passed on
        to->SetTime(&start, nullptr);
    else
        to->SetTime(nullptr, nullptr);
    to->SetSyncPoint(TRUE);
    to->SetDiscontinuity(from->IsDiscontinuity() == S_OK);
    to->SetPreroll(from->IsPreroll() == S_OK);
}

}  // namespace filterkit
