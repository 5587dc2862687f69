#include "imaging/Dib.h"

#include <cstring>
#include <utility>

#include "framework/Handles.h"
#include "imaging/BmpLayout.h"
#include "imaging/GlobalLock.h"

namespace {
// The spare zero bytes at the end of every block: the file header's length.
constexpr SIZE_T kSpareBytes = imaging::kBmpFileHeaderSize;
}  // namespace

int CDib::LoadBmpFile(const wchar_t* fileName) {
    Free();
    UniqueFile file(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file.Get(), &length)) return 0;

    unsigned char fileHeader[imaging::kBmpFileHeaderSize];
    DWORD read = 0;
    if (!ReadFile(file.Get(), fileHeader, sizeof fileHeader, &read, nullptr) ||
        !imaging::IsBmpFileHeader(fileHeader, read))
        return 0;
    const ULONGLONG rest = static_cast<ULONGLONG>(length.QuadPart) - imaging::kBmpFileHeaderSize;
    if (length.QuadPart < static_cast<LONGLONG>(imaging::kBmpFileHeaderSize) || rest > MAXDWORD) return 0;

    // The whole file length: the information header onwards, then 14 spare zero bytes.
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(length.QuadPart)));
    if (!block) return 0;
    {
        GlobalLockGuard lock(block.Get());
        if (!lock.Data()) return 0;
        DWORD total = 0;
        while (total < rest) {
            DWORD got = 0;
            if (!ReadFile(file.Get(), lock.Data() + total, static_cast<DWORD>(rest) - total, &got, nullptr) || got == 0)
                break;
            total += got;
        }
        if (total != rest || !imaging::IsCompleteDib(lock.Data(), total)) return 0;
    }
    m_block = std::move(block);
    return 1;
}

bool CDib::LoadFrame(int width, int height, const unsigned char* pixels) {
    const uint64_t imageSize = uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) * 4;
    if (width <= 0 || height <= 0 || !pixels || imageSize > MAXDWORD - imaging::kInfoHeaderSize - kSpareBytes) {
        Free();
        return false;
    }
    const SIZE_T size = imaging::kInfoHeaderSize + static_cast<SIZE_T>(imageSize) + kSpareBytes;
    // A block that holds the frame already is filled again: filling fresh memory costs more
    // than the copy itself (every page is faulted in).
    if (!m_block || GlobalSize(m_block.Get()) < size) {
        Free();
        m_block.Reset(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
        if (!m_block) return false;
    }
    GlobalLockGuard lock(m_block.Get());
    if (!lock.Data()) {
        Free();
        return false;
    }
    uint8_t header[imaging::kInfoHeaderSize];
    imaging::WriteFrameInfoHeader(width, height, header);
    std::memcpy(lock.Data(), header, sizeof header);
    std::memcpy(lock.Data() + sizeof header, pixels, static_cast<size_t>(imageSize));
    std::memset(lock.Data() + size - kSpareBytes, 0, kSpareBytes);
    return true;
}

bool CDib::WriteBmpFile(HANDLE file) const {
    if (!m_block) return false;
    GlobalLockGuard lock(m_block.Get());
    if (!lock.Data()) return false;
    const uint64_t dibSize = imaging::DibDataSize(lock.Data());
    if (dibSize > MAXDWORD) return false;
    uint8_t fileHeader[imaging::kBmpFileHeaderSize];
    imaging::WriteBmpFileHeader(dibSize, imaging::DibBitsOffset(lock.Data()), fileHeader);
    DWORD written = 0;
    if (!WriteFile(file, fileHeader, sizeof fileHeader, &written, nullptr) || written != sizeof fileHeader) return false;
    return WriteFile(file, lock.Data(), static_cast<DWORD>(dibSize), &written, nullptr) && written == dibSize;
}

BITMAPINFOHEADER* CDib::GetHeader() const {
    if (!m_block) return nullptr;
    GlobalLockGuard lock(m_block.Get());
    return reinterpret_cast<BITMAPINFOHEADER*>(lock.Data());
}

WORD CDib::GetColorCount() const {
    const BITMAPINFOHEADER* header = GetHeader();
    return header ? imaging::DibColorCount(reinterpret_cast<const uint8_t*>(header)) : 0;
}

WORD CDib::GetColorTableSize() const {
    const BITMAPINFOHEADER* header = GetHeader();
    return header ? imaging::DibColorTableSize(reinterpret_cast<const uint8_t*>(header)) : 0;
}

unsigned char* CDib::GetBits() const {
    BITMAPINFOHEADER* header = GetHeader();
    if (!header) return nullptr;
    return reinterpret_cast<unsigned char*>(header) + imaging::DibBitsOffset(reinterpret_cast<const uint8_t*>(header));
}

bool CDib::SaveJpeg(const wchar_t* fileName, int setting, const JpegCompressorCalls& calls) {
    if (!m_block) return false;
    GlobalLockGuard lock(m_block.Get());
    if (!lock.Data()) return false;
    // Only the picture's bytes count as data, not the spare bytes at the end.
    const SIZE_T blockSize = GlobalSize(m_block.Get());
    const size_t dataSize = blockSize > kSpareBytes ? blockSize - kSpareBytes : 0;
    imaging::JpegSource source;
    if (!imaging::PlanJpegSource(lock.Data(), dataSize, source)) return false;

    UniqueFile file(CreateFileW(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;

    unsigned char* bits = lock.Data() + source.bitsOffset;
    imaging::ConvertTo24Bit(bits, source);

    JAPI2_COMPRESSOR compressor = nullptr;
    calls.init(&compressor, 0);
    calls.start(compressor, file.Get(), setting, source.width, source.height);
    for (int i = 0; i < source.height; ++i) calls.compressLine(compressor, i, imaging::TopDownRow(bits, source, i));
    calls.end(compressor);
    calls.close(compressor);
    return true;
}
