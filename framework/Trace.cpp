#include "framework/Trace.h"

#include <cstdarg>
#include <cwchar>

namespace {
constexpr size_t kLineLength = 512;

void Emit(wchar_t* line, int length) {
    // mingw-w64's swprintf answers the would-be length when it cuts the text.
    if (length < 0 || static_cast<size_t>(length) >= kLineLength - 1) length = static_cast<int>(kLineLength) - 2;
    line[length] = L'\n';
    line[length + 1] = L'\0';
    ::OutputDebugStringW(line);
}
}  // namespace

HRESULT TraceFailure(const wchar_t* area, const wchar_t* step, HRESULT hr) {
    wchar_t line[kLineLength];
    Emit(line, std::swprintf(line, kLineLength, L"%ls: %ls failed (hr 0x%08lX)", area, step,
                             static_cast<unsigned long>(hr)));
    return hr;
}

HRESULT TraceLastError(const wchar_t* area, const wchar_t* step) {
    const DWORD error = ::GetLastError();
    return TraceFailure(area, step, error ? HRESULT_FROM_WIN32(error) : E_FAIL);
}

void TraceLine(const wchar_t* format, ...) {
    wchar_t line[kLineLength];
    va_list args;
    va_start(args, format);
    const int length = std::vswprintf(line, kLineLength, format, args);
    va_end(args);
    Emit(line, length);
}
