#pragma once
// Device lists and lookups through the system device enumerator. Devices are identified by
// their friendly name alone.
#include <windows.h>
#include <strmif.h>

#include <string>
#include <vector>

// Refills `names` with the friendly names of the category's devices that carry a
// "DevicePath", in enumeration order. S_FALSE (names untouched) when the category has no
// devices; the failure of creating the enumerator.
HRESULT EnumerateCategory(const GUID& category, std::vector<std::wstring>& names);
// Binds the first device of the video (or audio) input category whose friendly name equals
// `friendlyName` exactly. The result of BindToObject; E_FAIL when none matches.
HRESULT FindDeviceFilter(const wchar_t* friendlyName, IBaseFilter** filter, bool video);
// S_OK when the source's video pin offers width x height, S_FALSE when it does not,
// E_POINTER for a null source, E_FAIL for a capability structure of an unexpected size.
HRESULT IsSizeSupported(IBaseFilter* source, int width, int height);
