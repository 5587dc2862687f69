#pragma once
#include <windows.h>

#include "framework/Handles.h"

// A targetWidth x targetHeight 32-bit DIB section holding the frame described by `header`
// (a bottom-up 32-bit frame of `pixels`), scaled with COLORONCOLOR. `header` is changed for
// the bitmap's creation and restored before it describes the source. Empty on failure.
UniqueBitmap MakeThumbnail(BITMAPINFOHEADER& header, const BYTE* pixels, int targetWidth, int targetHeight);
