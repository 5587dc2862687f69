#pragma once
// Owners of AM_MEDIA_TYPE blocks handed out by pins, enumerators and IAMStreamConfig:
// the structure and its format block come from CoTaskMemAlloc, pUnk carries a reference.
#include <windows.h>
#include <strmif.h>

// Frees the format block and releases pUnk; the structure itself stays (FreeMediaType).
void FreeMediaTypeContents(AM_MEDIA_TYPE& type);
// Frees the contents and the structure (DeleteMediaType). Null is allowed.
void DeleteTaskMediaType(AM_MEDIA_TYPE* type);
// Deep copy into a new CoTaskMemAlloc block (format block copied, pUnk referenced again);
// null when memory runs out.
AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& source);

// Move-only owner of one task-allocated media type.
class UniqueMediaType {
public:
    UniqueMediaType() = default;
    explicit UniqueMediaType(AM_MEDIA_TYPE* type) : m_pType(type) {}
    ~UniqueMediaType() { Reset(); }
    UniqueMediaType(UniqueMediaType&& other) noexcept : m_pType(other.Release()) {}
    UniqueMediaType& operator=(UniqueMediaType&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueMediaType(const UniqueMediaType&) = delete;
    UniqueMediaType& operator=(const UniqueMediaType&) = delete;

    AM_MEDIA_TYPE* Get() const { return m_pType; }
    AM_MEDIA_TYPE* operator->() const { return m_pType; }
    explicit operator bool() const { return m_pType != nullptr; }
    void Reset(AM_MEDIA_TYPE* type = nullptr) {
        AM_MEDIA_TYPE* old = m_pType;
        m_pType = type;
        DeleteTaskMediaType(old);
    }
    AM_MEDIA_TYPE* Release() {
        AM_MEDIA_TYPE* type = m_pType;
        m_pType = nullptr;
        return type;
    }
    // Frees what is held, then gives the address for an out parameter.
    AM_MEDIA_TYPE** Put() {
        Reset();
        return &m_pType;
    }

private:
    AM_MEDIA_TYPE* m_pType = nullptr;
};

// The BITMAPINFOHEADER of a FORMAT_VideoInfo or FORMAT_VideoInfo2 type whose format block
// is present and large enough; null otherwise.
const BITMAPINFOHEADER* VideoBitmapHeader(const AM_MEDIA_TYPE& type);
