#pragma once
// In-process COM fakes for the capture engine tests. Every fake starts with one reference,
// held by the FakeWorld that made it; at the end of each test every fake must be back at
// exactly that one reference. Methods a test does not expect fail the test loudly.
#include <windows.h>
#include <strmif.h>
#include <control.h>
#include <uuids.h>
#include <amvideo.h>
#include <dvdmedia.h>
#include <vfwmsgs.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/filterkit/MediaType.h"
#include "components/effect/EffectFilterInterfaces.h"

// Records an unexpected call on fake `name` and yields E_UNEXPECTED.
HRESULT UnexpectedCall(const std::string& name, const char* method);
#define FAKE_UNEXPECTED() UnexpectedCall(Name(), __func__)

// Shared call log: fakes and recording handlers append to it in call order.
using CallLog = std::vector<std::string>;

class FakeObject {
public:
    explicit FakeObject(std::string name) : m_name(std::move(name)) {}
    virtual ~FakeObject() = default;
    FakeObject(const FakeObject&) = delete;
    FakeObject& operator=(const FakeObject&) = delete;

    const std::string& Name() const { return m_name; }
    ULONG References() const { return m_refs; }
    CallLog* log = nullptr;  // optional

protected:
    ULONG AddRefImpl() { return ++m_refs; }
    ULONG ReleaseImpl();
    void Log(const std::string& entry) {
        if (log) log->push_back(m_name + "." + entry);
    }

private:
    std::string m_name;
    std::atomic<ULONG> m_refs{1};
};

#define FAKE_REFCOUNT                                                   \
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }  \
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

// Owns the fakes of one test and checks their references at its end.
class FakeWorld {
public:
    template <typename T, typename... Args>
    T* Make(Args&&... args) {
        auto owned = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = owned.get();
        m_fakes.push_back(std::move(owned));
        return raw;
    }
    // Every fake back at its one reference, every enumerator handed out released.
    void ExpectNoOutstandingReferences() const;

private:
    std::vector<std::unique_ptr<FakeObject>> m_fakes;
};

// Enumerators made on demand; the number alive must be 0 at the end of each test.
extern std::atomic<int> g_liveEnumerators;

// A plain counted IUnknown, used as pUnk of media types to prove every copy is freed.
class FakeUnknown : public FakeObject, public IUnknown {
public:
    using FakeObject::FakeObject;
    FAKE_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
};

// A task-allocated video type. `format` is FORMAT_VideoInfo or FORMAT_VideoInfo2.
filterkit::MediaType MakeVideoType(const GUID& subtype, const GUID& format, LONG width, LONG height,
                              REFERENCE_TIME avgTimePerFrame);

struct FakeCaps {
    HRESULT hr = S_OK;
    VIDEO_STREAM_CONFIG_CAPS caps{};
};
VIDEO_STREAM_CONFIG_CAPS MakeCaps(SIZE min, SIZE max, int granularityX, int granularityY);

// A pin with settable direction, connection, media types and, optionally, IAMStreamConfig.
class FakePin : public FakeObject, public IPin, public IAMStreamConfig {
public:
    FakePin(std::string name, PIN_DIRECTION direction) : FakeObject(std::move(name)), direction(direction) {}

    PIN_DIRECTION direction;
    IPin* connectedTo = nullptr;  // not owned
    HRESULT enumMediaTypesResult = S_OK;
    std::vector<filterkit::MediaType> types;
    IUnknown* typeUnk = nullptr;  // given (referenced) as pUnk to every type handed out
    // IAMStreamConfig
    bool hasStreamConfig = false;
    HRESULT getFormatResult = S_OK;
    std::optional<filterkit::MediaType> currentFormat;
    HRESULT setFormatResult = S_OK;
    std::optional<filterkit::MediaType> formatSet;  // copy of what SetFormat received
    int setFormatCalls = 0;
    HRESULT capsCountResult = S_OK;
    int capsStructSize = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    std::vector<FakeCaps> caps;
    std::optional<filterkit::MediaType> capsType;  // handed out with each capability

    FAKE_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Disconnect() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE*) override { return VFW_E_NOT_CONNECTED; }
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* dir) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** out) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return FAKE_UNEXPECTED(); }
    // IAMStreamConfig
    HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** type) override;
    HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* count, int* size) override;
    HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;

    IBaseFilter* owner = nullptr;  // not owned; reported by QueryPinInfo

private:
    AM_MEDIA_TYPE* HandOut(const AM_MEDIA_TYPE& type);
};

// A filter with settable pins. Filters joined to a real graph record the graph and name.
class FakeFilter : public FakeObject, public IBaseFilter {
public:
    using FakeObject::FakeObject;
    std::vector<FakePin*> pins;  // owned by the world
    HRESULT enumPinsResult = S_OK;
    IFilterGraph* joinedGraph = nullptr;  // not owned: the graph holds us
    std::wstring joinedName;
    int joinCalls = 0;
    void AddPin(FakePin* pin) {
        pin->owner = this;
        pins.push_back(pin);
    }

    FAKE_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE Stop() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Pause() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** out) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin**) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }
};

// An effect filter: a FakeFilter with the control and snapshot interfaces.
class FakeEffectFilter : public FakeFilter, public IEffectFilterControl, public IEffectFilterSnapshot {
public:
    using FakeFilter::FakeFilter;
    bool hasControl = true;
    bool hasSnapshot = true;
    HRESULT closeModuleResult = S_OK;
    int closeModuleCalls = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    void* handlerContext = nullptr;
    EffectSnapshotHandler handler = nullptr;
    BYTE* buffer = nullptr;
    std::vector<BOOL> requests;
    // A request pending at a registration is served at once, as the filter's thread may:
    // the registered buffer is filled for the frame size and the handler called.
    bool serveAtRegistration = false;
    // Fills the registered buffer with a counting pattern for width x height and calls the
    // handler, as the filter's thread would.
    HRESULT Deliver(int width, int height, size_t bytesToFill);

    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE Reserved3() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Reserved6() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE CloseModule() override;
    HRESULT STDMETHODCALLTYPE GetFrameSize(int* width, int* height) override;
    // Logged as "SetSnapshotHandler(null)" when all three arguments are null (a clear), else
    // as "SetSnapshotHandler". A registration over a live one fails the test: the buffer held
    // until then may be freed already, under the filter's thread.
    HRESULT STDMETHODCALLTYPE SetSnapshotHandler(void* context, EffectSnapshotHandler h, BYTE* b) override;
    HRESULT STDMETHODCALLTYPE RequestSnapshot(BOOL request) override;
};

// A class object handing out one fake filter, for CoRegisterClassObject.
class FakeClassFactory : public FakeObject, public IClassFactory {
public:
    FakeClassFactory(std::string name, IUnknown* product) : FakeObject(std::move(name)), product(product) {}
    FakeClassFactory(std::string name, IBaseFilter* filter)
        : FakeClassFactory(std::move(name), static_cast<IUnknown*>(filter)) {}
    IUnknown* product;  // not owned
    int created = 0;
    FAKE_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// Registers `factory` for `clsid` in this process for the life of the object.
class ClassRegistration {
public:
    ClassRegistration(const CLSID& clsid, IClassFactory* factory);
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    HRESULT result() const { return m_hr; }

private:
    DWORD m_cookie = 0;
    HRESULT m_hr;
};

// A graph manager with the interfaces TeskGraph queries: every call is logged, results are
// settable per method name ("put_Owner", "SetWindowPosition", ...). Filters added are not
// joined or referenced; a successful Run makes the state running.
class FakeGraph : public FakeObject,
                  public IGraphBuilder,
                  public IVideoWindow,
                  public IMediaControl,
                  public IMediaEventEx {
public:
    using FakeObject::FakeObject;
    bool hasGraphBuilder = true;
    bool hasVideoWindow = true;
    bool hasMediaControl = true;
    bool hasMediaEvents = true;
    std::map<std::string, HRESULT> results;
    std::map<IBaseFilter*, HRESULT> addFilterResults;  // before results["AddFilter"]
    struct Event {
        long code;
        LONG_PTR param1;
        LONG_PTR param2;
    };
    std::vector<Event> queue;
    int getEventCalls = 0;
    std::vector<IPin*> connectCalls;  // output, input pairs (not owned)
    OAFilterState state = State_Stopped;

    FAKE_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    // IFilterGraph / IGraphBuilder
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* filter, LPCWSTR) override;
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters**) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR, IBaseFilter**) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Reconnect(IPin*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Disconnect(IPin*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Connect(IPin* output, IPin* input) override;
    HRESULT STDMETHODCALLTYPE Render(IPin*) override { return Call("Render", 0); }
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR, LPCWSTR) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Abort() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override { return FAKE_UNEXPECTED(); }
    // IDispatch (shared by the three automation interfaces)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return FAKE_UNEXPECTED();
    }
    // IVideoWindow: what TeskGraph uses is logged; the rest is unexpected.
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_WindowStyle(long style) override { return Call("put_WindowStyle", style); }
    HRESULT STDMETHODCALLTYPE get_WindowStyle(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_WindowStyleEx(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_WindowStyleEx(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_AutoShow(long value) override { return Call("put_AutoShow", value); }
    HRESULT STDMETHODCALLTYPE get_AutoShow(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_WindowState(long state) override { return Call("put_WindowState", state); }
    HRESULT STDMETHODCALLTYPE get_WindowState(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_BackgroundPalette(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_BackgroundPalette(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_Visible(long value) override { return Call("put_Visible", value); }
    HRESULT STDMETHODCALLTYPE get_Visible(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_Left(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_Left(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_Width(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_Width(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_Top(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_Top(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_Height(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_Height(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_Owner(OAHWND owner) override { return Call("put_Owner", static_cast<long long>(owner)); }
    HRESULT STDMETHODCALLTYPE get_Owner(OAHWND*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND drain) override {
        return Call("put_MessageDrain", static_cast<long long>(drain));
    }
    HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_BorderColor(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_BorderColor(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_FullScreenMode(long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE put_FullScreenMode(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE SetWindowForeground(long focus) override { return Call("SetWindowForeground", focus); }
    HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND, long, LONG_PTR, LONG_PTR) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE SetWindowPosition(long left, long top, long width, long height) override;
    HRESULT STDMETHODCALLTYPE GetWindowPosition(long*, long*, long*, long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(long*, long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(long*, long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE GetRestorePosition(long*, long*, long*, long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE HideCursor(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE IsCursorHidden(long*) override { return FAKE_UNEXPECTED(); }
    // IMediaControl
    HRESULT STDMETHODCALLTYPE Run() override;
    HRESULT STDMETHODCALLTYPE Pause() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE Stop() override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE GetState(LONG, OAFilterState* current) override;
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR, IDispatch**) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch**) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch**) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE StopWhenReady() override { return FAKE_UNEXPECTED(); }
    // IMediaEvent / IMediaEventEx
    HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE GetEvent(long* code, LONG_PTR* param1, LONG_PTR* param2, long timeout) override;
    HRESULT STDMETHODCALLTYPE WaitForCompletion(long, long*) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE CancelDefaultHandling(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE FreeEventParams(long code, LONG_PTR param1, LONG_PTR param2) override;
    HRESULT STDMETHODCALLTYPE SetNotifyWindow(OAHWND window, long message, LONG_PTR instance) override;
    HRESULT STDMETHODCALLTYPE SetNotifyFlags(long) override { return FAKE_UNEXPECTED(); }
    HRESULT STDMETHODCALLTYPE GetNotifyFlags(long*) override { return FAKE_UNEXPECTED(); }

private:
    HRESULT Call(const std::string& method, long long value);
    HRESULT ResultOf(const std::string& method) const;
};

// Test fixture: COM initialised for the test, fakes checked at its end.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    FakeWorld world;

private:
    HRESULT m_coInit = E_FAIL;
};
