#pragma once
// AM_MEDIA_TYPE as a value: copies duplicate the format block and add a reference to pUnk;
// destruction frees them the way DeleteMediaType does.
#include <windows.h>
#include <strmif.h>
#include <amvideo.h>

namespace filterkit {

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

    // True when every field of `partial` that is not GUID_NULL matches this type.
    bool Matches(const AM_MEDIA_TYPE& partial) const;
    // Whole-type comparison: GUIDs, sample size flags and format bytes.
    bool Equals(const AM_MEDIA_TYPE& other) const;

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

// True for a type carrying a VIDEOINFOHEADER block of at least its size.
bool HasVideoInfo(const AM_MEDIA_TYPE& mt);
const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& mt);  // null unless HasVideoInfo

}  // namespace filterkit
