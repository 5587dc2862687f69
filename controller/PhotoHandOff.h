#pragma once
// The hand-over of one photo between the user-interface thread, which asks for a frame and
// waits, and the camera's thread, which stores the frame it was given. Each request has a
// number, so that a frame stored for an earlier request never ends the wait of a later
// one; the stored item is handed over, never appended by the camera's thread, so the
// list of photos belongs to the user-interface thread alone.
//
//   Idle --Begin--> Requested --Take--> Storing --Finish--> Idle
//                   Requested --Cancel or the frame time-out--> Idle
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "controller/CapturedItem.h"

class PhotoHandOff {
public:
    using Duration = std::chrono::milliseconds;

    // User-interface thread: a new request; nothing while a frame is still being stored or
    // a late item waits to be taken (TakeLateItem).
    std::optional<uint32_t> Begin();
    // User-interface thread: no frame can come for `request`; false when one was taken.
    bool Cancel(uint32_t request);

    // Camera's thread: the frame for the open request; nothing when none is open.
    std::optional<uint32_t> Take();
    // Camera's thread: the frame of `request` is stored (`item`), or could not be (null).
    // The hand-over's last touch of this object.
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
    std::unique_ptr<CapturedItem> m_item;  // stored, not yet taken by the user-interface thread
};
