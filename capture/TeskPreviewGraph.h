#pragma once
// The live camera picture: camera source -> (MJPEG decompressor) -> effect filter -> video
// renderer, with capture size and single-frame snapshots around it.
#include <windows.h>
#include <strmif.h>

#include <vector>

#include "capture/TeskGraph.h"

class TeskPreviewGraph : public TeskGraph {
public:
    TeskPreviewGraph() = default;
    ~TeskPreviewGraph() override;

    // Unloads the effect module and drops the effect filter, then tears the graph down.
    void Teardown() override;

    // Virtual operations appended after those of TeskGraph, in this slot order.
    // Tears down, then builds the chain from `videoSource` into a new graph. S_OK or the
    // first failing step's result; what was added stays until the next Teardown. Success
    // forgets a camera reported lost.
    virtual HRESULT BuildPreview(IBaseFilter* videoSource);
    // The capture size requested from the camera at the next build.
    virtual HRESULT SetVideoSize(int width, int height);
    // CloseModule on the effect filter; E_FAIL without the filter or its control interface.
    virtual HRESULT UnloadEffect();
    // Clears the filter's registration, then registers the snapshot handler and a buffer of
    // the filter's frame size; always S_OK.
    virtual HRESULT SetSnapshotCallback(GraphCallback* callback);
    // Asks the effect filter for one frame (delivered later to the callback). E_FAIL without
    // a graph.
    virtual HRESULT TakeSnapshot();

    // Whether a requested snapshot can reach the callback at all: a running graph whose
    // camera was not reported lost, whose effect filter has the snapshot interface, a
    // callback, and a buffer that is not empty. The photo flow ends its wait at once when
    // this is false.
    bool CanDeliverSnapshot() const;

protected:
    // Called by the effect filter on its own thread with this graph as context. Hands the
    // frame on only when it fits the registered buffer; always S_OK.
    static HRESULT STDMETHODCALLTYPE SnapshotHandler(void* context, int width, int height);

    int m_nCaptureWidth = 0;
    int m_nCaptureHeight = 0;
    ComPtr<IBaseFilter> m_pEffectFilter;
    int m_nSnapshotWidth = 0;
    int m_nSnapshotHeight = 0;
    std::vector<BYTE> m_snapshotBuffer;
    GraphCallback* m_pSnapshotCallback = nullptr;  // not owned
};
