// The owners of handles, GDI objects and COM references: exactly one release, on every path.
#include <gtest/gtest.h>

#include "framework/ComPtr.h"
#include "framework/Handles.h"

namespace {

// Counts every AddRef and Release; fails the test on any other call.
class CountingUnknown : public IUnknown {
public:
    ULONG refs = 1;
    int addRefs = 0;
    int releases = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++addRefs;
        return ++refs;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        ++releases;
        return --refs;
    }
};

TEST(ComPtr, CountsReferencesExactly) {
    CountingUnknown object;
    {
        ComPtr<IUnknown> first(&object);
        EXPECT_EQ(object.addRefs, 1);
        ComPtr<IUnknown> copy = first;
        EXPECT_EQ(object.addRefs, 2);
        ComPtr<IUnknown> moved = std::move(copy);
        EXPECT_EQ(object.addRefs, 2) << "a move takes no reference";
        EXPECT_FALSE(copy);
        copy = moved;
        copy = copy;  // self-assignment keeps the count
        EXPECT_EQ(object.refs, 4u);
    }
    EXPECT_EQ(object.refs, 1u);
    EXPECT_EQ(object.releases, object.addRefs);
}

TEST(ComPtr, PutReleasesWhatWasHeldAndAttachTakesOverAReference) {
    CountingUnknown a, b;
    ComPtr<IUnknown> p(&a);
    IUnknown** slot = p.Put();
    EXPECT_EQ(a.refs, 1u) << "Put released the old reference";
    EXPECT_EQ(*slot, nullptr);
    b.AddRef();  // as an out parameter would hand it over
    *slot = &b;
    EXPECT_EQ(p.Get(), &b);
    p.Reset();
    EXPECT_EQ(b.refs, 1u);

    b.AddRef();
    p.Attach(&b);
    EXPECT_EQ(b.refs, 2u) << "Attach added nothing";
    IUnknown* raw = p.Detach();
    EXPECT_EQ(raw, &b);
    EXPECT_FALSE(p);
    raw->Release();
    EXPECT_EQ(b.refs, 1u);
}

TEST(ComPtr, CopyToAndQueryHandOutAddedReferences) {
    CountingUnknown object;
    ComPtr<IUnknown> p(&object);
    IUnknown* out = nullptr;
    EXPECT_EQ(p.CopyTo(&out), S_OK);
    EXPECT_EQ(object.refs, 3u);
    out->Release();
    EXPECT_EQ(p.CopyTo(nullptr), E_POINTER);

    ComPtr<IUnknown> queried;
    EXPECT_EQ(p.As(queried), S_OK);
    EXPECT_EQ(object.refs, 3u);
    ComPtr<IUnknown> empty;
    EXPECT_EQ(empty.As(queried), E_POINTER);
    EXPECT_FALSE(queried);
    p.Reset();
    EXPECT_EQ(object.refs, 1u);
}

TEST(UniqueHandle, ClosesOnceAndMovesOwnership) {
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(raw);
    {
        UniqueHandle first(raw);
        UniqueHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), raw);
        UniqueHandle third;
        third = std::move(second);
        DWORD flags = 0;
        EXPECT_TRUE(::GetHandleInformation(raw, &flags)) << "still open while owned";
    }
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags)) << "closed when the last owner went";
}

TEST(UniqueHandle, ReleaseGivesUpOwnershipAndResetClosesAtOnce) {
    UniqueHandle owner(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE raw = owner.Release();
    EXPECT_FALSE(owner);
    DWORD flags = 0;
    EXPECT_TRUE(::GetHandleInformation(raw, &flags));
    owner.Reset(raw);
    owner.Reset();
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));
}

TEST(UniqueFile, TreatsInvalidHandleValueAsEmpty) {
    UniqueFile missing(::CreateFileW(L"Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.Get(), INVALID_HANDLE_VALUE);
}

TEST(GdiOwners, DeleteTheirObjectAndRestoreTheSelection) {
    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    HGDIOBJ original = ::GetCurrentObject(dc.Get(), OBJ_BITMAP);
    HBITMAP raw = nullptr;
    {
        UniqueBitmap bitmap(::CreateBitmap(4, 4, 1, 1, nullptr));
        raw = bitmap.Get();
        {
            SelectObjectGuard selected(dc.Get(), bitmap.Get());
            EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), raw);
        }
        EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), original);
        EXPECT_EQ(::GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(::GetObjectType(raw), 0u) << "deleted with its owner";
}

TEST(ScopedCoInitialize, UndoesOnlyWhatSucceeded) {
    {
        ScopedCoInitialize outer;
        ASSERT_TRUE(SUCCEEDED(outer.Result()));
        {
            ScopedCoInitialize inner;
            EXPECT_EQ(inner.Result(), S_FALSE) << "already initialised: still to be undone once";
        }
        // The outer initialisation still holds: a second CoInitialize answers S_FALSE.
        const HRESULT again = ::CoInitialize(nullptr);
        EXPECT_EQ(again, S_FALSE);
        ::CoUninitialize();
    }
    const HRESULT fresh = ::CoInitialize(nullptr);
    EXPECT_EQ(fresh, S_OK) << "everything was undone";
    ::CoUninitialize();
}

}  // namespace
