#include "ComFakes.h"

#include <cstring>

std::atomic<int> g_liveEnumerators{0};

HRESULT UnexpectedCall(const std::string& name, const char* method) {
    ADD_FAILURE() << name << ": unexpected call of " << method;
    return E_UNEXPECTED;
}

ULONG FakeObject::ReleaseImpl() {
    if (m_refs <= 1) {
        // The world's own reference is never given away: reaching 0 is an over-release.
        ADD_FAILURE() << m_name << " released more often than referenced";
        return 0;
    }
    return --m_refs;
}

void FakeWorld::ExpectNoOutstandingReferences() const {
    for (const auto& fake : m_fakes)
        EXPECT_EQ(fake->References(), 1u) << fake->Name() << " has outstanding references";
    EXPECT_EQ(g_liveEnumerators.load(), 0) << "enumerators not released";
}

HRESULT FakeUnknown::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown)) return E_NOINTERFACE;
    *out = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
}

filterkit::MediaType MakeVideoType(const GUID& subtype, const GUID& format, LONG width, LONG height,
                              REFERENCE_TIME avgTimePerFrame) {
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = subtype;
    type.bFixedSizeSamples = TRUE;
    type.formattype = format;
    VIDEOINFOHEADER info{};
    VIDEOINFOHEADER2 info2{};
    BITMAPINFOHEADER* header = nullptr;
    if (IsEqualGUID(format, FORMAT_VideoInfo2)) {
        info2.AvgTimePerFrame = avgTimePerFrame;
        header = &info2.bmiHeader;
        type.cbFormat = sizeof(info2);
        type.pbFormat = reinterpret_cast<BYTE*>(&info2);
    } else {
        info.AvgTimePerFrame = avgTimePerFrame;
        header = &info.bmiHeader;
        type.cbFormat = sizeof(info);
        type.pbFormat = reinterpret_cast<BYTE*>(&info);
    }
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = 16;
    header->biCompression = subtype.Data1;
    header->biSizeImage = static_cast<DWORD>(width * height * 2);
    return filterkit::MediaType(type);
}

VIDEO_STREAM_CONFIG_CAPS MakeCaps(SIZE min, SIZE max, int granularityX, int granularityY) {
    VIDEO_STREAM_CONFIG_CAPS caps{};
    caps.guid = FORMAT_VideoInfo;
    caps.MinOutputSize = min;
    caps.MaxOutputSize = max;
    caps.OutputGranularityX = granularityX;
    caps.OutputGranularityY = granularityY;
    return caps;
}

namespace {

// IEnumPins / IEnumMediaTypes over a snapshot of items; deletes itself on last release.
template <typename Enum, typename Item>
class FakeEnum final : public Enum {
public:
    using Copy = std::function<Item(size_t)>;
    FakeEnum(size_t count, Copy copy) : m_count(count), m_copy(std::move(copy)) { ++g_liveEnumerators; }
    ~FakeEnum() { --g_liveEnumerators; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, __uuidof(Enum))) {
            *out = static_cast<Enum*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, Item* items, ULONG* fetched) override {
        ULONG got = 0;
        while (got < wanted && m_next < m_count) items[got++] = m_copy(m_next++);
        if (fetched) *fetched = got;
        return got == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        m_next += count;
        return m_next <= m_count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        m_next = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enum** out) override {
        auto* clone = new FakeEnum(m_count, m_copy);
        clone->m_next = m_next;
        *out = clone;
        return S_OK;
    }

private:
    std::atomic<ULONG> m_refs{1};
    size_t m_count;
    size_t m_next = 0;
    Copy m_copy;
};

}  // namespace

HRESULT FakePin::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IPin)) {
        *out = static_cast<IPin*>(this);
    } else if (hasStreamConfig && IsEqualGUID(iid, IID_IAMStreamConfig)) {
        *out = static_cast<IAMStreamConfig*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* FakePin::HandOut(const AM_MEDIA_TYPE& type) {
    AM_MEDIA_TYPE* copy = filterkit::MediaType(type).NewCopy();
    if (copy && typeUnk) {
        copy->pUnk = typeUnk;
        typeUnk->AddRef();
    }
    return copy;
}

HRESULT FakePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    *pin = connectedTo;
    if (!connectedTo) return VFW_E_NOT_CONNECTED;
    connectedTo->AddRef();
    return S_OK;
}

HRESULT FakePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = owner;
    if (owner) owner->AddRef();
    info->dir = direction;
    std::wstring name(Name().begin(), Name().end());
    wcsncpy(info->achName, name.c_str(), MAX_PIN_NAME - 1);
    info->achName[MAX_PIN_NAME - 1] = 0;
    return S_OK;
}

HRESULT FakePin::QueryDirection(PIN_DIRECTION* dir) {
    if (!dir) return E_POINTER;
    *dir = direction;
    return S_OK;
}

HRESULT FakePin::EnumMediaTypes(IEnumMediaTypes** out) {
    Log("EnumMediaTypes");
    if (!out) return E_POINTER;
    *out = nullptr;
    if (FAILED(enumMediaTypesResult)) return enumMediaTypesResult;
    *out = new FakeEnum<IEnumMediaTypes, AM_MEDIA_TYPE*>(types.size(), [this](size_t i) {
        return HandOut(types[i].Get());
    });
    return S_OK;
}

HRESULT FakePin::SetFormat(AM_MEDIA_TYPE* type) {
    Log("SetFormat");
    ++setFormatCalls;
    if (!type) return E_POINTER;
    AM_MEDIA_TYPE kept = *type;
    kept.pUnk = nullptr;  // the copy kept for the test holds no reference
    formatSet.emplace(kept);
    return setFormatResult;
}

HRESULT FakePin::GetFormat(AM_MEDIA_TYPE** type) {
    Log("GetFormat");
    if (!type) return E_POINTER;
    *type = nullptr;
    if (FAILED(getFormatResult)) return getFormatResult;
    if (!currentFormat) return FAKE_UNEXPECTED();
    *type = HandOut(currentFormat->Get());
    return S_OK;
}

HRESULT FakePin::GetNumberOfCapabilities(int* count, int* size) {
    Log("GetNumberOfCapabilities");
    if (!count || !size) return E_POINTER;
    if (FAILED(capsCountResult)) return capsCountResult;
    *count = static_cast<int>(caps.size());
    *size = capsStructSize;
    return S_OK;
}

HRESULT FakePin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* capsOut) {
    if (!type || !capsOut) return E_POINTER;
    *type = nullptr;
    if (index < 0 || index >= static_cast<int>(caps.size())) return FAKE_UNEXPECTED();
    const FakeCaps& entry = caps[static_cast<size_t>(index)];
    if (FAILED(entry.hr)) return entry.hr;
    if (!capsType) return FAKE_UNEXPECTED();
    *type = HandOut(capsType->Get());
    std::memcpy(capsOut, &entry.caps, sizeof(entry.caps));
    return S_OK;
}

HRESULT FakeFilter::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IPersist) ||
        IsEqualGUID(iid, IID_IMediaFilter) || IsEqualGUID(iid, IID_IBaseFilter)) {
        *out = static_cast<IBaseFilter*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT FakeFilter::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_NULL;
    return S_OK;
}

HRESULT FakeFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    *state = State_Stopped;
    return S_OK;
}

HRESULT FakeFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    *clock = nullptr;
    return S_OK;
}

HRESULT FakeFilter::EnumPins(IEnumPins** out) {
    Log("EnumPins");
    if (!out) return E_POINTER;
    *out = nullptr;
    if (FAILED(enumPinsResult)) return enumPinsResult;
    *out = new FakeEnum<IEnumPins, IPin*>(pins.size(), [this](size_t i) {
        IPin* pin = pins[i];
        pin->AddRef();
        return pin;
    });
    return S_OK;
}

HRESULT FakeFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    wcsncpy(info->achName, joinedName.c_str(), MAX_FILTER_NAME - 1);
    info->achName[MAX_FILTER_NAME - 1] = 0;
    info->pGraph = joinedGraph;
    if (joinedGraph) joinedGraph->AddRef();
    return S_OK;
}

HRESULT FakeFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    Log(graph ? "JoinFilterGraph" : "LeaveFilterGraph");
    ++joinCalls;
    joinedGraph = graph;
    joinedName = name ? name : L"";
    return S_OK;
}

HRESULT FakeEffectFilter::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (hasControl && IsEqualGUID(iid, IID_IEffectFilterControl)) {
        *out = static_cast<IEffectFilterControl*>(this);
    } else if (hasSnapshot && IsEqualGUID(iid, IID_IEffectFilterSnapshot)) {
        *out = static_cast<IEffectFilterSnapshot*>(this);
    } else {
        return FakeFilter::QueryInterface(iid, out);
    }
    AddRef();
    return S_OK;
}

HRESULT FakeEffectFilter::CloseModule() {
    Log("CloseModule");
    ++closeModuleCalls;
    return closeModuleResult;
}

HRESULT FakeEffectFilter::GetFrameSize(int* width, int* height) {
    Log("GetFrameSize");
    if (!width || !height) return E_POINTER;
    *width = frameWidth;
    *height = frameHeight;
    return S_OK;
}

HRESULT FakeEffectFilter::SetSnapshotHandler(void* context, EffectSnapshotHandler h, BYTE* b) {
    const bool clear = !context && !h && !b;
    Log(clear ? "SetSnapshotHandler(null)" : "SetSnapshotHandler");
    if (handler && buffer && h && b) ADD_FAILURE() << Name() << ": registered over a live buffer, which may be freed";
    handlerContext = context;
    handler = h;
    buffer = b;
    if (serveAtRegistration && h && b)
        Deliver(frameWidth, frameHeight, static_cast<size_t>(frameWidth) * static_cast<size_t>(frameHeight) * 4);
    return S_OK;
}

HRESULT FakeEffectFilter::RequestSnapshot(BOOL request) {
    Log("RequestSnapshot");
    requests.push_back(request);
    return S_OK;
}

HRESULT FakeEffectFilter::Deliver(int width, int height, size_t bytesToFill) {
    if (!handler) {
        ADD_FAILURE() << Name() << ": no snapshot handler registered";
        return E_FAIL;
    }
    for (size_t i = 0; i < bytesToFill && buffer; ++i) buffer[i] = static_cast<BYTE>(i * 7 + 1);
    return handler(handlerContext, width, height);
}

HRESULT FakeClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IClassFactory)) {
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT FakeClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ++created;
    return product->QueryInterface(iid, out);
}

ClassRegistration::ClassRegistration(const CLSID& clsid, IClassFactory* factory) {
    m_hr = CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
}

ClassRegistration::~ClassRegistration() {
    if (SUCCEEDED(m_hr)) CoRevokeClassObject(m_cookie);
}

HRESULT FakeGraph::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IFilterGraph) ||
        (hasGraphBuilder && IsEqualGUID(iid, IID_IGraphBuilder))) {
        *out = static_cast<IGraphBuilder*>(this);
    } else if (hasVideoWindow && IsEqualGUID(iid, IID_IVideoWindow)) {
        *out = static_cast<IVideoWindow*>(this);
    } else if (hasMediaControl && IsEqualGUID(iid, IID_IMediaControl)) {
        *out = static_cast<IMediaControl*>(this);
    } else if (hasMediaEvents && (IsEqualGUID(iid, IID_IMediaEventEx) || IsEqualGUID(iid, IID_IMediaEvent))) {
        *out = static_cast<IMediaEventEx*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT FakeGraph::ResultOf(const std::string& method) const {
    auto found = results.find(method);
    return found == results.end() ? S_OK : found->second;
}

HRESULT FakeGraph::Call(const std::string& method, long long value) {
    Log(method + "(" + std::to_string(value) + ")");
    return ResultOf(method);
}

HRESULT FakeGraph::AddFilter(IBaseFilter* filter, LPCWSTR) {
    const HRESULT hr = Call("AddFilter", 0);
    const auto found = addFilterResults.find(filter);
    return found == addFilterResults.end() ? hr : found->second;
}

HRESULT FakeGraph::Connect(IPin* output, IPin* input) {
    Log("Connect");
    connectCalls.push_back(output);
    connectCalls.push_back(input);
    return ResultOf("Connect");
}

HRESULT FakeGraph::SetWindowPosition(long left, long top, long width, long height) {
    Log("SetWindowPosition(" + std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(width) +
        "," + std::to_string(height) + ")");
    return ResultOf("SetWindowPosition");
}

HRESULT FakeGraph::Run() {
    const HRESULT hr = Call("Run", 0);
    if (SUCCEEDED(hr)) state = State_Running;
    return hr;
}

HRESULT FakeGraph::GetState(LONG, OAFilterState* current) {
    if (!current) return E_POINTER;
    *current = state;
    return S_OK;
}

HRESULT FakeGraph::GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2, long timeout) {
    ++getEventCalls;
    if (timeout != 0) ADD_FAILURE() << "GetEvent waits " << timeout << " ms";
    if (queue.empty()) return E_ABORT;
    *code = queue.front().code;
    *param1 = queue.front().param1;
    *param2 = queue.front().param2;
    queue.erase(queue.begin());
    Log("GetEvent(" + std::to_string(*code) + ")");
    return S_OK;
}

HRESULT FakeGraph::FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) {
    Log("FreeEventParams(" + std::to_string(code) + "," + std::to_string(param1) + "," + std::to_string(param2) + ")");
    return S_OK;
}

HRESULT FakeGraph::SetNotifyWindow(OAHWND window, long message, LONG_PTR instance) {
    Log("SetNotifyWindow(" + std::to_string(static_cast<long long>(window)) + "," + std::to_string(message) + "," +
        std::to_string(instance) + ")");
    return ResultOf("SetNotifyWindow");
}

void ComTest::SetUp() {
    m_coInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(SUCCEEDED(m_coInit));
}

void ComTest::TearDown() {
    world.ExpectNoOutstandingReferences();
    if (SUCCEEDED(m_coInit)) CoUninitialize();
}
