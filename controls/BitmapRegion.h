#pragma once
#include <windows.h>

#include "framework/Handles.h"

// Copies the top-left (right - left) x (bottom - top) pixels of `source` into a new bitmap
// compatible with `dc`, which `destination` then owns (its previous bitmap is deleted). The
// rectangle's position is not used. Nothing happens when `source` is null.
void CopyBitmapRegion(HDC dc, UniqueBitmap& destination, HBITMAP source, const RECT& rect);
