#pragma once
// Base of the camera program's DirectShow graph: owns the filter graph manager and, while
// notification is on, its media-event interface; binds the video window to an owner window;
// runs the graph; drains graph events and reports the ones of interest.
// All operations run on the owner window's thread.
#include <windows.h>
#include <strmif.h>
#include <control.h>

#include "capture/GraphCallbacks.h"

// OLE Automation booleans of IVideoWindow (not defined by every SDK's headers).
inline constexpr long kOaTrue = -1;
inline constexpr long kOaFalse = 0;
#include "framework/ComPtr.h"

class TeskGraph {
public:
    TeskGraph() = default;
    TeskGraph(const TeskGraph&) = delete;
    TeskGraph& operator=(const TeskGraph&) = delete;

    // The virtual operations keep this slot order.
    virtual ~TeskGraph();
    // Unbinds the video window, switches notification off and releases the graph. Safe
    // without a graph and repeatedly; the stored rectangle survives.
    virtual void Teardown();
    // IMediaControl::Run; E_FAIL without a graph or IMediaControl.
    virtual HRESULT Run();
    // Stores `owner` (also on failure), then makes the video window its child and applies a
    // stored rectangle of nonzero size. E_FAIL without a graph or IVideoWindow.
    virtual HRESULT SetOwner(HWND owner);
    // With a graph: places and shows the video window. Without one: remembers the rectangle
    // for the next SetOwner.
    virtual HRESULT SetWindowPosition(long left, long top, long width, long height);
    // Posts graph events to the owner window as `message`; 0 stops the routing.
    virtual HRESULT SetNotifyMessage(UINT message);
    // Empties the event queue (each event logged, a removed camera noted, each freed), then
    // reports the events of interest to `handler` in arrival order. Nothing happens with a
    // null handler or while notification is off.
    virtual void HandleEvents(GraphEventHandler* handler);

protected:
    HWND m_hOwner = nullptr;
    ComPtr<IFilterGraph> m_pGraph;
    ComPtr<IMediaEventEx> m_pMediaEvents;
    LONG m_nStoredLeft = 0;
    LONG m_nStoredTop = 0;
    LONG m_nStoredWidth = 0;
    LONG m_nStoredHeight = 0;
    // Set when the drain reads EC_DEVICE_LOST with param2 0 (removed): the current graph
    // delivers no more frames, though it still reports running. Not cleared when the device
    // returns (param2 1): only a new build has it stream again, and that build clears it.
    bool m_bDeviceLost = false;
};
