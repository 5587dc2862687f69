// JAPI2.dll: the compressor's five calls around the platform-free encoder, writing through
// the caller's file handle.
#include <windows.h>

#include <new>

#include "components/japi2/Japi2.h"
#include "components/japi2/JpegEncoder.h"
#include "components/japi2/JpegTables.h"

struct Japi2Compressor {
    japi2::JpegEncoder encoder;
    HANDLE file = INVALID_HANDLE_VALUE;  // borrowed from the caller, never closed here
    bool started = false;
};

namespace {

bool WriteToFile(void* context, const uint8_t* data, size_t size) {
    const HANDLE file = static_cast<HANDLE>(context);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

int JAPI2_CALL Init_JPEG_Compressor(JAPI2_COMPRESSOR* compressor, int /*options*/) {
    if (!compressor) return 0;
    *compressor = new (std::nothrow) Japi2Compressor;
    return *compressor ? 1 : 0;
}

int JAPI2_CALL Start_JPEG_Compress(JAPI2_COMPRESSOR compressor, void* file, int setting, int width,
                                   int height) {
    if (!compressor || !file || file == INVALID_HANDLE_VALUE) return 0;
    compressor->file = static_cast<HANDLE>(file);
    // No exception may cross the C boundary: running out of memory is a plain failure.
    try {
        compressor->started = compressor->encoder.Start(width, height, japi2::QualityFromSetting(setting),
                                                        WriteToFile, compressor->file);
    } catch (...) {
        compressor->started = false;
    }
    return compressor->started ? 1 : 0;
}

int JAPI2_CALL Compress_One_Line(JAPI2_COMPRESSOR compressor, int /*row*/, const unsigned char* bgr) {
    if (!compressor || !compressor->started) return 0;
    return compressor->encoder.AddRow(bgr) ? 1 : 0;
}

int JAPI2_CALL End_JPEG_Compress(JAPI2_COMPRESSOR compressor) {
    if (!compressor || !compressor->started) return 0;
    compressor->started = false;
    return compressor->encoder.Finish() ? 1 : 0;
}

int JAPI2_CALL Close_JPEG_Compressor(JAPI2_COMPRESSOR compressor) {
    delete compressor;
    return 1;
}
