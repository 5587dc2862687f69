#include "testworld/camera/CameraControls.h"

#include <vfwmsgs.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "testworld/camera/CameraRegistry.h"

namespace camera {
namespace {

constexpr DWORD kBlockBytes = 40;
constexpr ULONG kFlagGet = 0x00000001, kFlagSet = 0x00000002, kFlagTopology = 0x10000000;

// The 32-byte node property of a kernel-streaming request.
struct NodeProperty {
    GUID set;
    ULONG id;
    ULONG flags;
    ULONG node;
    ULONG reserved;
};
static_assert(sizeof(NodeProperty) == 32, "node property layout");

DWORD ReadField(const void* block, size_t offset) {
    DWORD value;
    std::memcpy(&value, static_cast<const BYTE*>(block) + offset, sizeof(value));
    return value;
}
void WriteField(void* block, size_t offset, DWORD value) {
    std::memcpy(static_cast<BYTE*>(block) + offset, &value, sizeof(value));
}

// Each write the camera accepts goes to the write log (CameraRegistry.h) after the store.
HRESULT StoreStdProperty(unsigned number, DWORD value) {
    const HRESULT hr = WriteStdProperty(number, value);
    if (SUCCEEDED(hr)) AppendWriteLog(L"std " + std::to_wstring(number) + L" " + std::to_wstring(value));
    return hr;
}
HRESULT StoreControlByte(const wchar_t* route, unsigned address, BYTE value) {
    const HRESULT hr = WriteControlByte(address, value);
    if (SUCCEEDED(hr)) {
        wchar_t entry[32];
        swprintf(entry, 32, L"%ls %04X %02X", route, address & 0xFFFFu, static_cast<unsigned>(value));
        AppendWriteLog(entry);
    }
    return hr;
}

}  // namespace

STDMETHODIMP CameraControls::Set(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD bytes) {
    if (set != kStandardPropertySet && set != kByteFallbackSet) return E_PROP_SET_UNSUPPORTED;
    if (!data) return E_POINTER;
    if (bytes < kBlockBytes) return E_INVALIDARG;
    if (set == kStandardPropertySet) return StoreStdProperty(id, ReadField(data, 24));
    const unsigned address = ReadField(data, 24) & 0xFFFFu;
    if (id == 0) {
        m_fallbackAddress = address;
        return S_OK;
    }
    if (id == 1) return StoreControlByte(L"fallback", address, static_cast<BYTE>(ReadField(data, 28)));
    return E_PROP_ID_UNSUPPORTED;
}

STDMETHODIMP CameraControls::Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD bytes, DWORD* returned) {
    if (set != kStandardPropertySet && set != kByteFallbackSet) return E_PROP_SET_UNSUPPORTED;
    if (!data) return E_POINTER;
    if (bytes < kBlockBytes) return E_INVALIDARG;
    if (set == kStandardPropertySet) {
        WriteField(data, 24, ReadStdProperty(id));
    } else {
        if (id != 0) return E_PROP_ID_UNSUPPORTED;
        const unsigned address = m_fallbackAddress;
        WriteField(data, 24, address);
        WriteField(data, 28, ReadControlByte(address));
    }
    if (returned) *returned = kBlockBytes;
    return S_OK;
}

STDMETHODIMP CameraControls::QuerySupported(REFGUID set, DWORD, DWORD* support) {
    if (set != kStandardPropertySet && set != kByteFallbackSet) return E_PROP_SET_UNSUPPORTED;
    if (support) *support = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
    return S_OK;
}

STDMETHODIMP CameraControls::KsProperty(void* property, ULONG propertyLength, void* data, ULONG dataLength,
                                        ULONG* returned) {
    if (!property || !data) return E_POINTER;
    if (propertyLength < sizeof(NodeProperty) || dataLength < 4) return E_INVALIDARG;
    NodeProperty request;
    std::memcpy(&request, property, sizeof(request));
    if (request.set != kExtensionUnitSet) return E_PROP_SET_UNSUPPORTED;
    if (request.id != 1 || !(request.flags & kFlagTopology) || request.node != 1) return E_PROP_ID_UNSUPPORTED;
    BYTE* bytes = static_cast<BYTE*>(data);
    const unsigned address = bytes[0] | (bytes[1] << 8);
    const unsigned second = bytes[2] | (bytes[3] << 8);
    if (request.flags & kFlagSet) {
        if (second == 0xFF00u) {
            m_extensionAddress = address;
            if (returned) *returned = 0;
            return S_OK;
        }
        if (returned) *returned = 0;
        if (ReadRefuseExtensionUnitWrites()) return HRESULT_FROM_WIN32(ERROR_GEN_FAILURE);
        return StoreControlByte(L"xu", address, static_cast<BYTE>(second & 0xFFu));
    }
    if (request.flags & kFlagGet) {
        const unsigned selected = m_extensionAddress;
        const DWORD value = ReadControlByte(selected);
        bytes[0] = static_cast<BYTE>(selected & 0xFF);
        bytes[1] = static_cast<BYTE>(selected >> 8);
        bytes[2] = static_cast<BYTE>(value);
        bytes[3] = 0;
        if (returned) *returned = 4;
        return S_OK;
    }
    return E_INVALIDARG;
}

}  // namespace camera
