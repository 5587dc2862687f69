#include "controller/FilterRegistration.h"

#include "framework/Handles.h"

HRESULT RegisterFilterFile(const wchar_t* name) {
    UniqueModule module(::LoadLibraryW(name));
    if (!module) return E_FAIL;
    using RegisterServer = HRESULT(STDAPICALLTYPE*)();
    auto registerServer = reinterpret_cast<RegisterServer>(
        reinterpret_cast<void*>(::GetProcAddress(module.Get(), "DllRegisterServer")));
    if (!registerServer) return E_FAIL;
    return registerServer();
}
