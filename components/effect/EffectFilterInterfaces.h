#pragma once
// COM contract of the effect filter ("KorvEffect.ax"), shared by the filter and by the
// capture engine that drives it. Slot numbers count the three IUnknown slots, so the first
// method after IUnknown is slot 3. The placeholder slots exist only to keep the layout; the
// filter answers them with E_NOTIMPL and no caller uses them.
#include <unknwn.h>

// {6FACF26F-683C-4928-9631-75ED31164307}
inline constexpr CLSID CLSID_EffectFilter = {
    0x6facf26f, 0x683c, 0x4928, {0x96, 0x31, 0x75, 0xed, 0x31, 0x16, 0x43, 0x07}};
// {CDADF3D0-FA97-44EE-A0B7-AED55CE754E1}
inline constexpr IID IID_IEffectFilterControl = {
    0xcdadf3d0, 0xfa97, 0x44ee, {0xa0, 0xb7, 0xae, 0xd5, 0x5c, 0xe7, 0x54, 0xe1}};
// {CC61369F-9C44-415B-BA7F-3B507DABA7F9}
inline constexpr IID IID_IEffectFilterSnapshot = {
    0xcc61369f, 0x9c44, 0x415b, {0xba, 0x7f, 0x3b, 0x50, 0x7d, 0xab, 0xa7, 0xf9}};

// Called by the filter on a thread of its own after it has copied a requested frame into
// the registered buffer (width x height 32-bit pixels, bottom row first).
typedef HRESULT(STDMETHODCALLTYPE* EffectSnapshotHandler)(void* context, int width, int height);

struct IEffectFilterControl : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;  // slot 3
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;  // slot 4
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;  // slot 5
    // Slot 6: unloads the effect module the filter has loaded, if any; S_OK.
    virtual HRESULT STDMETHODCALLTYPE CloseModule() = 0;
};

struct IEffectFilterSnapshot : public IUnknown {
    // Slot 3: size of the frames passing through (0 x 0 while the input is unconnected).
    virtual HRESULT STDMETHODCALLTYPE GetFrameSize(int* width, int* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;  // slot 4
    // Slot 5: registers handler, context and a buffer of width x height x 4 bytes, the
    // frame size being the one GetFrameSize reports at this call. A null handler or buffer
    // clears the registration; a handler that was replaced or cleared is never called.
    virtual HRESULT STDMETHODCALLTYPE SetSnapshotHandler(void* context, EffectSnapshotHandler handler,
                                                         BYTE* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;  // slot 6
    // Slot 7: TRUE asks for the next frame to be copied into the buffer and the handler to
    // be called; FALSE withdraws a request not yet served.
    virtual HRESULT STDMETHODCALLTYPE RequestSnapshot(BOOL request) = 0;
};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IEffectFilterControl, 0xcdadf3d0, 0xfa97, 0x44ee, 0xa0, 0xb7, 0xae, 0xd5, 0x5c, 0xe7, 0x54, 0xe1)
__CRT_UUID_DECL(IEffectFilterSnapshot, 0xcc61369f, 0x9c44, 0x415b, 0xba, 0x7f, 0x3b, 0x50, 0x7d, 0xab, 0xa7, 0xf9)
#endif
