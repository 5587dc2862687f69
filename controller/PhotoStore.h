#pragma once
// The storing thread's work for one photo: a new numbered file in the photo folder, written
// first as a bitmap, its item made, then the same picture written as the JPEG that replaces
// the bitmap through the intermediate file "temp" in the current folder.
#include <windows.h>

#include "controller/PhotoHandOff.h"
#include "imaging/Dib.h"

// `frame` is the photo's own copy and is spent (the JPEG converts it in place). The result's
// item is null when no bitmap could be written whole under a new name: then no file is left
// under any photo name. Its number is the one the photo used up, also when it failed.
PhotoResult StorePhoto(const PhotoOrder& order, CDib& frame, SIZE thumbnail);
