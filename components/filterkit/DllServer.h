#pragma once
// The entry points every filter DLL exports (DllGetClassObject, DllCanUnloadNow,
// DllRegisterServer, DllUnregisterServer and FilterKitLiveObjects for leak tests) are the
// kit's own (DllEntryPoints.cpp, linked into each DLL through `filterkit_dll`). Each DLL
// defines kDllServer: its table of classes and its registration, which the kit runs inside
// a COM apartment of its own.
#include <windows.h>

#include <cstddef>

#include "components/filterkit/ClassFactory.h"

namespace filterkit {

struct DllServer {
    const ClassEntry* classes;
    size_t classCount;
    HRESULT (*registerServer)();    // registering again replaces an earlier registration
    HRESULT (*unregisterServer)();  // S_OK also when nothing was registered
};

extern const DllServer kDllServer;

}  // namespace filterkit
