#include "components/filterkit/MediaType.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>

#include <cstring>
#include <utility>

namespace filterkit {

HRESULT CopyMediaType(AM_MEDIA_TYPE& dst, const AM_MEDIA_TYPE& src) {
    dst = src;
    dst.pbFormat = nullptr;
    dst.cbFormat = 0;
    if (src.cbFormat && src.pbFormat) {
        dst.pbFormat = static_cast<BYTE*>(::CoTaskMemAlloc(src.cbFormat));
        if (!dst.pbFormat) {
            dst.pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(dst.pbFormat, src.pbFormat, src.cbFormat);
        dst.cbFormat = src.cbFormat;
    }
    if (dst.pUnk) dst.pUnk->AddRef();
    return S_OK;
}

void FreeMediaType(AM_MEDIA_TYPE& mt) {
    if (mt.pbFormat) ::CoTaskMemFree(mt.pbFormat);
    if (mt.pUnk) mt.pUnk->Release();
    std::memset(&mt, 0, sizeof(mt));
}

void DeleteMediaType(AM_MEDIA_TYPE* mt) {
    if (!mt) return;
    FreeMediaType(*mt);
    ::CoTaskMemFree(mt);
}

MediaType::MediaType() { std::memset(&m_mt, 0, sizeof(m_mt)); }

MediaType::MediaType(const AM_MEDIA_TYPE& other) : MediaType() { CopyMediaType(m_mt, other); }

MediaType::MediaType(const MediaType& other) : MediaType(other.m_mt) {}

MediaType::MediaType(MediaType&& other) noexcept : m_mt(other.m_mt) { std::memset(&other.m_mt, 0, sizeof(other.m_mt)); }

MediaType& MediaType::operator=(const MediaType& other) {
    if (this != &other) {
        MediaType copy(other);
        *this = std::move(copy);
    }
    return *this;
}

MediaType& MediaType::operator=(MediaType&& other) noexcept {
    if (this != &other) {
        FreeMediaType(m_mt);
        m_mt = other.m_mt;
        std::memset(&other.m_mt, 0, sizeof(other.m_mt));
    }
    return *this;
}

MediaType::~MediaType() { FreeMediaType(m_mt); }

void MediaType::Clear() { FreeMediaType(m_mt); }

bool MediaType::SetFormat(const GUID& formatType, const void* data, ULONG size) {
    BYTE* block = nullptr;
    if (size) {
        block = static_cast<BYTE*>(::CoTaskMemAlloc(size));
        if (!block) return false;
        if (data)
            std::memcpy(block, data, size);
        else
            std::memset(block, 0, size);
    }
    if (m_mt.pbFormat) ::CoTaskMemFree(m_mt.pbFormat);
    m_mt.pbFormat = block;
    m_mt.cbFormat = size;
    m_mt.formattype = formatType;
    return true;
}

bool MediaType::Matches(const AM_MEDIA_TYPE& partial) const {
    if (partial.majortype != GUID_NULL && partial.majortype != m_mt.majortype) return false;
    if (partial.subtype != GUID_NULL && partial.subtype != m_mt.subtype) return false;
    if (partial.formattype != GUID_NULL && partial.formattype != m_mt.formattype) return false;
    return true;
}

void MediaType::Adopt(AM_MEDIA_TYPE* taskAllocated) {
    FreeMediaType(m_mt);
    if (!taskAllocated) return;
    m_mt = *taskAllocated;  // format block and pUnk reference move over
    ::CoTaskMemFree(taskAllocated);
}

MediaTypeReceiver::~MediaTypeReceiver() { m_target.Adopt(m_received); }

AM_MEDIA_TYPE* MediaType::NewCopy() const {
    auto* out = static_cast<AM_MEDIA_TYPE*>(::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!out) return nullptr;
    if (FAILED(CopyMediaType(*out, m_mt))) {
        ::CoTaskMemFree(out);
        return nullptr;
    }
    return out;
}

const BYTE* FormatBlock(const AM_MEDIA_TYPE& mt, const GUID& formatType, size_t size) {
    if (mt.formattype != formatType || !mt.pbFormat || mt.cbFormat < size) return nullptr;
    return mt.pbFormat;
}

bool HasVideoInfo(const AM_MEDIA_TYPE& mt) { return FormatBlock(mt, FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER)); }

const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& mt) {
    return reinterpret_cast<const VIDEOINFOHEADER*>(FormatBlock(mt, FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER)));
}

VIDEOINFOHEADER* VideoInfo(AM_MEDIA_TYPE& mt) {
    return const_cast<VIDEOINFOHEADER*>(VideoInfo(static_cast<const AM_MEDIA_TYPE&>(mt)));
}

const BITMAPINFOHEADER* VideoBitmapHeader(const AM_MEDIA_TYPE& mt) {
    if (const VIDEOINFOHEADER* info = VideoInfo(mt)) return &info->bmiHeader;
    if (const BYTE* block = FormatBlock(mt, FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2)))
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(block)->bmiHeader;
    return nullptr;
}

}  // namespace filterkit
