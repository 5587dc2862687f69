#include "DeviceTestSupport.h"

#include <strmif.h>
#include <uuids.h>

#include "framework/ScopedVariant.h"
#include "framework/ComPtr.h"
#include "framework/Handles.h"

namespace {

const wchar_t kInstanceRoot[] = L"CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance";

std::wstring ClsidText(const CLSID& clsid) {
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    return text;
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

TestDeviceCategory::TestDeviceCategory(std::vector<TestDevice> devices) : m_devices(std::move(devices)) {
    RemoveAll();
    for (const TestDevice& device : m_devices) {
        UniqueHKey key;
        const std::wstring path = std::wstring(kInstanceRoot) + L"\\" + device.instance;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                            nullptr) != ERROR_SUCCESS) {
            m_ok = false;
            continue;
        }
        if (device.friendlyName.empty()) {
            const DWORD number = 5;
            m_ok &= RegSetValueExW(key.Get(), L"FriendlyName", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                   sizeof(number)) == ERROR_SUCCESS;
        } else {
            m_ok &= SetString(key.Get(), L"FriendlyName", device.friendlyName);
        }
        m_ok &= SetString(key.Get(), L"CLSID", ClsidText(device.clsid));
        if (device.hasDevicePath) m_ok &= SetString(key.Get(), L"DevicePath", L"\\\\?\\dh#" + device.instance);
    }
}

TestDeviceCategory::~TestDeviceCategory() { RemoveAll(); }

void TestDeviceCategory::RemoveAll() {
    for (const TestDevice& device : m_devices) {
        const std::wstring path = std::wstring(kInstanceRoot) + L"\\" + device.instance;
        RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    }
}

CLSID FirstDeviceClass(const wchar_t* name) {
    ComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                devices.PutVoid())))
        return CLSID_NULL;
    ComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0) != S_OK) return CLSID_NULL;
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.Put(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) continue;
        ScopedVariant friendly;
        if (FAILED(bag->Read(L"FriendlyName", friendly.Get(), nullptr)) || !friendly.String() ||
            wcscmp(friendly.String(), name) != 0)
            continue;
        ScopedVariant clsidText;
        CLSID clsid = CLSID_NULL;
        if (SUCCEEDED(bag->Read(L"CLSID", clsidText.Get(), nullptr)) && clsidText.String())
            CLSIDFromString(clsidText.String(), &clsid);
        return clsid;
    }
    return CLSID_NULL;
}

CLSID ClassOf(IUnknown* filter) {
    CLSID clsid = CLSID_NULL;
    ComPtr<IPersist> persist;
    if (filter && SUCCEEDED(filter->QueryInterface(IID_IPersist, persist.PutVoid()))) persist->GetClassID(&clsid);
    return clsid;
}
