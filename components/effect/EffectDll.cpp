// Entry points of "KorvEffect.ax": the COM class of the effect filter and its registration
// as a DirectShow filter (merit "do not use": the graph manager never picks it on its own,
// the capture engine adds it by CLSID).
#include <windows.h>
#include <strmif.h>
#include <uuids.h>

#include "components/effect/EffectFilter.h"
#include "components/filterkit/ClassFactory.h"
#include "components/filterkit/Registration.h"
#include "framework/Handles.h"

namespace {

constexpr wchar_t kFilterName[] = L"Korv Effect";

const filterkit::ClassEntry kClasses[] = {
    {&CLSID_EffectFilter, &filterkit::CreateAndQuery<effect::EffectFilter>},
};

const REGPINTYPES kInputTypes[] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
};
const REGPINTYPES kOutputTypes[] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
};

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return filterkit::GetClassObject(kClasses, sizeof(kClasses) / sizeof(kClasses[0]), clsid, iid, out);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return filterkit::CanUnloadNow(); }

// Registering again over an existing registration replaces it with the same values.
HRESULT STDAPICALLTYPE DllRegisterServer() {
    ScopedCoInitialize com;
    HRESULT hr = filterkit::RegisterComClass(CLSID_EffectFilter, kFilterName);
    if (FAILED(hr)) return hr;
    REGFILTERPINS2 pins[2] = {};
    pins[0].cInstances = 1;
    pins[0].nMediaTypes = sizeof(kInputTypes) / sizeof(kInputTypes[0]);
    pins[0].lpMediaType = kInputTypes;
    pins[1].dwFlags = REG_PINFLAG_B_OUTPUT;
    pins[1].cInstances = 1;
    pins[1].nMediaTypes = sizeof(kOutputTypes) / sizeof(kOutputTypes[0]);
    pins[1].lpMediaType = kOutputTypes;
    REGFILTER2 description = {};
    description.dwVersion = 2;
    description.dwMerit = MERIT_DO_NOT_USE;
    description.cPins2 = 2;
    description.rgPins2 = pins;
    return filterkit::RegisterFilterInCategory(CLSID_EffectFilter, kFilterName, CLSID_LegacyAmFilterCategory,
                                               nullptr, description);
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    ScopedCoInitialize com;
    const HRESULT hr = filterkit::UnregisterFilterInCategory(CLSID_EffectFilter, CLSID_LegacyAmFilterCategory, nullptr);
    const HRESULT hr2 = filterkit::UnregisterComClass(CLSID_EffectFilter);
    return FAILED(hr) ? hr : hr2;
}

// Live COM objects of this DLL, for leak tests.
LONG STDAPICALLTYPE FilterKitLiveObjects() { return filterkit::LiveObjects(); }

}  // extern "C"
