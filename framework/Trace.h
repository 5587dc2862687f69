#pragma once
// Diagnostics for whoever runs the programs under a debugger or under Wine: one line per
// failure, through OutputDebugStringW. Nothing here is shown to the user, and release
// builds keep the lines. Wine 8 as Debian ships it logs them on its "seh" channel, not on
// "debugstr": WINEDEBUG=warn+seh shows them (each twice: the call, then its exception).
#include <windows.h>

// Writes "<area>: <step> failed (hr 0x........)" and returns `hr`, so that a failing step
// can end with `return TraceFailure(L"preview", L"render the picture", hr);`.
HRESULT TraceFailure(const wchar_t* area, const wchar_t* step, HRESULT hr);
// As TraceFailure, for a Win32 call that reported its error through GetLastError; returns
// that error as an HRESULT (E_FAIL when it left none).
HRESULT TraceLastError(const wchar_t* area, const wchar_t* step);
// One line of free text (a newline is added); %ls for wide strings.
void TraceLine(const wchar_t* format, ...);
