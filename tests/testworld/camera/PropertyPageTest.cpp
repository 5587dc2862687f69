// The camera's property page, hosted by a test window and by Wine's property frame.
#include <gtest/gtest.h>

#include <olectl.h>

#include "testworld/camera/CameraPropertyPage.h"
#include "testworld/camera/CameraRegistry.h"
#include "framework/Handles.h"
#include "tests/components/support/ComponentWorld.h"

namespace components_test {
namespace {

constexpr wchar_t kFrameCaption[] = L"DelmHalvo -";

HWND FindChildOfClass(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* name;
        HWND found;
    } search = {className, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t name[64] = {};
            ::GetClassNameW(child, name, 64);
            if (wcscmp(name, s->name) != 0) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class PropertyPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_camera = BindVirtualCamera();
        ASSERT_TRUE(m_camera);
    }
    void TearDown() override {
        m_camera.Reset();
        EXPECT_EQ(CameraDll().LiveObjects(), 0);
    }
    CameraSettings m_settings;
    ComPtr<IBaseFilter> m_camera;
};

TEST_F(PropertyPageTest, CameraNamesItsOwnPageAndAClickIsAppliedAtOnce) {
    ComPtr<ISpecifyPropertyPages> specify;
    ASSERT_EQ(m_camera.As(specify), S_OK);
    CAUUID pages = {};
    ASSERT_EQ(specify->GetPages(&pages), S_OK);
    UniqueCoTaskMem<GUID> elements;
    elements.Reset(pages.pElems);
    ASSERT_EQ(pages.cElems, 1u);
    const CLSID pageClass = pages.pElems[0];
    EXPECT_EQ(pageClass, camera::CLSID_CameraPropertyPage);

    ComPtr<IPropertyPage> page;
    ASSERT_EQ(::CoCreateInstance(pageClass, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page.PutVoid()), S_OK);
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    UniqueCoTaskMem<OLECHAR> title;
    title.Reset(info.pszTitle);
    EXPECT_STREQ(info.pszTitle, L"Camera");
    EXPECT_GT(info.size.cx, 0);

    ASSERT_EQ(camera::WriteControlByte(0x0400, 2), S_OK);  // low light on, flip off
    HWND host = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_TRUE(host);
    IUnknown* objects[] = {m_camera.Get()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    RECT area = {0, 0, 220, 90};
    ASSERT_EQ(page->Activate(host, &area, TRUE), S_OK);
    HWND pageWindow = FindChildOfClass(host, L"DelmHalvoVirtualCameraPage");
    ASSERT_TRUE(pageWindow);
    HWND flip = ::GetDlgItem(pageWindow, camera::kFlipBoxId);
    HWND lowLight = ::GetDlgItem(pageWindow, camera::kLowLightBoxId);
    ASSERT_TRUE(flip && lowLight);
    EXPECT_EQ(::SendMessageW(flip, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(::SendMessageW(lowLight, BM_GETCHECK, 0, 0), BST_CHECKED);

    ::SendMessageW(flip, BM_CLICK, 0, 0);
    EXPECT_EQ(camera::ReadControlByte(0x0400), 3u);
    ::SendMessageW(lowLight, BM_CLICK, 0, 0);
    EXPECT_EQ(camera::ReadControlByte(0x0400), 1u);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);

    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(::IsWindow(pageWindow));
    ::DestroyWindow(host);
    page.Reset();
}

// The frame runs modally on a thread of its own; the test finds it, checks that it shows
// our page, and cancels it. Every wait is bounded.
TEST_F(PropertyPageTest, PropertyFrameOpensWithThePageAndCloses) {
    // Static: a frame that never closes must not be left pointing at a dead stack frame.
    static struct FrameCall {
        IUnknown* object;
        HRESULT result;
    } call;
    call = {m_camera.Get(), E_PENDING};
    UniqueHandle thread(::CreateThread(
        nullptr, 0,
        [](void* param) -> DWORD {
            auto* c = static_cast<FrameCall*>(param);
            ::CoInitialize(nullptr);
            CLSID page = camera::CLSID_CameraPropertyPage;
            IUnknown* objects[] = {c->object};
            c->result = ::OleCreatePropertyFrame(nullptr, 30, 30, kFrameCaption, 1, objects, 1, &page, 0, 0, nullptr);
            ::CoUninitialize();
            return 0;
        },
        &call, 0, nullptr));
    ASSERT_TRUE(thread);
    HWND frame = nullptr;
    for (int i = 0; i < 100 && !frame; ++i) {
        ::Sleep(50);
        ::EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                wchar_t title[256] = {};
                ::GetWindowTextW(window, title, 256);
                if (!wcsstr(title, kFrameCaption)) return TRUE;
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&frame));
    }
    ASSERT_TRUE(frame) << "no property frame appeared";
    EXPECT_TRUE(FindChildOfClass(frame, L"DelmHalvoVirtualCameraPage"));
    ::PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(::WaitForSingleObject(thread.Get(), 5000), WAIT_OBJECT_0) << "property frame did not close";
    EXPECT_EQ(call.result, S_OK);
}

}  // namespace
}  // namespace components_test
