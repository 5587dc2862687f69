#pragma once
// The two interfaces through which the capture graph engine reports to its windows.
// Neither has a destructor slot: they are never deleted through these pointers.
#include <windows.h>

// Graph events of interest, reported by TeskGraph::HandleEvents on the owner window's
// thread after the event queue has been drained. Every operation defaults to doing nothing.
class GraphEventHandler {
public:
    virtual void OnGraphComplete(long /*param1*/) {}             // EC_COMPLETE
    virtual void OnUserAbort() {}                                // EC_USERABORT
    virtual void OnErrorAbort(long /*hr*/) {}                    // EC_ERRORABORT
    // param1 was an interface pointer that is no longer held: never use it as one.
    virtual void OnDeviceLost(long /*param1*/, long /*param2*/) {}  // EC_DEVICE_LOST
    virtual void OnRenderDeviceSet(long /*param1*/) {}           // EC_VMR_RENDERDEVICE_SET

protected:
    ~GraphEventHandler() = default;
};

// Receiver of snapshot pixels. Called on a thread of the effect filter, not on the window's
// thread; `pixels` holds width x height x 4 bytes and is valid only during the call.
class GraphCallback {
public:
    virtual void OnSnapshot(int /*width*/, int /*height*/, const BYTE* /*pixels*/) {}

protected:
    ~GraphCallback() = default;
};
