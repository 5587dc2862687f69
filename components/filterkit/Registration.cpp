#include "components/filterkit/Registration.h"

#include <uuids.h>

#include "framework/ComPtr.h"
#include "framework/Handles.h"

namespace filterkit {
namespace {

HRESULT FromWin32(LONG result) { return result == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(result); }

HRESULT SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return FromWin32(::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

std::wstring ClassKeyPath(const CLSID& clsid) { return L"Software\\Classes\\CLSID\\" + GuidString(clsid); }

HRESULT CreateMapper(ComPtr<IFilterMapper2>& mapper) {
    return ::CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                              mapper.PutVoid());
}

}  // namespace

std::wstring ThisModulePath() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModulePath), &module);
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length < MAX_PATH ? length : 0);
}

std::wstring GuidString(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

HRESULT RegisterComClass(const CLSID& clsid, const wchar_t* name) {
    const std::wstring path = ThisModulePath();
    if (path.empty()) return E_FAIL;
    UniqueHKey classKey;
    HRESULT hr = FromWin32(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, ClassKeyPath(clsid).c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, classKey.Put(), nullptr));
    if (FAILED(hr)) return hr;
    hr = SetString(classKey.Get(), nullptr, name);
    if (FAILED(hr)) return hr;
    UniqueHKey serverKey;
    hr = FromWin32(::RegCreateKeyExW(classKey.Get(), L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr,
                                     serverKey.Put(), nullptr));
    if (FAILED(hr)) return hr;
    hr = SetString(serverKey.Get(), nullptr, path);
    if (FAILED(hr)) return hr;
    return SetString(serverKey.Get(), L"ThreadingModel", L"Both");
}

HRESULT UnregisterComClass(const CLSID& clsid) {
    const LONG result = ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKeyPath(clsid).c_str());
    return result == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(result);
}

HRESULT RegisterFilterInCategory(const CLSID& clsid, const wchar_t* name, const CLSID& category,
                                 const wchar_t* instance, const REGFILTER2& description, IMoniker** moniker) {
    ComPtr<IFilterMapper2> mapper;
    HRESULT hr = CreateMapper(mapper);
    if (FAILED(hr)) return hr;
    IMoniker* made = nullptr;
    hr = mapper->RegisterFilter(clsid, name, moniker ? &made : nullptr, &category, instance, &description);
    if (moniker) *moniker = made;
    return hr;
}

HRESULT UnregisterFilterInCategory(const CLSID& clsid, const CLSID& category, const wchar_t* instance) {
    ComPtr<IFilterMapper2> mapper;
    HRESULT hr = CreateMapper(mapper);
    if (FAILED(hr)) return hr;
    hr = mapper->UnregisterFilter(&category, instance, clsid);
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? S_OK : hr;
}

HRESULT RegisterTransformFilter(const CLSID& clsid, const wchar_t* name, DWORD merit, const REGPINTYPES* inputTypes,
                                UINT inputCount, const REGPINTYPES* outputTypes, UINT outputCount) {
    const HRESULT hr = RegisterComClass(clsid, name);
    if (FAILED(hr)) return hr;
    REGFILTERPINS2 pins[2] = {};
    pins[0].cInstances = 1;
    pins[0].nMediaTypes = inputCount;
    pins[0].lpMediaType = inputTypes;
    pins[1].dwFlags = REG_PINFLAG_B_OUTPUT;
    pins[1].cInstances = 1;
    pins[1].nMediaTypes = outputCount;
    pins[1].lpMediaType = outputTypes;
    REGFILTER2 description = {};
    description.dwVersion = 2;
    description.dwMerit = merit;
    description.cPins2 = 2;
    description.rgPins2 = pins;
    return RegisterFilterInCategory(clsid, name, CLSID_LegacyAmFilterCategory, nullptr, description);
}

HRESULT UnregisterTransformFilter(const CLSID& clsid) {
    const HRESULT hr = UnregisterFilterInCategory(clsid, CLSID_LegacyAmFilterCategory, nullptr);
    const HRESULT hr2 = UnregisterComClass(clsid);
    return FAILED(hr) ? hr : hr2;
}

}  // namespace filterkit
