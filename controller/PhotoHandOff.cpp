#include "controller/PhotoHandOff.h"

#include <exception>
#include <system_error>

PhotoHandOff::~PhotoHandOff() {
    std::thread storing;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        storing = std::move(m_storing);
    }
    if (storing.joinable()) storing.join();
}

std::optional<uint32_t> PhotoHandOff::Begin(PhotoOrder order) {
    std::lock_guard<std::mutex> lock(m_lock);
    // A late item must be taken first: the next frame's would replace it.
    if (m_state != State::Idle || m_item) return std::nullopt;
    m_state = State::Requested;
    m_order = std::move(order);
    return ++m_request;
}

bool PhotoHandOff::Cancel(uint32_t request) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_state != State::Requested || m_request != request) return false;
    m_state = State::Idle;
    return true;
}

std::optional<PhotoHandOff::Taken> PhotoHandOff::Take() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_state != State::Requested) return std::nullopt;
    m_state = State::Storing;
    return Taken{m_request, m_order};
}

void PhotoHandOff::StoreInBackground(const Taken& taken, Store store) {
    std::thread previous;
    try {
        std::lock_guard<std::mutex> lock(m_lock);
        // The thread of an earlier request has finished it (a request is taken only once the
        // one before is finished) and is ending: joined below, outside the lock.
        previous = std::move(m_storing);
        m_storing = std::thread([this, request = taken.request, order = taken.order, store = std::move(store)] {
            std::unique_ptr<CapturedItem> item;
            try {
                item = store(order);
            } catch (const std::exception&) {  // out of memory, say: a store that failed
            }
            Finish(request, std::move(item));
        });
    } catch (const std::system_error&) {  // no thread to be had: the frame is not stored
        Finish(taken.request, nullptr);
    }
    if (previous.joinable()) previous.join();
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
    // Until the frame is taken or the request withdrawn (a finished one is neither requested).
    if (!m_changed.wait_until(lock, start + frameTime, [&] { return m_state != State::Requested; }) &&
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
