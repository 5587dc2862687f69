#include "controller/PhotoHandOff.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

struct PhotoHandOff::Shared {
    struct Awaiting {
        uint32_t request;
        PhotoOrder order;
        Clock::time_point deadline;
    };
    struct Job {
        uint32_t request;
        PhotoOrder order;
        Store store;
    };

    explicit Shared(Notify n) : notify(std::move(n)) {}

    std::mutex lock;
    std::condition_variable changed;
    const Notify notify;
    uint32_t lastRequest = 0;
    std::optional<Awaiting> awaiting;
    std::deque<Job> jobs;        // queued, not yet storing
    size_t unfinished = 0;       // taken and not yet finished: queued, storing, or on the way
    std::vector<PhotoResult> finished;
    bool stopping = false;       // the owner has gone: no further store starts
};

PhotoHandOff::PhotoHandOff(Notify notify) : m_shared(std::make_shared<Shared>(std::move(notify))) {}

PhotoHandOff::~PhotoHandOff() {
    bool idle;
    {
        std::lock_guard<std::mutex> lock(m_shared->lock);
        m_shared->stopping = true;
        idle = m_shared->unfinished == 0;
        m_shared->changed.notify_all();
    }
    if (!m_storing.joinable()) return;
    // A store held up by the disk keeps the program from ending only for its owner's bound.
    if (idle)
        m_storing.join();
    else
        m_storing.detach();
}

std::optional<uint32_t> PhotoHandOff::Begin(PhotoOrder order, Clock::time_point deadline) {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    if (m_shared->awaiting) return std::nullopt;
    const uint32_t request = ++m_shared->lastRequest;
    m_shared->awaiting = Shared::Awaiting{request, std::move(order), deadline};
    return request;
}

bool PhotoHandOff::AwaitsFrame() const {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    return m_shared->awaiting.has_value();
}

std::optional<PhotoHandOff::Clock::time_point> PhotoHandOff::Deadline() const {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    if (!m_shared->awaiting) return std::nullopt;
    return m_shared->awaiting->deadline;
}

bool PhotoHandOff::Cancel() {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    if (!m_shared->awaiting) return false;
    m_shared->awaiting.reset();
    return true;
}

bool PhotoHandOff::Expire(Clock::time_point now) {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    if (!m_shared->awaiting || now < m_shared->awaiting->deadline) return false;
    m_shared->awaiting.reset();
    return true;
}

std::optional<PhotoHandOff::Taken> PhotoHandOff::Take() {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    if (!m_shared->awaiting) return std::nullopt;
    Taken taken{m_shared->awaiting->request, std::move(m_shared->awaiting->order)};
    m_shared->awaiting.reset();
    ++m_shared->unfinished;
    return taken;
}

void PhotoHandOff::Queue(Taken taken, Store store) {
    // Told before the storing thread can finish it: the frame's news never follows the store's.
    if (m_shared->notify) m_shared->notify(Event::FrameTaken, taken.request);
    bool queued = false;
    {
        std::lock_guard<std::mutex> lock(m_shared->lock);
        try {
            if (!m_storing.joinable()) m_storing = std::thread(&PhotoHandOff::StoringThread, m_shared);
            m_shared->jobs.push_back(Shared::Job{taken.request, std::move(taken.order), std::move(store)});
            queued = true;
        } catch (const std::exception&) {  // no thread or no memory to be had
        }
        if (!queued) {  // the photo is not stored
            --m_shared->unfinished;
            m_shared->finished.push_back(PhotoResult{taken.request, std::nullopt, nullptr});
        }
        m_shared->changed.notify_all();
    }
    if (!queued && m_shared->notify) m_shared->notify(Event::Finished, taken.request);
}

void PhotoHandOff::StoringThread(const std::shared_ptr<Shared>& shared) {
    for (;;) {
        Shared::Job job;
        {
            std::unique_lock<std::mutex> lock(shared->lock);
            shared->changed.wait(lock, [&] { return shared->stopping || !shared->jobs.empty(); });
            if (shared->stopping) return;  // what is queued is never stored: nobody lists it
            job = std::move(shared->jobs.front());
            shared->jobs.pop_front();
        }
        PhotoResult result;
        try {
            result = job.store(job.order);
        } catch (const std::exception&) {  // out of memory, say: nothing stored
            result = PhotoResult{};
        }
        result.request = job.request;
        {
            std::lock_guard<std::mutex> lock(shared->lock);
            shared->finished.push_back(std::move(result));
            --shared->unfinished;
            shared->changed.notify_all();
        }
        if (shared->notify) shared->notify(Event::Finished, job.request);
    }
}

std::vector<PhotoResult> PhotoHandOff::TakeFinished() {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    std::vector<PhotoResult> finished = std::move(m_shared->finished);
    m_shared->finished.clear();
    return finished;
}

bool PhotoHandOff::InFlight() const {
    std::lock_guard<std::mutex> lock(m_shared->lock);
    return m_shared->awaiting || m_shared->unfinished > 0 || !m_shared->finished.empty();
}

bool PhotoHandOff::WaitUntilStored(Duration timeout) {
    std::unique_lock<std::mutex> lock(m_shared->lock);
    return m_shared->changed.wait_for(lock, timeout, [&] { return m_shared->unfinished == 0; });
}
