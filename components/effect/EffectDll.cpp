// Entry points of "KorvEffect.ax": the COM class of the effect filter and its registration
// as a DirectShow filter (merit "do not use": the graph manager never picks it on its own,
// the capture engine adds it by CLSID).
#include <windows.h>
#include <strmif.h>
#include <uuids.h>

#include "components/effect/EffectFilter.h"
#include <iterator>

#include "components/filterkit/DllServer.h"
#include "components/filterkit/Registration.h"

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

HRESULT Register() {
    return filterkit::RegisterTransformFilter(CLSID_EffectFilter, kFilterName, MERIT_DO_NOT_USE, kInputTypes, kOutputTypes);
}

HRESULT Unregister() { return filterkit::UnregisterTransformFilter(CLSID_EffectFilter); }

}  // namespace

const filterkit::DllServer filterkit::kDllServer{kClasses, std::size(kClasses), &Register, &Unregister};
