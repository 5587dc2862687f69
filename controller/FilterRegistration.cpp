#include "controller/FilterRegistration.h"

#include "framework/Handles.h"

HRESULT RegisterFilterFile(const wchar_t* name) {
    // Beside the program or in the system folder, never from the current folder (where the
    // settings file lies and anyone may put a file of that name).
    UniqueModule module(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!module) return E_FAIL;
    using RegisterServer = HRESULT(STDAPICALLTYPE*)();
    auto registerServer = reinterpret_cast<RegisterServer>(
        reinterpret_cast<void*>(::GetProcAddress(module.Get(), "DllRegisterServer")));
    if (!registerServer) return E_FAIL;
    return registerServer();
}
