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
    return filterkit::RegisterTransformFilter(CLSID_MjpegDec, kFilterName, MERIT_NORMAL, kInputTypes, kOutputTypes);
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    ScopedCoInitialize com;
    return filterkit::UnregisterTransformFilter(CLSID_MjpegDec);
}

// Live COM objects of this DLL, for leak tests.
LONG STDAPICALLTYPE FilterKitLiveObjects() { return filterkit::LiveObjects(); }

}  // extern "C"
