#include "components/effect/EffectFilter.h"

#include <uuids.h>
#include <vfwmsgs.h>

#include "components/filterkit/KitTrace.h"
#include "components/filterkit/SampleProperties.h"
#include "framework/ComPtr.h"

namespace effect {
namespace {

using filterkit::FrameLayout;
using filterkit::MediaType;
using filterkit::PixelFormat;

// The pixel format of an uncompressed video type the filter takes, or false.
bool InputFormat(const AM_MEDIA_TYPE& mt, FrameLayout& layout) {
    if (mt.majortype != MEDIATYPE_Video) return false;
    const VIDEOINFOHEADER* vih = filterkit::VideoInfo(mt);
    if (!vih) return false;
    const BITMAPINFOHEADER& bmi = vih->bmiHeader;
    PixelFormat format;
    if (mt.subtype == MEDIASUBTYPE_RGB32 && bmi.biBitCount == 32 && bmi.biCompression == BI_RGB)
        format = PixelFormat::Rgb32;
    else if (mt.subtype == MEDIASUBTYPE_RGB24 && bmi.biBitCount == 24 && bmi.biCompression == BI_RGB)
        format = PixelFormat::Rgb24;
    else if (mt.subtype == MEDIASUBTYPE_YUY2 && bmi.biBitCount == 16 && bmi.biCompression == MAKEFOURCC('Y', 'U', 'Y', '2'))
        format = PixelFormat::Yuy2;
    else
        return false;
    return filterkit::MakeFrameLayout(format, bmi.biWidth, bmi.biHeight, layout);
}

// RGB32 bottom-up of the input's size, with the input's frame rate and rectangles.
MediaType ConvertedType(const AM_MEDIA_TYPE& input, const FrameLayout& layout) {
    MediaType out(input);
    VIDEOINFOHEADER vih = *filterkit::VideoInfo(input);
    vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih.bmiHeader.biHeight = layout.height;
    vih.bmiHeader.biBitCount = 32;
    vih.bmiHeader.biCompression = BI_RGB;
    vih.bmiHeader.biSizeImage = static_cast<DWORD>(layout.width) * layout.height * 4;
    out.Raw()->subtype = MEDIASUBTYPE_RGB32;
    out.Raw()->bFixedSizeSamples = TRUE;
    out.Raw()->bTemporalCompression = FALSE;
    out.Raw()->lSampleSize = vih.bmiHeader.biSizeImage;
    out.SetFormat(FORMAT_VideoInfo, &vih, sizeof(vih));
    return out;
}

bool IsConvertedType(const AM_MEDIA_TYPE& mt, const FrameLayout& input) {
    FrameLayout layout;
    return InputFormat(mt, layout) && layout.format == PixelFormat::Rgb32 && !layout.topDown &&
           layout.width == input.width && layout.height == input.height;
}

}  // namespace

// ---- input pin ----

EffectInputPin::EffectInputPin(EffectFilter& filter)
    : TransformInputPin(filter, L"Input", filter.Output()), m_effect(filter) {}

HRESULT EffectInputPin::CheckMediaType(const AM_MEDIA_TYPE& mt) {
    FrameLayout layout;
    return InputFormat(mt, layout) ? S_OK : S_FALSE;
}

HRESULT EffectInputPin::OnConnected() {
    InputFormat(m_type.Get(), m_layout);
    ReconnectOutputIfRefused();
    return S_OK;
}

HRESULT EffectInputPin::Transform(IMediaSample* sample) { return m_effect.Process(sample); }

// ---- output pin ----

EffectOutputPin::EffectOutputPin(EffectFilter& filter)
    : TransformOutputPin(filter, L"Output", filter.Input()), m_effect(filter) {}

HRESULT EffectOutputPin::GetMediaType(int index, MediaType& out) {
    EffectInputPin& input = m_effect.Input();
    if (!input.IsConnected()) return VFW_S_NO_MORE_ITEMS;
    const AM_MEDIA_TYPE& in = input.ConnectedType().Get();
    const bool canPass = input.Layout().format != PixelFormat::Rgb24;
    // The input's own type first (no copy), then RGB32 for a renderer that wants RGB.
    if (canPass && index == 0) {
        out = MediaType(in);
        return S_OK;
    }
    if ((canPass && index == 1 && input.Layout().format == PixelFormat::Yuy2) || (!canPass && index == 0)) {
        out = ConvertedType(in, input.Layout());
        return S_OK;
    }
    return VFW_S_NO_MORE_ITEMS;
}

HRESULT EffectOutputPin::CheckMediaType(const AM_MEDIA_TYPE& mt) {
    EffectInputPin& input = m_effect.Input();
    if (!input.IsConnected()) return S_FALSE;
    FrameLayout offered;
    if (!InputFormat(mt, offered)) return S_FALSE;
    const FrameLayout& in = input.Layout();
    if (in.format != PixelFormat::Rgb24 && offered.format == in.format && offered.width == in.width &&
        offered.height == in.height && offered.topDown == in.topDown)
        return S_OK;
    return IsConvertedType(mt, in) ? S_OK : S_FALSE;
}

HRESULT EffectOutputPin::OnConnected() {
    FrameLayout out;
    InputFormat(m_type.Get(), out);
    const FrameLayout& in = m_effect.Input().Layout();
    m_passThrough = out.format == in.format && out.topDown == in.topDown;
    return S_OK;
}

void EffectOutputPin::GetBufferProperties(ALLOCATOR_PROPERTIES& props) {
    FrameLayout out;
    InputFormat(m_type.Get(), out);
    if (props.cBuffers < 2) props.cBuffers = 2;
    const long bytes = static_cast<long>(filterkit::FrameBytes(out));
    if (props.cbBuffer < bytes) props.cbBuffer = bytes;
}

// ---- filter ----

EffectFilter::EffectFilter() : BaseFilter(CLSID_EffectFilter), m_input(*this), m_output(*this) {}

IPin* EffectFilter::PinAt(int index) {
    if (index == 0) return &m_input;
    if (index == 1) return &m_output;
    return nullptr;
}

HRESULT EffectFilter::QueryFilterInterface(REFIID iid, void** out) {
    if (iid == IID_IEffectFilterControl) {
        *out = static_cast<IEffectFilterControl*>(this);
    } else if (iid == IID_IEffectFilterSnapshot) {
        *out = static_cast<IEffectFilterSnapshot*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT EffectFilter::OnStartStreaming() {
    if (m_output.IsConnected()) return m_output.Active();
    return S_OK;
}

void EffectFilter::OnStopStreaming() { m_output.Inactive(); }

STDMETHODIMP EffectFilter::GetFrameSize(int* width, int* height) {
    if (!width || !height) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(Lock());
    *width = m_input.IsConnected() ? m_input.Layout().width : 0;
    *height = m_input.IsConnected() ? m_input.Layout().height : 0;
    return S_OK;
}

STDMETHODIMP EffectFilter::SetSnapshotHandler(void* context, EffectSnapshotHandler handler, BYTE* buffer) {
    int width = 0, height = 0;
    GetFrameSize(&width, &height);
    SnapshotDelivery::Handler call;
    if (handler) call = [context, handler](int w, int h) { handler(context, w, h); };
    m_snapshots.Register(std::move(call), buffer, width, height);
    return S_OK;
}

STDMETHODIMP EffectFilter::RequestSnapshot(BOOL request) { return m_snapshots.Request(request != FALSE) ? S_OK : S_FALSE; }

HRESULT EffectFilter::Process(IMediaSample* sample) {
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data)
        return filterkit::TraceImpossible(L"a sample without memory", m_input.TraceName(), E_POINTER);
    const long bytes = sample->GetActualDataLength();
    if (bytes <= 0) return S_OK;
    m_snapshots.OfferFrame(data, static_cast<size_t>(bytes), m_input.Layout());
    if (!m_output.IsConnected()) return S_OK;
    if (m_output.PassesThrough()) return m_output.Deliver(sample);
    return DeliverConverted(sample, data, bytes);
}

HRESULT EffectFilter::DeliverConverted(IMediaSample* sample, const BYTE* data, long bytes) {
    IMemAllocator* allocator = m_output.Allocator();
    if (!allocator) return filterkit::TraceImpossible(L"a connection without allocator", m_output.TraceName(), VFW_E_NO_ALLOCATOR);
    ComPtr<IMediaSample> out;
    HRESULT hr = allocator->GetBuffer(out.Put(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;  // decommitted by a stop: no fault
    BYTE* target = nullptr;
    if (FAILED(out->GetPointer(&target)) || !target)
        return filterkit::TraceImpossible(L"a buffer without memory", m_output.TraceName(), E_POINTER);
    const FrameLayout& in = m_input.Layout();
    const size_t outBytes = static_cast<size_t>(in.width) * in.height * 4;
    if (static_cast<size_t>(out->GetSize()) < outBytes)
        return filterkit::TraceImpossible(L"a buffer smaller than the frame", m_output.TraceName(), E_UNEXPECTED);
    // A short input sample is dropped, not converted from beyond its end.
    if (!filterkit::ConvertToBottomUpRgb32(data, static_cast<size_t>(bytes), in, target, outBytes)) return S_OK;
    out->SetActualDataLength(static_cast<long>(outBytes));
    filterkit::CopySampleProperties(sample, out.Get());
    return m_output.Deliver(out.Get());
}

}  // namespace effect
