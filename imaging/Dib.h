#pragma once
// CDib: one movable, zero-initialised global memory block holding a packed DIB (header,
// colour table, bottom-up pixel rows), loaded from a BMP file or made from a camera frame,
// written as a BMP file and as JPEG through the compressor. The block ends with 14 spare
// zero bytes, as when it holds a whole file behind its file header. Free releases it early;
// copying is not supported (moving neither: the block has exactly one owner for its whole
// life).
#include <windows.h>

#include "framework/Handles.h"
#include "imaging/JpegCompressor.h"

class CDib {
public:
    CDib() = default;
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    void Free() { m_block.Reset(); }
    // 1 when the whole file is in the buffer. 0 for a missing or unreadable file, a short
    // file header, a type other than "BM" (refused before any allocation), an information
    // header shorter than 40 bytes, pixel rows that the file does not fully hold, a failed
    // allocation or a short read; the buffer is then empty. A previous picture is freed.
    int LoadBmpFile(const wchar_t* fileName);
    // The frame `pixels` (width x height 32-bit pixels, bottom row first) behind a 40-byte
    // header, as a photo's bitmap file holds it. False, and the buffer empty, for a size of
    // 0 or less, one whose bytes do not fit in 32 bits, or a failed allocation. A previous
    // picture is replaced; its block is filled again when it is large enough.
    bool LoadFrame(int width, int height, const unsigned char* pixels);
    // Writes the picture to `file` as a BMP file: the file header, then the header, colour
    // table and rows. False when the buffer is empty or a write fails or falls short.
    bool WriteBmpFile(HANDLE file) const;

    BITMAPINFOHEADER* GetHeader() const;
    WORD GetColorCount() const;
    WORD GetColorTableSize() const;
    unsigned char* GetBits() const;
    bool IsEmpty() const { return !m_block; }

    // Writes the picture as a JPEG file through the compressor (JAPI2.dll unless `calls`
    // says otherwise). False, and no file created, when the buffer is empty or does not
    // hold what its header announces (24 or 32 bits, uncompressed, width 1..65535, height
    // 0..65535 bottom-up, every row inside the block); false when the file cannot be
    // created. 32-bit pixels are converted to 24 bits in place, so afterwards the buffer
    // no longer holds valid 32-bit pixels.
    bool SaveJpeg(const wchar_t* fileName, int setting) { return SaveJpeg(fileName, setting, Japi2Calls()); }
    bool SaveJpeg(const wchar_t* fileName, int setting, const JpegCompressorCalls& calls);

private:
    UniqueGlobal m_block;
};
