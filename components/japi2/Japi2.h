#pragma once
// The five calls of JAPI2.dll, the JPEG compressor. All use the standard calling
// convention; results are 1 on success and 0 on failure (callers may ignore them).
//
//   Init_JPEG_Compressor(&compressor, options)   options: reserved, pass 0
//   Start_JPEG_Compress(compressor, file, setting, width, height)
//        file: a Win32 file handle opened for writing; the library writes the JFIF data
//        through it and never closes it. setting: see QualityFromSetting (140 gives a
//        high-quality photo). An empty picture (width or height 0) writes nothing.
//   Compress_One_Line(compressor, row, bgr)
//        rows are taken in the order they arrive, top row first; `row` is the caller's
//        count (0 = top) and only documents it. bgr: width * 3 bytes, blue-green-red.
//   End_JPEG_Compress(compressor)      completes the file (missing rows repeat the last)
//   Close_JPEG_Compressor(compressor)  frees the compressor; the handle is then invalid
#ifdef _WIN32
#define JAPI2_CALL __stdcall
#else
#define JAPI2_CALL
#endif

#ifdef JAPI2_BUILDING_DLL
#define JAPI2_API extern "C" __declspec(dllexport)
#else
#define JAPI2_API extern "C" __declspec(dllimport)
#endif

typedef struct Japi2Compressor* JAPI2_COMPRESSOR;

JAPI2_API int JAPI2_CALL Init_JPEG_Compressor(JAPI2_COMPRESSOR* compressor, int options);
JAPI2_API int JAPI2_CALL Start_JPEG_Compress(JAPI2_COMPRESSOR compressor, void* file, int setting,
                                             int width, int height);
JAPI2_API int JAPI2_CALL Compress_One_Line(JAPI2_COMPRESSOR compressor, int row, const unsigned char* bgr);
JAPI2_API int JAPI2_CALL End_JPEG_Compress(JAPI2_COMPRESSOR compressor);
JAPI2_API int JAPI2_CALL Close_JPEG_Compressor(JAPI2_COMPRESSOR compressor);
