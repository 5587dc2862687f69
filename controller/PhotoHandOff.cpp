#include "controller/PhotoHandOff.h"

std::optional<uint32_t> PhotoHandOff::Begin() {
    std::lock_guard<std::mutex> lock(m_lock);
    // A late item must be taken first: the next frame's would replace it.
    if (m_state != State::Idle || m_item) return std::nullopt;
    m_state = State::Requested;
    return ++m_request;
}

bool PhotoHandOff::Cancel(uint32_t request) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_state != State::Requested || m_request != request) return false;
    m_state = State::Idle;
    return true;
}

std::optional<uint32_t> PhotoHandOff::Take() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_state != State::Requested) return std::nullopt;
    m_state = State::Storing;
    return m_request;
}

void PhotoHandOff::Finish(uint32_t request, std::unique_ptr<CapturedItem> item) {
    // Notified under the lock: once it is released the waiter may end this object's life.
    std::lock_guard<std::mutex> lock(m_lock);
    m_item = std::move(item);
    m_done = request;
    m_state = State::Idle;
    m_changed.notify_all();
}

PhotoHandOff::Outcome PhotoHandOff::Wait(uint32_t request, Duration frameTime, Duration storeTime,
                                         std::unique_ptr<CapturedItem>& item) {
    std::unique_lock<std::mutex> lock(m_lock);
    const auto finished = [&] { return m_done == request && m_state == State::Idle; };
    const auto start = std::chrono::steady_clock::now();
    if (!m_changed.wait_until(lock, start + frameTime, [&] { return finished() || m_state != State::Requested; }) &&
        m_state == State::Requested) {
        m_state = State::Idle;  // no frame came: withdrawn, nothing changes
        return Outcome::NoFrame;
    }
    if (!finished() && m_state == State::Idle) return Outcome::NoFrame;  // withdrawn by Cancel
    if (!m_changed.wait_until(lock, start + frameTime + storeTime, finished)) return Outcome::StillStoring;
    item = std::move(m_item);
    return item ? Outcome::Stored : Outcome::Failed;
}

std::unique_ptr<CapturedItem> PhotoHandOff::TakeLateItem() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_state == State::Storing) return nullptr;
    return std::move(m_item);
}

bool PhotoHandOff::WaitUntilIdle(Duration timeout) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] { return m_state != State::Storing; });
}
