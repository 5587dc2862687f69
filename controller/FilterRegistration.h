#pragma once
#include <windows.h>

// Loads the filter file `name` and calls its DllRegisterServer. E_FAIL when the file cannot
// be loaded or has no such export, else the export's result.
HRESULT RegisterFilterFile(const wchar_t* name);
