#pragma once
// COM contract of the effect filter: the class every preview frame passes through and the
// source of the snapshot pixels. Only the methods named here are called; the placeholder
// slots keep the vtable layout of the filter and must never be called.
#include <windows.h>
#include <unknwn.h>

// {6FACF26F-683C-4928-9631-75ED31164307}
inline constexpr CLSID CLSID_EffectFilter = {
    0x6facf26f, 0x683c, 0x4928, {0x96, 0x31, 0x75, 0xed, 0x31, 0x16, 0x43, 0x07}};

// Called by the filter, on a thread of its own, after it copied a requested frame of
// width x height 32-bit pixels into the registered buffer.
typedef HRESULT(STDMETHODCALLTYPE* EffectSnapshotHandler)(void* context, int width, int height);

// {CDADF3D0-FA97-44EE-A0B7-AED55CE754E1}
MIDL_INTERFACE("CDADF3D0-FA97-44EE-A0B7-AED55CE754E1")
IEffectFilterControl : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;  // slot 3, not used
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;  // slot 4, not used
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;  // slot 5, not used
    // Slot 6: unloads any effect module the filter has loaded.
    virtual HRESULT STDMETHODCALLTYPE CloseModule() = 0;
};

// {CC61369F-9C44-415B-BA7F-3B507DABA7F9}
MIDL_INTERFACE("CC61369F-9C44-415B-BA7F-3B507DABA7F9")
IEffectFilterSnapshot : public IUnknown {
public:
    // Slot 3: size of the frames passing through the filter.
    virtual HRESULT STDMETHODCALLTYPE GetFrameSize(int* width, int* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;  // slot 4, not used
    // Slot 5: `buffer` receives width x height x 4 bytes per requested frame.
    virtual HRESULT STDMETHODCALLTYPE SetSnapshotHandler(void* context, EffectSnapshotHandler handler,
                                                         BYTE* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;  // slot 6, not used
    // Slot 7: TRUE asks for one frame; the handler is called once it is in the buffer.
    virtual HRESULT STDMETHODCALLTYPE RequestSnapshot(BOOL request) = 0;
};

inline constexpr IID IID_IEffectFilterControl = {
    0xcdadf3d0, 0xfa97, 0x44ee, {0xa0, 0xb7, 0xae, 0xd5, 0x5c, 0xe7, 0x54, 0xe1}};
inline constexpr IID IID_IEffectFilterSnapshot = {
    0xcc61369f, 0x9c44, 0x415b, {0xba, 0x7f, 0x3b, 0x50, 0x7d, 0xab, 0xa7, 0xf9}};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IEffectFilterControl, 0xcdadf3d0, 0xfa97, 0x44ee, 0xa0, 0xb7, 0xae, 0xd5, 0x5c, 0xe7,
                0x54, 0xe1)
__CRT_UUID_DECL(IEffectFilterSnapshot, 0xcc61369f, 0x9c44, 0x415b, 0xba, 0x7f, 0x3b, 0x50, 0x7d, 0xab,
                0xa7, 0xf9)
#endif
