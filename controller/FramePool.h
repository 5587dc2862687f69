#pragma once
// The memory of photos' frames, kept for the next photo: filling a block that is there
// costs a tenth of a millisecond, a fresh one of 1.2 or 5 MB some milliseconds in page
// faults on the camera's thread. A frame handed out returns to the pool when its last owner
// lets it go; one is kept, for photos come one at a time. The pool is shared by the frames
// it handed out, so that a store that outlives the window still has somewhere to return to.
#include <memory>
#include <mutex>

#include "imaging/Dib.h"

class FramePool : public std::enable_shared_from_this<FramePool> {
public:
    // A frame whose block may hold an earlier picture; null when there is no memory.
    std::shared_ptr<CDib> Take() {
        std::unique_ptr<CDib> frame;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            frame = std::move(m_spare);
        }
        try {
            if (!frame) frame = std::make_unique<CDib>();
            std::weak_ptr<FramePool> pool = weak_from_this();
            return std::shared_ptr<CDib>(frame.release(), [pool](CDib* returned) {
                std::unique_ptr<CDib> owned(returned);
                if (const auto alive = pool.lock()) alive->Keep(std::move(owned));
            });
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }

private:
    void Keep(std::unique_ptr<CDib> frame) {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_spare) m_spare = std::move(frame);
    }

    std::mutex m_lock;
    std::unique_ptr<CDib> m_spare;
};
