#pragma once
// The five calls of the JPEG compressor as a table, so that CDib can drive either
// JAPI2.dll (the program) or a recording stand-in (tests).
#include "components/japi2/Japi2.h"

struct JpegCompressorCalls {
    int(JAPI2_CALL* init)(JAPI2_COMPRESSOR* compressor, int options);
    int(JAPI2_CALL* start)(JAPI2_COMPRESSOR compressor, void* file, int setting, int width, int height);
    int(JAPI2_CALL* compressLine)(JAPI2_COMPRESSOR compressor, int row, const unsigned char* bgr);
    int(JAPI2_CALL* end)(JAPI2_COMPRESSOR compressor);
    int(JAPI2_CALL* close)(JAPI2_COMPRESSOR compressor);
};

// The calls imported from JAPI2.dll.
const JpegCompressorCalls& Japi2Calls();
