#include "testworld/camera/CameraFilter.h"

#include <evcode.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <chrono>
#include <cstring>
#include <optional>

#include "testworld/camera/CameraPropertyPage.h"
#include "testworld/camera/MjpegPicture.h"
#include "testworld/camera/TestPicture.h"
#include "framework/ComPtr.h"

namespace camera {
namespace {

using filterkit::FrameLayout;
using filterkit::MediaType;
using filterkit::PixelFormat;

constexpr REFERENCE_TIME kFrameDuration = 333333;  // 30 frames/s in 100 ns units

const GUID& Subtype(StreamFormat format) {
    switch (format) {
        case StreamFormat::Rgb32: return MEDIASUBTYPE_RGB32;
        case StreamFormat::Rgb24: return MEDIASUBTYPE_RGB24;
        case StreamFormat::Yuy2: return MEDIASUBTYPE_YUY2;
        case StreamFormat::Mjpg: return MEDIASUBTYPE_MJPG;
    }
    return MEDIASUBTYPE_RGB32;
}

MediaType MakeVideoType(StreamFormat format, FrameSize size, REFERENCE_TIME duration) {
    const std::optional<PixelFormat> pixels = PixelsOf(format);
    VIDEOINFOHEADER vih = {};
    vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih.bmiHeader.biWidth = size.width;
    vih.bmiHeader.biHeight = size.height;
    vih.bmiHeader.biPlanes = 1;
    DWORD bytes = 0;
    if (pixels) {
        FrameLayout layout;
        filterkit::MakeFrameLayout(*pixels, size.width, size.height, layout);
        bytes = static_cast<DWORD>(filterkit::FrameBytes(layout));
        vih.bmiHeader.biBitCount = static_cast<WORD>(filterkit::BytesPerPixel(*pixels) * 8);
        vih.bmiHeader.biCompression = *pixels == PixelFormat::Yuy2 ? MAKEFOURCC('Y', 'U', 'Y', '2') : BI_RGB;
    } else {
        bytes = static_cast<DWORD>(MjpegFrameBound(size.width, size.height));
        vih.bmiHeader.biBitCount = 24;
        vih.bmiHeader.biCompression = MAKEFOURCC('M', 'J', 'P', 'G');
    }
    vih.AvgTimePerFrame = duration;
    vih.dwBitRate = duration ? static_cast<DWORD>(static_cast<unsigned long long>(bytes) * 8 * 10000000 / duration) : 0;
    vih.bmiHeader.biSizeImage = bytes;
    MediaType mt;
    mt.Raw()->majortype = MEDIATYPE_Video;
    mt.Raw()->subtype = Subtype(format);
    mt.Raw()->bFixedSizeSamples = pixels ? TRUE : FALSE;
    mt.Raw()->lSampleSize = bytes;
    mt.SetFormat(FORMAT_VideoInfo, &vih, sizeof(vih));
    return mt;
}

std::vector<MediaType> MakeOffer(const StreamSettings& settings, REFERENCE_TIME duration) {
    std::vector<MediaType> offer;
    for (const OfferEntry& entry : MakeOfferList(settings.formats, settings.sizes, settings.rawSizeLimit))
        offer.push_back(MakeVideoType(entry.format, entry.size, duration));
    return offer;
}

// Same subtype and picture size as one of `offer`; the index, or -1.
int FindInList(const std::vector<MediaType>& offer, const AM_MEDIA_TYPE& mt) {
    const VIDEOINFOHEADER* asked = filterkit::VideoInfo(mt);
    if (mt.majortype != MEDIATYPE_Video || !asked) return -1;
    for (size_t i = 0; i < offer.size(); ++i) {
        const AM_MEDIA_TYPE& own = offer[i].Get();
        const VIDEOINFOHEADER* vih = filterkit::VideoInfo(own);
        if (own.subtype == mt.subtype && vih->bmiHeader.biWidth == asked->bmiHeader.biWidth &&
            vih->bmiHeader.biHeight == asked->bmiHeader.biHeight &&
            vih->bmiHeader.biBitCount == asked->bmiHeader.biBitCount &&
            vih->bmiHeader.biCompression == asked->bmiHeader.biCompression)
            return static_cast<int>(i);
    }
    return -1;
}

// One frame of a connected type: its size, its pixels (none for MJPEG) and the buffer it
// takes. None for a type the camera cannot send.
struct FrameShape {
    FrameSize size;
    std::optional<FrameLayout> layout;
    size_t bytes;
};
std::optional<FrameShape> ShapeOf(const AM_MEDIA_TYPE& mt) {
    const VIDEOINFOHEADER* vih = filterkit::VideoInfo(mt);
    if (!vih) return std::nullopt;
    const LONG width = vih->bmiHeader.biWidth, height = vih->bmiHeader.biHeight;
    if (mt.subtype == MEDIASUBTYPE_MJPG) {
        // The same size limit as uncompressed frames have.
        FrameLayout limit;
        if (!filterkit::MakeFrameLayout(PixelFormat::Rgb24, width, height, limit)) return std::nullopt;
        return FrameShape{{limit.width, limit.height}, std::nullopt, MjpegFrameBound(limit.width, limit.height)};
    }
    PixelFormat format = PixelFormat::Rgb32;
    if (mt.subtype == MEDIASUBTYPE_YUY2)
        format = PixelFormat::Yuy2;
    else if (mt.subtype == MEDIASUBTYPE_RGB24)
        format = PixelFormat::Rgb24;
    FrameLayout layout;
    if (!filterkit::MakeFrameLayout(format, width, height, layout)) return std::nullopt;
    return FrameShape{{layout.width, layout.height}, layout, filterkit::FrameBytes(layout)};
}

long MaxBytes(const std::vector<MediaType>& offer) {
    long bytes = 0;
    for (const MediaType& mt : offer) bytes = std::max<long>(bytes, static_cast<long>(mt.Get().lSampleSize));
    return bytes;
}

// AMPROPSETID_Pin / AMPROPERTY_PIN_CATEGORY, shared by both pins.
HRESULT GetPinCategory(const GUID& category, REFGUID set, DWORD id, LPVOID data, DWORD bytes, DWORD* returned) {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (returned) *returned = sizeof(GUID);
    if (!data) return returned ? S_OK : E_POINTER;
    if (bytes < sizeof(GUID)) return E_UNEXPECTED;
    std::memcpy(data, &category, sizeof(GUID));
    return S_OK;
}

HRESULT QueryPinCategory(REFGUID set, DWORD id, DWORD* support) {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (support) *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

}  // namespace

// ---- capture pin ----

CapturePin::CapturePin(CameraFilter& filter, const StreamSettings& settings)
    : OutputPin(filter, L"Capture"), m_camera(filter), m_offer(MakeOffer(settings, kFrameDuration)) {}

HRESULT CapturePin::QueryPinInterface(REFIID iid, void** out) {
    if (iid == IID_IAMStreamConfig)
        *out = static_cast<IAMStreamConfig*>(this);
    else if (iid == IID_IKsPropertySet)
        *out = static_cast<IKsPropertySet*>(this);
    else
        return OutputPin::QueryPinInterface(iid, out);
    AddRef();
    return S_OK;
}

STDMETHODIMP CapturePin::Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) {
    if (ReadRunSettings().busy) return HRESULT_FROM_WIN32(ERROR_BUSY);
    return OutputPin::Connect(receiver, mt);
}

int CapturePin::FindOffer(const AM_MEDIA_TYPE& mt) const { return FindInList(m_offer, mt); }

HRESULT CapturePin::CheckMediaType(const AM_MEDIA_TYPE& mt) {
    const int index = FindOffer(mt);
    if (index < 0) return S_FALSE;
    if (m_formatSet && FindInList({m_format}, mt) != 0) return S_FALSE;
    return S_OK;
}

HRESULT CapturePin::GetMediaType(int index, MediaType& out) {
    // A chosen format is the only one offered, as capture drivers do.
    if (m_formatSet) {
        if (index != 0) return VFW_S_NO_MORE_ITEMS;
        out = m_format;
        return S_OK;
    }
    if (index < 0 || static_cast<size_t>(index) >= m_offer.size()) return VFW_S_NO_MORE_ITEMS;
    out = m_offer[static_cast<size_t>(index)];
    return S_OK;
}

void CapturePin::GetBufferProperties(ALLOCATOR_PROPERTIES& props) {
    if (props.cBuffers < 3) props.cBuffers = 3;
    // From the picture size, not lSampleSize: a type proposed by the receiver may leave it 0.
    const std::optional<FrameShape> shape = ShapeOf(m_type.Get());
    const long bytes = shape ? static_cast<long>(shape->bytes) : 0;
    if (props.cbBuffer < bytes) props.cbBuffer = bytes;
}

STDMETHODIMP CapturePin::SetFormat(AM_MEDIA_TYPE* mt) {
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    if (m_filter.State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!mt) {
        m_formatSet = false;
        m_format.Clear();
        return S_OK;
    }
    const int index = FindOffer(*mt);
    if (index < 0) return VFW_E_INVALIDMEDIATYPE;
    // Our own entry, not the caller's block: callers edit only width and height of a type
    // from GetFormat and leave biSizeImage and the sample size of the old size behind.
    MediaType chosen = m_offer[static_cast<size_t>(index)];
    if (IsConnected()) {
        if (Peer()->QueryAccept(&chosen.Get()) != S_OK) return VFW_E_INVALIDMEDIATYPE;
    }
    m_format = std::move(chosen);
    m_formatSet = true;
    if (IsConnected() && m_filter.Graph()) {
        ComPtr<IFilterGraph2> graph;
        if (SUCCEEDED(m_filter.Graph()->QueryInterface(IID_IFilterGraph2, graph.PutVoid())))
            return graph->ReconnectEx(this, &m_format.Get());
    }
    return S_OK;
}

STDMETHODIMP CapturePin::GetFormat(AM_MEDIA_TYPE** mt) {
    if (!mt) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(m_filter.Lock());
    const MediaType& current = m_formatSet ? m_format : (IsConnected() ? m_type : m_offer.front());
    *mt = current.NewCopy();
    return *mt ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CapturePin::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size) return E_POINTER;
    *count = static_cast<int>(m_offer.size());
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP CapturePin::GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) {
    if (!mt || !caps) return E_POINTER;
    *mt = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= m_offer.size()) return S_FALSE;
    const MediaType& entry = m_offer[static_cast<size_t>(index)];
    const VIDEOINFOHEADER* vih = filterkit::VideoInfo(entry.Get());
    VIDEO_STREAM_CONFIG_CAPS c = {};
    c.guid = FORMAT_VideoInfo;
    const SIZE size = {vih->bmiHeader.biWidth, vih->bmiHeader.biHeight};
    c.InputSize = c.MinCroppingSize = c.MaxCroppingSize = c.MinOutputSize = c.MaxOutputSize = size;
    c.CropGranularityX = c.CropGranularityY = 1;
    c.CropAlignX = c.CropAlignY = 1;
    c.MinFrameInterval = c.MaxFrameInterval = kFrameDuration;
    c.MinBitsPerSecond = c.MaxBitsPerSecond = static_cast<LONG>(vih->dwBitRate);
    std::memcpy(caps, &c, sizeof(c));
    *mt = entry.NewCopy();
    return *mt ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CapturePin::Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) { return E_NOTIMPL; }
STDMETHODIMP CapturePin::Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD bytes, DWORD* returned) {
    return GetPinCategory(PIN_CATEGORY_CAPTURE, set, id, data, bytes, returned);
}
STDMETHODIMP CapturePin::QuerySupported(REFGUID set, DWORD id, DWORD* support) { return QueryPinCategory(set, id, support); }

// ---- still pin ----

StillPin::StillPin(CameraFilter& filter, const StreamSettings& settings)
    : OutputPin(filter, L"Still"), m_offer(MakeOffer(settings, 0)) {}

HRESULT StillPin::QueryPinInterface(REFIID iid, void** out) {
    if (iid != IID_IKsPropertySet) return OutputPin::QueryPinInterface(iid, out);
    *out = static_cast<IKsPropertySet*>(this);
    AddRef();
    return S_OK;
}

HRESULT StillPin::CheckMediaType(const AM_MEDIA_TYPE& mt) { return FindInList(m_offer, mt) >= 0 ? S_OK : S_FALSE; }

HRESULT StillPin::GetMediaType(int index, MediaType& out) {
    if (index < 0 || static_cast<size_t>(index) >= m_offer.size()) return VFW_S_NO_MORE_ITEMS;
    out = m_offer[static_cast<size_t>(index)];
    return S_OK;
}

void StillPin::GetBufferProperties(ALLOCATOR_PROPERTIES& props) {
    if (props.cBuffers < 1) props.cBuffers = 1;
    if (props.cbBuffer < MaxBytes(m_offer)) props.cbBuffer = MaxBytes(m_offer);
}

STDMETHODIMP StillPin::Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) { return E_NOTIMPL; }
STDMETHODIMP StillPin::Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD bytes, DWORD* returned) {
    return GetPinCategory(PIN_CATEGORY_STILL, set, id, data, bytes, returned);
}
STDMETHODIMP StillPin::QuerySupported(REFGUID set, DWORD id, DWORD* support) { return QueryPinCategory(set, id, support); }

// ---- filter ----

CameraFilter::CameraFilter()
    : BaseFilter(CLSID_VirtualCamera),
      m_capture(*this, ReadStreamSettings()),
      m_still(*this, ReadStreamSettings()),
      m_controls(*static_cast<IBaseFilter*>(this)) {}

CameraFilter::~CameraFilter() {
    // Released without Stop (not in a graph): the thread must not outlive the pins.
    std::lock_guard<std::recursive_mutex> guard(Lock());
    if (m_thread.joinable()) OnStopStreaming();
}

IPin* CameraFilter::PinAt(int index) {
    if (index == 0) return static_cast<filterkit::OutputPin*>(&m_capture);
    if (index == 1) return static_cast<filterkit::OutputPin*>(&m_still);
    return nullptr;
}

HRESULT CameraFilter::QueryFilterInterface(REFIID iid, void** out) {
    if (iid == IID_IAMFilterMiscFlags)
        *out = static_cast<IAMFilterMiscFlags*>(this);
    else if (iid == IID_IKsPropertySet)
        *out = static_cast<IKsPropertySet*>(&m_controls);
    else if (iid == IID_ISpecifyPropertyPages)
        *out = static_cast<ISpecifyPropertyPages*>(this);
    else if (iid == kIID_IKsControl && !ReadNoExtensionUnit())
        *out = static_cast<KsControlInterface*>(&m_controls);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP CameraFilter::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = CLSID_CameraPropertyPage;
    return S_OK;
}

HRESULT CameraFilter::OnStartStreaming() {
    m_runSettings = ReadRunSettings();
    if (m_runSettings.busy) return HRESULT_FROM_WIN32(ERROR_BUSY);
    if (m_unplugged) return HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
    if (m_capture.IsConnected()) {
        const HRESULT hr = m_capture.Active();
        if (FAILED(hr)) return hr;
    }
    if (m_still.IsConnected()) m_still.Active();
    if (m_capture.IsConnected()) {
        {
            std::lock_guard<std::mutex> guard(m_streamLock);
            m_running = false;
            m_exit = false;
        }
        m_delivered = 0;
        m_thread = std::thread([this] { StreamLoop(); });
    }
    return S_OK;
}

HRESULT CameraFilter::OnRun(REFERENCE_TIME) {
    {
        std::lock_guard<std::mutex> guard(m_streamLock);
        m_running = true;
    }
    m_wake.notify_all();
    return S_OK;
}

HRESULT CameraFilter::OnPauseFromRun() {
    std::lock_guard<std::mutex> guard(m_streamLock);
    m_running = false;
    return S_OK;
}

void CameraFilter::OnStopStreaming() {
    {
        std::lock_guard<std::mutex> guard(m_streamLock);
        m_exit = true;
        m_running = false;
    }
    m_wake.notify_all();
    m_capture.Inactive();  // a thread waiting in GetBuffer returns now
    if (m_thread.joinable()) m_thread.join();
    m_still.Inactive();
}

void CameraFilter::StreamLoop() {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::microseconds(kFrameDuration / 10);
    auto next = Clock::now();
    for (;;) {
        {
            std::unique_lock<std::mutex> wait(m_streamLock);
            m_wake.wait(wait, [this] { return m_exit || m_running; });
            if (m_exit) return;
            if (!m_runSettings.unpaced) {
                const auto now = Clock::now();
                if (next < now - period) next = now;  // resumed after a pause: no catching up
                if (m_wake.wait_until(wait, next, [this] { return m_exit || !m_running; })) continue;
                next += period;
            }
        }
        if (m_unplugged) {
            std::unique_lock<std::mutex> wait(m_streamLock);
            m_wake.wait(wait, [this] { return m_exit; });
            return;
        }
        const HRESULT hr = DeliverFrame();
        if (hr == VFW_E_NOT_COMMITTED) {
            // Decommitted by Stop; wait for the exit flag that came with it.
            std::unique_lock<std::mutex> wait(m_streamLock);
            m_wake.wait_for(wait, std::chrono::milliseconds(50), [this] { return m_exit; });
            continue;
        }
        if (m_runSettings.unplugAfterFrames && m_delivered >= m_runSettings.unplugAfterFrames) {
            m_unplugged = true;
            // param1 is not counted: the event queue does not hold it.
            NotifyEvent(EC_DEVICE_LOST, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)), 0);
        }
    }
}

HRESULT CameraFilter::DeliverFrame() {
    IMemAllocator* allocator = m_capture.Allocator();
    if (!allocator) return VFW_E_NO_ALLOCATOR;
    ComPtr<IMediaSample> sample;
    HRESULT hr = allocator->GetBuffer(sample.Put(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    const std::optional<FrameShape> shape = ShapeOf(m_capture.ConnectedType().Get());
    if (!shape) return E_UNEXPECTED;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
    const auto capacity = static_cast<size_t>(sample->GetSize());
    size_t bytes = shape->bytes;
    if (shape->layout) {
        if (!RenderTestPicture(*shape->layout, m_frame, data, capacity)) return E_UNEXPECTED;
    } else {
        bytes = m_mjpeg.Render(shape->size.width, shape->size.height, m_frame, data, capacity);
        if (bytes == 0) return E_UNEXPECTED;
        if (m_runSettings.corruptMjpegEvery && m_frame % m_runSettings.corruptMjpegEvery == 0) bytes /= 2;
    }
    sample->SetActualDataLength(static_cast<long>(bytes));
    // No time stamps: a live preview is shown as it arrives.
    sample->SetTime(nullptr, nullptr);
    sample->SetSyncPoint(TRUE);
    hr = m_capture.Deliver(sample.Get());
    // The picture's counter counts frames the chain accepted.
    if (SUCCEEDED(hr)) {
        ++m_delivered;
        ++m_frame;
    }
    return hr;
}

}  // namespace camera
