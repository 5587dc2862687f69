// Stands in for the program the system opens photos with: started as
//   open_recorder.exe <record file> <what is opened>
// it writes the second argument to the record file and ends.
#include <windows.h>
#include <shellapi.h>

#include "framework/Handles.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments || count < 3) return 1;
    UniqueFile file(::CreateFileW(arguments[1], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    const BOOL ok = file && ::WriteFile(file.Get(), arguments[2], static_cast<DWORD>(wcslen(arguments[2]) * sizeof(wchar_t)),
                                        &written, nullptr);
    ::LocalFree(arguments);
    return ok ? 0 : 1;
}
