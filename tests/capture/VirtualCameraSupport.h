#pragma once
// For the tests and the benchmark that run the engine with the virtual camera and the effect
// filter (from testworld/ and components/, registered in the private prefix by the components' test
// environment).
#include <windows.h>

#include <vector>

#include "capture/GraphCallbacks.h"
#include "framework/Handles.h"

inline constexpr wchar_t kVirtualCameraName[] = L"Delm Halvo Virtual Camera";

// The virtual camera's index in the video device list TeskLib::EnumerateDevices makes; -1
// when it is not listed.
int VirtualCameraIndex();

// Snapshot receiver for the effect filter's thread: keeps the size and the pixels and
// signals an event the test thread waits on.
class SignallingCallback : public GraphCallback {
public:
    SignallingCallback();
    SignallingCallback(const SignallingCallback&) = delete;
    SignallingCallback& operator=(const SignallingCallback&) = delete;
    void OnSnapshot(int width, int height, const BYTE* pixels) override;
    // Forgets the last snapshot.
    void Reset();
    // True when a snapshot arrived within `timeoutMs`.
    bool Wait(DWORD timeoutMs);
    int width = 0;
    int height = 0;
    std::vector<BYTE> pixels;

private:
    UniqueHandle m_hDone;
};
