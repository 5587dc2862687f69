#include "testworld/mjpegdec/MjpegDecompressor.h"

#include <uuids.h>
#include <vfwmsgs.h>

#include <cstdint>

#include "components/filterkit/SampleProperties.h"
#include "framework/ComPtr.h"

namespace mjpegdec {
namespace {

using filterkit::MediaType;

// The picture's height, whichever way the rows go; 0 for a height no picture can have
// (the most negative LONG included, which has no positive counterpart).
int PictureHeight(LONG height) {
    return height != 0 && height >= -mjpeg::kMaxDimension && height <= mjpeg::kMaxDimension
               ? static_cast<int>(height < 0 ? -height : height)
               : 0;
}

// A size the decoder takes: within its limits a side and in pixels.
bool IsPictureSize(LONG width, LONG height) {
    const int rows = PictureHeight(height);
    return width > 0 && width <= mjpeg::kMaxDimension && rows > 0 && int64_t{width} * rows <= mjpeg::kMaxPixels;
}

// The bytes of one picture of an RGB type: its stated image size, or rows of the stride.
size_t PictureBytes(const BITMAPINFOHEADER& bmi, const mjpeg::OutputImage& image) {
    return bmi.biSizeImage ? bmi.biSizeImage : image.stride * static_cast<size_t>(PictureHeight(bmi.biHeight));
}

size_t Stride(int width, mjpeg::PixelFormat format) {
    return (static_cast<size_t>(width) * mjpeg::BytesPerPixel(format) + 3) & ~size_t{3};
}

// The decoder's output for an RGB type the filter can deliver, or false.
bool OutputImageOf(const AM_MEDIA_TYPE& mt, int width, int height, mjpeg::OutputImage& image) {
    const VIDEOINFOHEADER* vih = filterkit::VideoInfo(mt);
    if (mt.majortype != MEDIATYPE_Video || !vih || vih->bmiHeader.biCompression != BI_RGB) return false;
    const BITMAPINFOHEADER& bmi = vih->bmiHeader;
    if (mt.subtype == MEDIASUBTYPE_RGB32 && bmi.biBitCount == 32)
        image.format = mjpeg::PixelFormat::Bgra32;
    else if (mt.subtype == MEDIASUBTYPE_RGB24 && bmi.biBitCount == 24)
        image.format = mjpeg::PixelFormat::Bgr24;
    else
        return false;
    if (bmi.biWidth != width || PictureHeight(bmi.biHeight) != height) return false;
    image.stride = Stride(width, image.format);
    image.bottomUp = bmi.biHeight > 0;
    // The stated image size must hold the picture the decoder writes.
    return !bmi.biSizeImage || bmi.biSizeImage >= mjpeg::RequiredSize(width, height, image.format, image.stride);
}

// RGB32 (index 0) or RGB24 (index 1), bottom-up, of the input's size and frame rate.
MediaType DecodedType(const AM_MEDIA_TYPE& input, int width, int height, int index) {
    const mjpeg::PixelFormat format = index == 0 ? mjpeg::PixelFormat::Bgra32 : mjpeg::PixelFormat::Bgr24;
    VIDEOINFOHEADER vih = *filterkit::VideoInfo(input);
    vih.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER)};
    vih.bmiHeader.biWidth = width;
    vih.bmiHeader.biHeight = height;
    vih.bmiHeader.biPlanes = 1;
    vih.bmiHeader.biBitCount = static_cast<WORD>(mjpeg::BytesPerPixel(format) * 8);
    vih.bmiHeader.biCompression = BI_RGB;
    vih.bmiHeader.biSizeImage = static_cast<DWORD>(Stride(width, format) * height);
    MediaType out(input);
    out.Raw()->subtype = index == 0 ? MEDIASUBTYPE_RGB32 : MEDIASUBTYPE_RGB24;
    out.Raw()->bFixedSizeSamples = TRUE;
    out.Raw()->bTemporalCompression = FALSE;
    out.Raw()->lSampleSize = vih.bmiHeader.biSizeImage;
    out.SetFormat(FORMAT_VideoInfo, &vih, sizeof(vih));
    return out;
}

}  // namespace

// ---- input pin ----

DecompressorInput::DecompressorInput(MjpegDecompressor& filter)
    : TransformInputPin(filter, L"XForm In", filter.Output()), m_decompressor(filter) {}

HRESULT DecompressorInput::CheckMediaType(const AM_MEDIA_TYPE& mt) {
    const VIDEOINFOHEADER* vih = filterkit::VideoInfo(mt);
    if (mt.majortype != MEDIATYPE_Video || mt.subtype != MEDIASUBTYPE_MJPG || !vih ||
        !IsPictureSize(vih->bmiHeader.biWidth, vih->bmiHeader.biHeight))
        return S_FALSE;
    // Once connected, a new type (QueryAccept, or a type carried by a sample) must keep the
    // frame size: the output and its buffers are of that size.
    if (IsConnected() && (vih->bmiHeader.biWidth != m_decompressor.Width() ||
                          PictureHeight(vih->bmiHeader.biHeight) != m_decompressor.Height()))
        return S_FALSE;
    return S_OK;
}

HRESULT DecompressorInput::OnConnected() {
    const BITMAPINFOHEADER& bmi = filterkit::VideoInfo(m_type.Get())->bmiHeader;
    m_decompressor.SetInputSize(bmi.biWidth, PictureHeight(bmi.biHeight));
    ReconnectOutputIfRefused();
    return S_OK;
}

HRESULT DecompressorInput::Transform(IMediaSample* sample) {
    AM_MEDIA_TYPE* changed = nullptr;
    if (sample->GetMediaType(&changed) == S_OK && changed) {
        const bool accepted = CheckMediaType(*changed) == S_OK;
        filterkit::DeleteMediaType(changed);
        if (!accepted) return VFW_E_INVALIDMEDIATYPE;
    }
    return m_decompressor.Process(sample);
}

// ---- output pin ----

DecompressorOutput::DecompressorOutput(MjpegDecompressor& filter)
    : TransformOutputPin(filter, L"XForm Out", filter.Input()), m_decompressor(filter) {}

HRESULT DecompressorOutput::GetMediaType(int index, MediaType& out) {
    DecompressorInput& input = m_decompressor.Input();
    if (!input.IsConnected() || index < 0 || index > 1) return VFW_S_NO_MORE_ITEMS;
    out = DecodedType(input.ConnectedType().Get(), m_decompressor.Width(), m_decompressor.Height(), index);
    return S_OK;
}

HRESULT DecompressorOutput::CheckMediaType(const AM_MEDIA_TYPE& mt) {
    mjpeg::OutputImage image;
    return m_decompressor.Input().IsConnected() &&
                   OutputImageOf(mt, m_decompressor.Width(), m_decompressor.Height(), image)
               ? S_OK
               : S_FALSE;
}

HRESULT DecompressorOutput::OnConnected() {
    OutputImageOf(m_type.Get(), m_decompressor.Width(), m_decompressor.Height(), m_image);
    m_imageBytes = PictureBytes(filterkit::VideoInfo(m_type.Get())->bmiHeader, m_image);
    return S_OK;
}

void DecompressorOutput::GetBufferProperties(ALLOCATOR_PROPERTIES& props) {
    mjpeg::OutputImage image;
    OutputImageOf(m_type.Get(), m_decompressor.Width(), m_decompressor.Height(), image);
    if (props.cBuffers < 2) props.cBuffers = 2;
    const auto bytes = static_cast<long>(PictureBytes(filterkit::VideoInfo(m_type.Get())->bmiHeader, image));
    if (props.cbBuffer < bytes) props.cbBuffer = bytes;
}

// ---- filter ----

MjpegDecompressor::MjpegDecompressor() : BaseFilter(CLSID_MjpegDec), m_input(*this), m_output(*this) {}

IPin* MjpegDecompressor::PinAt(int index) {
    if (index == 0) return &m_input;
    if (index == 1) return &m_output;
    return nullptr;
}

void MjpegDecompressor::SetInputSize(int width, int height) {
    m_width = width;
    m_height = height;
}

HRESULT MjpegDecompressor::OnStartStreaming() { return m_output.IsConnected() ? m_output.Active() : S_OK; }

void MjpegDecompressor::OnStopStreaming() { m_output.Inactive(); }

HRESULT MjpegDecompressor::Process(IMediaSample* sample) {
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
    // Never more than the buffer holds, whatever length the sample states.
    const long stated = sample->GetActualDataLength(), capacity = sample->GetSize();
    const long bytes = stated < capacity ? stated : capacity;
    if (bytes <= 0 || !m_output.IsConnected()) return S_OK;
    // A frame of another size is dropped before it costs a buffer or a decode.
    const mjpeg::DecodeResult header = mjpeg::ReadJpegInfo(data, static_cast<size_t>(bytes));
    if (!header.Ok() || header.info.width != m_width || header.info.height != m_height) return S_OK;
    IMemAllocator* allocator = m_output.Allocator();
    if (!allocator) return VFW_E_NO_ALLOCATOR;
    ComPtr<IMediaSample> out;
    HRESULT hr = allocator->GetBuffer(out.Put(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    mjpeg::OutputImage image = m_output.Image();
    if (FAILED(out->GetPointer(&image.data)) || !image.data) return E_POINTER;
    image.size = static_cast<size_t>(out->GetSize());
    if (image.size < m_output.ImageBytes()) return S_OK;
    if (!mjpeg::Decode(data, static_cast<size_t>(bytes), image).Ok()) return S_OK;  // dropped
    out->SetActualDataLength(static_cast<long>(m_output.ImageBytes()));
    filterkit::CopySampleProperties(sample, out.Get());
    return m_output.Deliver(out.Get());
}

}  // namespace mjpegdec
