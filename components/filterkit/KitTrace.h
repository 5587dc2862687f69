#pragma once
// The filter kit's lines in the one trace (framework/Trace.h): calls it answers with
// E_UNEXPECTED and interfaces it is asked for but lacks.
// Objects are named as their TraceName gives them (`pin "Output" of filter "Korv Effect"`).
#include <windows.h>

#include <string>

namespace filterkit {

// "filter kit: <call> on <object> failed (hr 0x8000FFFF)"; returns E_UNEXPECTED.
HRESULT TraceUnexpectedCall(const wchar_t* call, const std::wstring& object);
// A state the graph's contracts rule out, met all the same (a sample without memory, an
// allocator's buffer smaller than it was asked for): "filter kit: <what> at <object> failed
// (hr ...)"; returns `hr`.
HRESULT TraceImpossible(const wchar_t* what, const std::wstring& object, HRESULT hr);
// A QueryInterface that found nothing. Each interface is traced once per DLL: a renderer
// asks for some of them at every frame.
void TraceMissingInterface(REFIID iid, const std::wstring& object);

}  // namespace filterkit
