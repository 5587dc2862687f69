#include "capture/MediaType.h"

#include <cstring>
#include <uuids.h>
#include <amvideo.h>
#include <dvdmedia.h>

void FreeMediaTypeContents(AM_MEDIA_TYPE& type) {
    if (type.cbFormat != 0 || type.pbFormat) {
        CoTaskMemFree(type.pbFormat);
        type.cbFormat = 0;
        type.pbFormat = nullptr;
    }
    if (type.pUnk) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

void DeleteTaskMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return;
    FreeMediaTypeContents(*type);
    CoTaskMemFree(type);
}

AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& source) {
    auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!copy) return nullptr;
    *copy = source;
    copy->pbFormat = nullptr;
    copy->cbFormat = 0;
    if (source.cbFormat != 0 && source.pbFormat) {
        copy->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source.cbFormat));
        if (!copy->pbFormat) {
            copy->pUnk = nullptr;
            CoTaskMemFree(copy);
            return nullptr;
        }
        std::memcpy(copy->pbFormat, source.pbFormat, source.cbFormat);
        copy->cbFormat = source.cbFormat;
    }
    if (copy->pUnk) copy->pUnk->AddRef();
    return copy;
}

const BITMAPINFOHEADER* VideoBitmapHeader(const AM_MEDIA_TYPE& type) {
    if (!type.pbFormat) return nullptr;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.cbFormat >= sizeof(VIDEOINFOHEADER))
        return &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) && type.cbFormat >= sizeof(VIDEOINFOHEADER2))
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    return nullptr;
}
