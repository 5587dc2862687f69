#pragma once
// What a filter that makes a new sample from a received one carries over to it.
#include <windows.h>
#include <strmif.h>

namespace filterkit {

// Time stamps as they are (start and stop, a start only, or none), sync point,
// discontinuity and preroll of `from`, onto `to`.
void CopySampleProperties(IMediaSample* from, IMediaSample* to);

}  // namespace filterkit
