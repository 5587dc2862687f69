#pragma once
// The capture façade of the controller window: device lists and selection, one preview
// graph, snapshots and events. Called only on the user-interface thread.
#include <windows.h>
#include <strmif.h>

#include <string>
#include <vector>

#include "capture/GraphCallbacks.h"
#include "capture/TeskPreviewGraph.h"
#include "framework/ComPtr.h"

class TeskLib {
public:
    TeskLib() = default;
    TeskLib(const TeskLib&) = delete;
    TeskLib& operator=(const TeskLib&) = delete;
    // Tears the graph down. The sources are released by selecting index -1 beforehand.
    virtual ~TeskLib();

    // Video list, then audio list; the first failure (an empty category is none).
    HRESULT EnumerateDevices();
    int GetVideoDeviceCount() const;
    // 0 <= index < count: binds that device (no source on failure); -1: releases the source;
    // other: E_INVALIDARG, nothing changes.
    HRESULT SelectVideoDevice(int index);
    HRESULT SelectAudioDevice(int index);
    // E_FAIL without a video source, else IsSizeSupported on it.
    HRESULT IsVideoSizeSupported(int width, int height);
    HRESULT SetOwnerWindow(HWND owner);
    HRESULT SetVideoSize(int width, int height);
    HRESULT SetVideoRect(int left, int top, int width, int height);
    // Builds, owns, routes events, registers `callback` and runs; restarts a running preview.
    HRESULT StartPreview(GraphCallback* callback);
    void CloseAll();
    void HandleEvents(GraphEventHandler* handler);
    HRESULT TakeSnapshot();
    // False when a snapshot cannot come (see TeskPreviewGraph::CanDeliverSnapshot).
    bool CanTakeSnapshot() const { return m_captureGraph.CanDeliverSnapshot(); }

protected:
    HWND m_hOwner = nullptr;
    std::vector<std::wstring> m_videoDeviceNames;
    std::vector<std::wstring> m_audioDeviceNames;
    ComPtr<IBaseFilter> m_pVideoSource;
    ComPtr<IBaseFilter> m_pAudioSource;
    TeskPreviewGraph m_captureGraph;

public:
    // Message announcing graph events to the owner window; 0 means none. Written directly by
    // the controller window before the first build.
    UINT m_notifyMessage = 0;
};
