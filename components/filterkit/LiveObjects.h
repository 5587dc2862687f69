#pragma once
// Count of live COM objects and server locks of the DLL this kit is linked into (each DLL
// has its own copy). DllCanUnloadNow answers from it, and leak tests read it through the
// DLL's FilterKitLiveObjects export.
namespace filterkit {

long LiveObjects();
long ServerLocks();
void LockServer(bool lock);

// Base of every COM object the DLL hands out: counts it for its lifetime.
class LiveObject {
public:
    LiveObject();
    LiveObject(const LiveObject&);
    ~LiveObject();
    LiveObject& operator=(const LiveObject&) = default;
};

}  // namespace filterkit
