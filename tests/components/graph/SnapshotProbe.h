#pragma once
// A snapshot receiver for tests: registers a buffer with the effect filter and records
// each handler call (thread, size) so that the test can wait for it with a time-out.
#include <windows.h>

#include <atomic>
#include <vector>

#include "components/effect/EffectFilterInterfaces.h"
#include "framework/ComPtr.h"
#include "framework/Handles.h"

namespace components_test {

class SnapshotProbe {
public:
    SnapshotProbe() : m_arrived(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

    // GetFrameSize, a buffer of that size filled with 0xCD, SetSnapshotHandler.
    HRESULT Attach(IEffectFilterSnapshot* snapshot) {
        m_width = m_height = 0;
        HRESULT hr = snapshot->GetFrameSize(&m_width, &m_height);
        if (FAILED(hr)) return hr;
        m_buffer.assign(static_cast<size_t>(m_width) * m_height * 4 + kGuard, 0xCD);
        return snapshot->SetSnapshotHandler(this, &SnapshotProbe::Handler, m_width ? m_buffer.data() : nullptr);
    }
    bool Wait(DWORD timeoutMs) { return ::WaitForSingleObject(m_arrived.Get(), timeoutMs) == WAIT_OBJECT_0; }

    int RegisteredWidth() const { return m_width; }
    int RegisteredHeight() const { return m_height; }
    int DeliveredWidth() const { return m_deliveredWidth; }
    int DeliveredHeight() const { return m_deliveredHeight; }
    DWORD HandlerThread() const { return m_thread; }
    int Calls() const { return m_calls; }
    const BYTE* Pixels() const { return m_buffer.data(); }
    // Bytes past the registered size that still hold the fill pattern.
    bool GuardIntact() const {
        for (size_t i = m_buffer.size() - kGuard; i < m_buffer.size(); ++i)
            if (m_buffer[i] != 0xCD) return false;
        return true;
    }

private:
    static constexpr size_t kGuard = 64;
    static HRESULT STDMETHODCALLTYPE Handler(void* context, int width, int height) {
        auto* self = static_cast<SnapshotProbe*>(context);
        self->m_deliveredWidth = width;
        self->m_deliveredHeight = height;
        self->m_thread = ::GetCurrentThreadId();
        ++self->m_calls;
        ::SetEvent(self->m_arrived.Get());
        return S_OK;
    }

    UniqueHandle m_arrived;
    std::vector<BYTE> m_buffer;
    int m_width = 0, m_height = 0;
    std::atomic<int> m_deliveredWidth{0}, m_deliveredHeight{0};
    std::atomic<DWORD> m_thread{0};
    std::atomic<int> m_calls{0};
};

}  // namespace components_test
