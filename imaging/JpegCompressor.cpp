#include "imaging/JpegCompressor.h"

const JpegCompressorCalls& Japi2Calls() {
    static const JpegCompressorCalls calls = {Init_JPEG_Compressor, Start_JPEG_Compress, Compress_One_Line,
                                              End_JPEG_Compress, Close_JPEG_Compressor};
    return calls;
}
