#pragma once
// Single-frame snapshots of the effect filter: the streaming thread offers each frame, a
// pending request copies one into the registered buffer as 32-bit bottom-up pixels, and a
// thread of this object's own then calls the registered handler.
//
// Contract:
//  - the buffer holds width x height x 4 bytes for the size given at Register; a frame of
//    another size is never copied (the request stays pending), so nothing is ever written
//    beyond that size; a registration of 0 x 0 (or a null buffer or handler) delivers nothing;
//  - a handler that was replaced or cleared is never called: Register waits for a call in
//    progress to return (unless it is made from inside the handler) and drops a copy that
//    is waiting for the call;
//  - the handler must not destroy this object (release the last reference to its filter):
//    destruction joins the thread the handler runs on.
// No Windows header: the handler is a plain callable.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "components/filterkit/VideoFrame.h"

namespace effect {

class SnapshotDelivery {
public:
    using Handler = std::function<void(int width, int height)>;

    SnapshotDelivery();
    ~SnapshotDelivery();  // joins the delivery thread; a copy not yet handed on is dropped
    SnapshotDelivery(const SnapshotDelivery&) = delete;
    SnapshotDelivery& operator=(const SnapshotDelivery&) = delete;

    void Register(Handler handler, uint8_t* buffer, int width, int height);
    // true: the next frame of the registered size is delivered; false: withdraws a request
    // not yet served. Returns false when a request was made with nothing registered.
    bool Request(bool request);
    bool IsPending() const;

    // Streaming thread, for every frame; cheap when no request is pending.
    void OfferFrame(const uint8_t* data, size_t bytes, const filterkit::FrameLayout& layout);

private:
    void DeliveryLoop();

    mutable std::mutex m_lock;  // registration, request and the copy into the buffer
    std::recursive_mutex m_callLock;  // held while the handler runs; Register takes it first
    std::condition_variable m_wake;
    Handler m_handler;
    uint8_t* m_buffer = nullptr;
    int m_width = 0;
    int m_height = 0;
    unsigned m_generation = 0;  // bumped by every Register
    bool m_pending = false;
    bool m_copied = false;  // a frame waits in the buffer for the handler
    unsigned m_copiedGeneration = 0;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace effect
