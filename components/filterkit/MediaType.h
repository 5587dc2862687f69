#pragma once
// AM_MEDIA_TYPE as a value: copies duplicate the format block and add a reference to pUnk;
// destruction frees them the way DeleteMediaType does. The one media-type module of both
// DirectShow DLLs and of the camera program's capture engine.
#include <windows.h>
#include <strmif.h>
#include <amvideo.h>

#include <cstddef>

namespace filterkit {

class MediaType;

// What MediaType::Put hands to an out parameter: when the statement that received it ends,
// the CoTaskMem type the callee wrote moves into the MediaType and its structure is freed.
class MediaTypeReceiver {
public:
    explicit MediaTypeReceiver(MediaType& target) : m_target(target) {}
    ~MediaTypeReceiver();
    MediaTypeReceiver(const MediaTypeReceiver&) = delete;
    MediaTypeReceiver& operator=(const MediaTypeReceiver&) = delete;
    operator AM_MEDIA_TYPE**() { return &m_received; }

private:
    MediaType& m_target;
    AM_MEDIA_TYPE* m_received = nullptr;
};

class MediaType {
public:
    MediaType();
    explicit MediaType(const AM_MEDIA_TYPE& other);
    MediaType(const MediaType& other);
    MediaType(MediaType&& other) noexcept;
    MediaType& operator=(const MediaType& other);
    MediaType& operator=(MediaType&& other) noexcept;
    ~MediaType();

    const AM_MEDIA_TYPE& Get() const { return m_mt; }
    AM_MEDIA_TYPE* Raw() { return &m_mt; }

    // Replaces the format block with `size` bytes copied from `data` (zeroed when null).
    // False when the memory cannot be had.
    bool SetFormat(const GUID& formatType, const void* data, ULONG size);
    void Clear();  // empty type: GUID_NULL everywhere, no format

    // Empties the type, then gives an address for an out parameter that hands out a
    // CoTaskMem AM_MEDIA_TYPE* (IEnumMediaTypes::Next, IAMStreamConfig::GetFormat and
    // GetStreamCaps); the type arrives when the statement ends, empty when none came.
    MediaTypeReceiver Put() {
        Clear();
        return MediaTypeReceiver(*this);
    }
    // Takes over the contents of a CoTaskMem type and frees its structure; null empties.
    void Adopt(AM_MEDIA_TYPE* taskAllocated);

    // True when every field of `partial` that is not GUID_NULL matches this type.
    bool Matches(const AM_MEDIA_TYPE& partial) const;

    // A CoTaskMem copy for an out parameter (IEnumMediaTypes::Next, GetFormat); null when
    // out of memory. Free it with DeleteMediaType.
    AM_MEDIA_TYPE* NewCopy() const;

private:
    AM_MEDIA_TYPE m_mt;
};

// Deep copy of `src` into the empty `dst` (E_OUTOFMEMORY leaves `dst` empty).
HRESULT CopyMediaType(AM_MEDIA_TYPE& dst, const AM_MEDIA_TYPE& src);
// Frees the format block and pUnk of `mt` and empties it.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// FreeMediaType, then CoTaskMemFree of the structure itself; null is allowed.
void DeleteMediaType(AM_MEDIA_TYPE* mt);

// The format block of `mt` when its format type is `formatType` and the block is present
// and at least `size` bytes long; null otherwise. Every reading of a format block goes
// through this check: a device may hand out a block shorter than its format type says.
const BYTE* FormatBlock(const AM_MEDIA_TYPE& mt, const GUID& formatType, size_t size);

// True for a type carrying a VIDEOINFOHEADER block of at least its size.
bool HasVideoInfo(const AM_MEDIA_TYPE& mt);
const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& mt);  // null unless HasVideoInfo
VIDEOINFOHEADER* VideoInfo(AM_MEDIA_TYPE& mt);
// The bitmap header of a FORMAT_VideoInfo or FORMAT_VideoInfo2 type whose block is long
// enough for its format type; null otherwise.
const BITMAPINFOHEADER* VideoBitmapHeader(const AM_MEDIA_TYPE& mt);

}  // namespace filterkit
