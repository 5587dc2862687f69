#include "components/filterkit/KitTrace.h"

#include <objbase.h>

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <vector>

#include "framework/Trace.h"

namespace filterkit {
namespace {
constexpr wchar_t kArea[] = L"filter kit";
}  // namespace

HRESULT TraceUnexpectedCall(const wchar_t* call, const std::wstring& object) {
    wchar_t step[400];
    std::swprintf(step, 400, L"%ls on %ls", call, object.c_str());
    return TraceFailure(kArea, step, E_UNEXPECTED);
}

HRESULT TraceImpossible(const wchar_t* what, const std::wstring& object, HRESULT hr) {
    wchar_t step[400];
    std::swprintf(step, 400, L"%ls at %ls", what, object.c_str());
    return TraceFailure(kArea, step, hr);
}

void TraceMissingInterface(REFIID iid, const std::wstring& object) {
    static std::mutex lock;
    static std::vector<GUID> traced;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (std::find(traced.begin(), traced.end(), iid) != traced.end()) return;
        traced.push_back(iid);
    }
    wchar_t name[40] = L"?";
    ::StringFromGUID2(iid, name, 40);
    wchar_t step[400];
    std::swprintf(step, 400, L"QueryInterface %ls on %ls", name, object.c_str());
    TraceFailure(kArea, step, E_NOINTERFACE);
}

}  // namespace filterkit
