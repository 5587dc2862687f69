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
    return filterkit::RegisterTransformFilter(CLSID_EffectFilter, kFilterName, MERIT_DO_NOT_USE, kInputTypes, kOutputTypes);
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    ScopedCoInitialize com;
    return filterkit::UnregisterTransformFilter(CLSID_EffectFilter);
}

// Live COM objects of this DLL, for leak tests.
LONG STDAPICALLTYPE FilterKitLiveObjects() { return filterkit::LiveObjects(); }

}  // extern "C"
