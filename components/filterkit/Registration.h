#pragma once
// Registration of an in-process COM class and of a filter with the filter mapper.
#include <windows.h>
#include <strmif.h>

#include <string>

namespace filterkit {

// Full path of the module (DLL) this code is linked into.
std::wstring ThisModulePath();
std::wstring GuidString(const GUID& guid);  // "{...}"

// HKLM\Software\Classes\CLSID\{clsid}: name, InprocServer32 = this module, ThreadingModel Both.
HRESULT RegisterComClass(const CLSID& clsid, const wchar_t* name);
// Removes that key tree; S_OK also when it was not there.
HRESULT UnregisterComClass(const CLSID& clsid);

// IFilterMapper2::RegisterFilter in `category` (instance name `instance`, may be null),
// the moniker handed back through `moniker` when asked for.
HRESULT RegisterFilterInCategory(const CLSID& clsid, const wchar_t* name, const CLSID& category,
                                 const wchar_t* instance, const REGFILTER2& description,
                                 IMoniker** moniker = nullptr);
// IFilterMapper2::UnregisterFilter; S_OK also when nothing was registered.
HRESULT UnregisterFilterInCategory(const CLSID& clsid, const CLSID& category, const wchar_t* instance);

// A filter with one input and one output pin: its COM class, and its entry in the legacy
// filter category with `merit` and the pins' types.
HRESULT RegisterTransformFilter(const CLSID& clsid, const wchar_t* name, DWORD merit, const REGPINTYPES* inputTypes,
                                UINT inputCount, const REGPINTYPES* outputTypes, UINT outputCount);
template <size_t Inputs, size_t Outputs>
HRESULT RegisterTransformFilter(const CLSID& clsid, const wchar_t* name, DWORD merit,
                                const REGPINTYPES (&inputTypes)[Inputs], const REGPINTYPES (&outputTypes)[Outputs]) {
    return RegisterTransformFilter(clsid, name, merit, inputTypes, Inputs, outputTypes, Outputs);
}
// Both removed again; the first failure is returned.
HRESULT UnregisterTransformFilter(const CLSID& clsid);

}  // namespace filterkit
