#pragma once
#include <windows.h>

// Loads the filter file `name` and calls its DllRegisterServer. E_FAIL when the file cannot
// be loaded or has no such export, else the export's result.
HRESULT RegisterFilterFile(const wchar_t* name);

// How a filter file is loaded: beside the program or in the system folder, never from the
// current folder (where the settings file lies and anyone may put a file of that name).
// Windows 7 without its loader update refuses the search flags that say so; then the file
// beside the program is loaded by its full path. `load` is LoadLibraryExW but in tests.
using LoadLibraryExFunction = HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD);
HMODULE LoadFilterLibrary(const wchar_t* name, LoadLibraryExFunction load = &::LoadLibraryExW);
