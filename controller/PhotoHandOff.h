#pragma once
// The photos between three threads: the user-interface thread asks for them, the camera's
// thread hands over a copy of each frame, and a storing thread of this object's own stores
// them one after the other, in the order they were asked for. Only WaitUntilStored waits:
// the user-interface thread learns of a taken frame and of a finished store through
// `notify` (the camera program posts itself a message), and of a frame that never came
// through Expire, which it calls once the request's deadline has passed.
//
// One request at a time awaits its frame; any number may be stored behind it.
//
//   Begin --> awaiting its frame --Take, Queue--> storing --> finished (TakeFinished)
//             awaiting --Cancel, or Expire after the deadline--> withdrawn: no photo
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "controller/CapturedItem.h"

// What the storing thread needs of a photo, fixed when the photo is asked for.
struct PhotoOrder {
    std::u16string folder;  // the photo folder
    int32_t kind = 0;       // the item's kind
    int startNumber = 1;    // the first picture number tried
};

// What came of one photo whose frame was taken.
struct PhotoResult {
    uint32_t request = 0;
    // The picture number the photo used up, stored or not; none when no number was tried.
    std::optional<int> number;
    std::unique_ptr<CapturedItem> item;  // null when the photo could not be stored
};

class PhotoHandOff {
public:
    using Clock = std::chrono::steady_clock;
    using Duration = std::chrono::milliseconds;
    // Stores one photo on the storing thread. It owns its copy of the frame.
    using Store = std::function<PhotoResult(const PhotoOrder& order)>;
    enum class Event {
        FrameTaken,  // on the camera's thread, as the frame is queued for storing
        Finished     // on the storing thread, once the photo's result waits in TakeFinished
    };
    // Called outside the lock, possibly after this object has gone: it must hold nothing of
    // its owner but what outlives it (a window handle).
    using Notify = std::function<void(Event event, uint32_t request)>;

    explicit PhotoHandOff(Notify notify = {});
    // A store still running is left to end on its own (its state is shared with it); photos
    // queued behind it are not stored.
    ~PhotoHandOff();
    PhotoHandOff(const PhotoHandOff&) = delete;
    PhotoHandOff& operator=(const PhotoHandOff&) = delete;

    // User-interface thread: a new request awaiting its frame until `deadline`; nothing
    // while another request awaits its frame.
    std::optional<uint32_t> Begin(PhotoOrder order, Clock::time_point deadline);
    bool AwaitsFrame() const;
    // The deadline of the request that awaits its frame.
    std::optional<Clock::time_point> Deadline() const;
    // User-interface thread: withdraws the request that awaits its frame; false when none does.
    bool Cancel();
    // User-interface thread: withdraws it when its deadline is not after `now`.
    bool Expire(Clock::time_point now);

    struct Taken {
        uint32_t request;
        PhotoOrder order;
    };
    // Camera's thread: the request that awaits its frame; nothing when none does. Queue must
    // follow on every path.
    std::optional<Taken> Take();
    // Camera's thread: stores the taken request's photo on the storing thread and returns at
    // once. A store that throws counts as one that stored nothing.
    void Queue(Taken taken, Store store);

    // User-interface thread: the photos stored or failed since the last call, in order.
    std::vector<PhotoResult> TakeFinished();
    // A photo awaits its frame, is being stored, or waits to be taken from TakeFinished.
    bool InFlight() const;
    // Until no taken frame is left to store, at most `timeout`; false when one still is.
    bool WaitUntilStored(Duration timeout);

private:
    struct Shared;
    static void StoringThread(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_storing;  // started with the first photo
};
