#include "VirtualCameraSupport.h"

#include <uuids.h>

#include <algorithm>
#include <string>

#include "capture/DeviceEnumeration.h"

int VirtualCameraIndex() {
    std::vector<std::wstring> names;
    if (EnumerateCategory(CLSID_VideoInputDeviceCategory, names) != S_OK) return -1;
    const auto found = std::find(names.begin(), names.end(), kVirtualCameraName);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

SignallingCallback::SignallingCallback() : m_hDone(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void SignallingCallback::OnSnapshot(int w, int h, const BYTE* p) {
    width = w;
    height = h;
    pixels.assign(p, p + static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    SetEvent(m_hDone.Get());
}

void SignallingCallback::Reset() {
    ResetEvent(m_hDone.Get());
    width = 0;
    height = 0;
    pixels.clear();
}

bool SignallingCallback::Wait(DWORD timeoutMs) { return WaitForSingleObject(m_hDone.Get(), timeoutMs) == WAIT_OBJECT_0; }
