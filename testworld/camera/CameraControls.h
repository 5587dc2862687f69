#pragma once
// The camera's own property sets, as the button utility reaches them on the bound filter,
// kept in the state store of CameraRegistry.h:
//  - IKsPropertySet, standard driver set {D80AF729-7C23-4E10-BC5F-1D8C157F96E3}: property
//    number N, 40-byte block as instance and property data, the value at offset 24;
//  - IKsPropertySet, byte fallback set {F1CAFC1D-D7D6-400F-A7FD-96715E0BD958}: 40-byte
//    block with the address at 24 and the value at 28; Set with number 1 writes the byte,
//    Set with number 0 selects the address that the next Get (number 0) reads;
//  - IKsControl::KsProperty, extension unit set {28F03370-6311-4A2E-BA2C-6890EB334016},
//    property 1 on node 1 with the topology flag: data {16-bit address, 16-bit second
//    half}; a set with second half 0xFF00 selects the address for reading, any other set
//    writes the low byte of the second half; a get answers {address, byte}.
// The object lives inside its filter; AddRef/Release go to the filter.
#include <windows.h>
#include <strmif.h>

#include <atomic>

namespace camera {

// {D80AF729-7C23-4E10-BC5F-1D8C157F96E3}
inline constexpr GUID kStandardPropertySet = {0xd80af729, 0x7c23, 0x4e10, {0xbc, 0x5f, 0x1d, 0x8c, 0x15, 0x7f, 0x96, 0xe3}};
// {28F03370-6311-4A2E-BA2C-6890EB334016}
inline constexpr GUID kExtensionUnitSet = {0x28f03370, 0x6311, 0x4a2e, {0xba, 0x2c, 0x68, 0x90, 0xeb, 0x33, 0x40, 0x16}};
// {F1CAFC1D-D7D6-400F-A7FD-96715E0BD958}
inline constexpr GUID kByteFallbackSet = {0xf1cafc1d, 0xd7d6, 0x400f, {0xa7, 0xfd, 0x96, 0x71, 0x5e, 0x0b, 0xd9, 0x58}};
// {28F54685-06FD-11D2-B27A-00A0C9223196}
inline constexpr IID kIID_IKsControl = {0x28f54685, 0x06fd, 0x11d2, {0xb2, 0x7a, 0x00, 0xa0, 0xc9, 0x22, 0x31, 0x96}};

// The vtable of the platform's IKsControl (declared here to keep the kernel-streaming
// headers out of the DirectShow ones).
struct KsControlInterface : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE KsProperty(void* property, ULONG propertyLength, void* data, ULONG dataLength,
                                                 ULONG* returned) = 0;
    virtual HRESULT STDMETHODCALLTYPE KsMethod(void* method, ULONG methodLength, void* data, ULONG dataLength,
                                               ULONG* returned) = 0;
    virtual HRESULT STDMETHODCALLTYPE KsEvent(void* event, ULONG eventLength, void* data, ULONG dataLength,
                                              ULONG* returned) = 0;
};

class CameraControls final : public IKsPropertySet, public KsControlInterface {
public:
    explicit CameraControls(IUnknown& owner) : m_owner(owner) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return m_owner.QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return m_owner.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_owner.Release(); }

    STDMETHODIMP Set(REFGUID set, DWORD id, LPVOID instance, DWORD instanceBytes, LPVOID data, DWORD bytes) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID instance, DWORD instanceBytes, LPVOID data, DWORD bytes,
                     DWORD* returned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    STDMETHODIMP KsProperty(void* property, ULONG propertyLength, void* data, ULONG dataLength, ULONG* returned) override;
    STDMETHODIMP KsMethod(void*, ULONG, void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP KsEvent(void*, ULONG, void*, ULONG, ULONG*) override { return E_NOTIMPL; }

private:
    IUnknown& m_owner;
    std::atomic<unsigned> m_fallbackAddress{0};
    std::atomic<unsigned> m_extensionAddress{0};
};

}  // namespace camera
