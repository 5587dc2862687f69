#pragma once
// Helpers shared by the graph tests: a graph whose manager the test supplies, a handler
// that records what reaches it, and a window that receives the notification message.
#include <windows.h>

#include <string>
#include <vector>

#include "ComFakes.h"
#include "capture/TeskGraph.h"
#include "capture/TeskPreviewGraph.h"

// TeskGraph on a graph manager supplied by the test (fake or real).
class GraphUnderTest : public TeskGraph {
public:
    void UseGraph(IFilterGraph* graph) { m_pGraph = ComPtr<IFilterGraph>(graph); }
    IFilterGraph* Graph() const { return m_pGraph.Get(); }
    HWND Owner() const { return m_hOwner; }
};

// Records every handler call as text, into its own list and, when set, a shared log.
class RecordingHandler : public GraphEventHandler {
public:
    std::vector<std::string> calls;
    CallLog* log = nullptr;
    void OnGraphComplete(long param1) override { Record("OnGraphComplete(" + std::to_string(param1) + ")"); }
    void OnUserAbort() override { Record("OnUserAbort()"); }
    void OnErrorAbort(long hr) override { Record("OnErrorAbort(" + std::to_string(hr) + ")"); }
    void OnDeviceLost(long param1, long param2) override {
        Record("OnDeviceLost(" + std::to_string(param1) + "," + std::to_string(param2) + ")");
    }
    void OnRenderDeviceSet(long param1) override { Record("OnRenderDeviceSet(" + std::to_string(param1) + ")"); }

private:
    void Record(const std::string& call) {
        calls.push_back(call);
        if (log) log->push_back("handler." + call);
    }
};

// Snapshot receiver keeping a copy of what it was given.
class RecordingCallback : public GraphCallback {
public:
    int calls = 0;
    int width = 0;
    int height = 0;
    std::vector<BYTE> pixels;
    void OnSnapshot(int w, int h, const BYTE* p) override {
        ++calls;
        width = w;
        height = h;
        pixels.assign(p, p + static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    }
};

// A top-level window of the test thread (hidden); destroyed with the object.
class TestWindow {
public:
    TestWindow();
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Get() const { return m_hWnd; }
    // Waits at most `timeoutMs` for `message` posted to this window; removes it when found.
    bool WaitForMessage(UINT message, DWORD timeoutMs);
    // Number of `message` entries waiting in the queue (all removed).
    int CountMessages(UINT message);

private:
    HWND m_hWnd = nullptr;
};
