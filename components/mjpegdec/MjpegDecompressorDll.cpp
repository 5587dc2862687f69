// Entry points of "MjpegDecompressor.ax": the decompressor's COM class, registered under
// the class of the system's MJPEG decompressor, so that the capture engine, which creates
// that class for an MJPEG camera, gets it. Registered in private Wine prefixes only (tests
// and the demo), never installed for users.
#include <windows.h>
#include <strmif.h>
#include <uuids.h>

#include "components/filterkit/ClassFactory.h"
#include "components/filterkit/Registration.h"
#include "components/mjpegdec/MjpegDecompressor.h"
#include "framework/Handles.h"

namespace {

constexpr wchar_t kFilterName[] = L"MJPEG Decompressor (test world)";

const filterkit::ClassEntry kClasses[] = {
    {&CLSID_MjpegDec, &filterkit::CreateAndQuery<mjpegdec::MjpegDecompressor>},
};

const REGPINTYPES kInputTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_MJPG}};
const REGPINTYPES kOutputTypes[] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24},
};

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return filterkit::GetClassObject(kClasses, sizeof(kClasses) / sizeof(kClasses[0]), clsid, iid, out);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return filterkit::CanUnloadNow(); }

HRESULT STDAPICALLTYPE DllRegisterServer() {
    ScopedCoInitialize com;
    HRESULT hr = filterkit::RegisterComClass(CLSID_MjpegDec, kFilterName);
    if (FAILED(hr)) return hr;
    REGFILTERPINS2 pins[2] = {};
    pins[0].cInstances = 1;
    pins[0].nMediaTypes = 1;
    pins[0].lpMediaType = kInputTypes;
    pins[1].dwFlags = REG_PINFLAG_B_OUTPUT;
    pins[1].cInstances = 1;
    pins[1].nMediaTypes = sizeof(kOutputTypes) / sizeof(kOutputTypes[0]);
    pins[1].lpMediaType = kOutputTypes;
    REGFILTER2 description = {};
    description.dwVersion = 2;
    description.dwMerit = MERIT_NORMAL;
    description.cPins2 = 2;
    description.rgPins2 = pins;
    return filterkit::RegisterFilterInCategory(CLSID_MjpegDec, kFilterName, CLSID_LegacyAmFilterCategory, nullptr,
                                               description);
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    ScopedCoInitialize com;
    const HRESULT hr = filterkit::UnregisterFilterInCategory(CLSID_MjpegDec, CLSID_LegacyAmFilterCategory, nullptr);
    const HRESULT hr2 = filterkit::UnregisterComClass(CLSID_MjpegDec);
    return FAILED(hr) ? hr : hr2;
}

// Live COM objects of this DLL, for leak tests.
LONG STDAPICALLTYPE FilterKitLiveObjects() { return filterkit::LiveObjects(); }

}  // extern "C"
