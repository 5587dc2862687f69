#include "components/effect/SnapshotDelivery.h"

namespace effect {

SnapshotDelivery::SnapshotDelivery() : m_thread([this] { DeliveryLoop(); }) {}

SnapshotDelivery::~SnapshotDelivery() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void SnapshotDelivery::Register(Handler handler, uint8_t* buffer, int width, int height) {
    std::lock_guard<std::recursive_mutex> call(m_callLock);
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_generation;
    m_copied = false;
    if (!handler || !buffer || width <= 0 || height <= 0) {
        m_handler = nullptr;
        m_buffer = nullptr;
        m_width = m_height = 0;
        m_pending = false;
        return;
    }
    m_handler = std::move(handler);
    m_buffer = buffer;
    m_width = width;
    m_height = height;
}

bool SnapshotDelivery::Request(bool request) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!request) {
        m_pending = false;
        return true;
    }
    if (!m_buffer) return false;
    m_pending = true;
    return true;
}

bool SnapshotDelivery::IsPending() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_pending;
}

void SnapshotDelivery::OfferFrame(const uint8_t* data, size_t bytes, const filterkit::FrameLayout& layout) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_pending || !m_buffer || layout.width != m_width || layout.height != m_height) return;
        const size_t capacity = static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 4;
        if (!filterkit::ConvertToBottomUpRgb32(data, bytes, layout, m_buffer, capacity)) return;
        m_pending = false;
        m_copied = true;
        m_copiedGeneration = m_generation;
    }
    m_wake.notify_all();
}

void SnapshotDelivery::DeliveryLoop() {
    for (;;) {
        std::unique_lock<std::mutex> wait(m_lock);
        m_wake.wait(wait, [this] { return m_stop || m_copied; });
        if (m_stop) return;
        wait.unlock();

        // The call lock first, as Register takes it, then check that the copy still
        // belongs to the registration in force.
        std::lock_guard<std::recursive_mutex> call(m_callLock);
        Handler handler;
        int width = 0, height = 0;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_stop) return;
            if (!m_copied) continue;
            m_copied = false;
            if (m_copiedGeneration != m_generation || !m_handler) continue;
            handler = m_handler;
            width = m_width;
            height = m_height;
        }
        handler(width, height);
    }
}

}  // namespace effect
