#pragma once
// The filter kit's lines in the one trace (framework/Trace.h): calls it answers with
// E_UNEXPECTED and interfaces it is asked for but lacks.
#include <windows.h>

namespace filterkit {

// "filter kit: <call> on <object> failed (hr 0x8000FFFF)"; returns E_UNEXPECTED.
HRESULT TraceUnexpectedCall(const wchar_t* call, const wchar_t* object);
// A QueryInterface that found nothing. Each interface is traced once per DLL: a renderer
// asks for some of them at every frame.
void TraceMissingInterface(REFIID iid, const wchar_t* object);

}  // namespace filterkit
