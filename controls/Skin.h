#pragma once
// The programs' skins at a window's DPI. Each bitmap is drawn at 100, 150 and 200 %
// (make_bitmaps.py); the set nearest the DPI is loaded and, when the DPI lies between two
// sets, resized to the bitmap's 96-DPI size scaled by display::Scaled.
#include "framework/Handles.h"

// Bitmap resource `id` of `instance` for `dpi`, as a DIB section. A strip of `frames`
// frames side by side is resized frame by frame, so that no frame bleeds into the next
// and every frame has the scaled width. `loadFlags` are added to LoadImageW's.
UniqueBitmap LoadSkin(HINSTANCE instance, int id, int dpi, int frames = 1, UINT loadFlags = 0);

// Shows `picture` in a static control (SS_BITMAP), which keeps `shown` from then on. The
// static hands back the picture it showed before: the one it loaded from its template the
// first time (the caller's to delete from then on), or a copy it made: both are deleted.
void ShowSkinInStatic(HWND staticControl, UniqueBitmap& shown, UniqueBitmap picture);
