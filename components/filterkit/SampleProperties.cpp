#include "components/filterkit/SampleProperties.h"

namespace filterkit {

void CopySampleProperties(IMediaSample* from, IMediaSample* to) {
    REFERENCE_TIME start = 0, stop = 0;
    if (from->GetTime(&start, &stop) == S_OK)
        to->SetTime(&start, &stop);
    else
        to->SetTime(nullptr, nullptr);
    to->SetSyncPoint(TRUE);
    to->SetDiscontinuity(from->IsDiscontinuity() == S_OK);
    to->SetPreroll(from->IsPreroll() == S_OK);
}

}  // namespace filterkit
