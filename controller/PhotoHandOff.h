#pragma once
// The hand-over of one photo between the user-interface thread, which asks for a frame and
// waits, and the camera's thread, which hands the frame it was given to a storing thread of
// this object's own. Each request has a number, so that a frame stored for an earlier
// request never ends the wait of a later one, and carries the photo's name and kind, so
// that the storing thread never reads what the user-interface thread may be changing; the
// stored item is handed over, never appended by another thread, so the list of photos
// belongs to the user-interface thread alone.
//
//   Idle --Begin--> Requested --Take--> Storing --Finish--> Idle
//                   Requested --Cancel or the frame time-out--> Idle
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "controller/CapturedItem.h"

// What the storing thread needs of a photo, fixed when the photo is asked for.
struct PhotoOrder {
    std::u16string path;  // the file the photo is stored in
    int32_t kind = 0;     // the item's kind
};

class PhotoHandOff {
public:
    using Duration = std::chrono::milliseconds;
    // Stores the photo of `order` on the storing thread: its item, or null when it could not.
    using Store = std::function<std::unique_ptr<CapturedItem>(const PhotoOrder& order)>;

    PhotoHandOff() = default;
    // Joins the storing thread: its owner must not go while a frame is being stored
    // (WaitUntilIdle).
    ~PhotoHandOff();
    PhotoHandOff(const PhotoHandOff&) = delete;
    PhotoHandOff& operator=(const PhotoHandOff&) = delete;

    // User-interface thread: a new request for `order`; nothing while a frame is still being
    // stored or a late item waits to be taken (TakeLateItem).
    std::optional<uint32_t> Begin(PhotoOrder order);
    // User-interface thread: no frame can come for `request`; false when one was taken.
    bool Cancel(uint32_t request);

    struct Taken {
        uint32_t request;
        PhotoOrder order;
    };
    // Camera's thread: the frame for the open request, with its order; nothing when none is
    // open.
    std::optional<Taken> Take();
    // Camera's thread: runs `store` for what Take gave on the storing thread, which then
    // calls Finish with its item; returns at once, so that the camera's thread never waits
    // for the disk. `store` must hold its own copy of the frame.
    void StoreInBackground(const Taken& taken, Store store);
    // The frame of `request` is stored (`item`), or could not be (null). The storing
    // thread's last touch of this object.
    void Finish(uint32_t request, std::unique_ptr<CapturedItem> item);

    enum class Outcome {
        Stored,       // the item is in `item`
        Failed,       // a frame came but could not be stored
        NoFrame,      // none came within the frame time: the request is withdrawn
        StillStoring  // one came but is still being stored after the store time
    };
    // User-interface thread: waits for `request`.
    Outcome Wait(uint32_t request, Duration frameTime, Duration storeTime, std::unique_ptr<CapturedItem>& item);

    // User-interface thread: the item of a request whose wait ended StillStoring, once stored.
    std::unique_ptr<CapturedItem> TakeLateItem();
    // Until no frame is being stored, at most `timeout`; false when one still is.
    bool WaitUntilIdle(Duration timeout);

private:
    enum class State { Idle, Requested, Storing };

    std::mutex m_lock;
    std::condition_variable m_changed;
    State m_state = State::Idle;
    uint32_t m_request = 0;  // the newest request
    uint32_t m_done = 0;     // the newest request whose frame is finished
    PhotoOrder m_order;      // of the newest request
    std::unique_ptr<CapturedItem> m_item;  // stored, not yet taken by the user-interface thread
    std::thread m_storing;   // the latest storing thread; earlier ones are joined
};
