#include "components/filterkit/DllServer.h"
#include "framework/Handles.h"

using filterkit::kDllServer;

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return filterkit::GetClassObject(kDllServer.classes, kDllServer.classCount, clsid, iid, out);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return filterkit::CanUnloadNow(); }

HRESULT STDAPICALLTYPE DllRegisterServer() {
    ScopedCoInitialize com;
    return kDllServer.registerServer();
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    ScopedCoInitialize com;
    return kDllServer.unregisterServer();
}

// Live COM objects of this DLL, for leak tests.
LONG STDAPICALLTYPE FilterKitLiveObjects() { return filterkit::LiveObjects(); }

}  // extern "C"
