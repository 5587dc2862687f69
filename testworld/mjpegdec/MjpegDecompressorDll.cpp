// Entry points of "MjpegDecompressor.ax": the decompressor's COM class, registered under
// the class of the system's MJPEG decompressor, so that the capture engine, which creates
// that class for an MJPEG camera, gets it. Registered in private Wine prefixes only (tests
// and the demo), never installed for users.
#include <windows.h>
#include <strmif.h>
#include <uuids.h>

#include <iterator>

#include "components/filterkit/DllServer.h"
#include "components/filterkit/Registration.h"
#include "testworld/mjpegdec/MjpegDecompressor.h"

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

HRESULT Register() {
    return filterkit::RegisterTransformFilter(CLSID_MjpegDec, kFilterName, MERIT_NORMAL, kInputTypes, kOutputTypes);
}

HRESULT Unregister() { return filterkit::UnregisterTransformFilter(CLSID_MjpegDec); }

}  // namespace

const filterkit::DllServer filterkit::kDllServer{kClasses, std::size(kClasses), &Register, &Unregister};
