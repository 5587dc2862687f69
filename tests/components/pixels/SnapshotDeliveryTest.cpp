// The snapshot contract of the effect filter, without a graph.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "components/effect/SnapshotDelivery.h"

namespace effect {
namespace {

using filterkit::FrameLayout;
using filterkit::PixelFormat;

// Records handler calls; Wait is bounded.
struct Recorder {
    std::mutex lock;
    std::condition_variable cv;
    int calls = 0;
    int width = 0, height = 0;
    std::thread::id thread;
    SnapshotDelivery::Handler Handler() {
        return [this](int w, int h) {
            std::lock_guard<std::mutex> guard(lock);
            ++calls;
            width = w;
            height = h;
            thread = std::this_thread::get_id();
            cv.notify_all();
        };
    }
    bool WaitForCalls(int n, int ms = 2000) {
        std::unique_lock<std::mutex> wait(lock);
        return cv.wait_for(wait, std::chrono::milliseconds(ms), [&] { return calls >= n; });
    }
};

FrameLayout Rgb32(int w, int h) {
    FrameLayout layout;
    filterkit::MakeFrameLayout(PixelFormat::Rgb32, w, h, layout);
    return layout;
}

TEST(SnapshotDeliveryTest, PendingRequestCopiesOneFrameAndCallsTheHandlerOnItsOwnThread) {
    SnapshotDelivery delivery;
    Recorder recorder;
    std::vector<uint8_t> buffer(3 * 2 * 4, 0);  // wider than high: the handler gets width, then height
    delivery.Register(recorder.Handler(), buffer.data(), 3, 2);
    const std::vector<uint8_t> frame(24, 0x40);
    delivery.OfferFrame(frame.data(), frame.size(), Rgb32(3, 2));  // no request yet
    EXPECT_EQ(buffer, std::vector<uint8_t>(24, 0));

    ASSERT_TRUE(delivery.Request(true));
    delivery.OfferFrame(frame.data(), frame.size(), Rgb32(3, 2));
    ASSERT_TRUE(recorder.WaitForCalls(1));
    EXPECT_EQ(recorder.width, 3);
    EXPECT_EQ(recorder.height, 2);
    EXPECT_NE(recorder.thread, std::this_thread::get_id());
    EXPECT_EQ(buffer[0], 0x40);
    EXPECT_EQ(buffer[3], 0xFF);
    // Served: the next frame is not copied.
    EXPECT_FALSE(delivery.IsPending());
    const std::vector<uint8_t> later(24, 0x50);
    delivery.OfferFrame(later.data(), later.size(), Rgb32(3, 2));
    EXPECT_EQ(buffer[0], 0x40);
    EXPECT_EQ(recorder.calls, 1);
}

TEST(SnapshotDeliveryTest, FrameOfAnotherSizeIsNeverWrittenAndTheRequestWaits) {
    SnapshotDelivery delivery;
    Recorder recorder;
    std::vector<uint8_t> buffer(2 * 2 * 4 + 8, 0xAB);  // 8 guard bytes
    delivery.Register(recorder.Handler(), buffer.data(), 2, 2);
    ASSERT_TRUE(delivery.Request(true));
    const std::vector<uint8_t> big(4 * 4 * 4, 0x10);
    // Larger, and smaller in either side alone (which would fit the buffer).
    for (auto [width, height] : {std::pair{4, 4}, std::pair{2, 1}, std::pair{1, 2}}) {
        delivery.OfferFrame(big.data(), big.size(), Rgb32(width, height));
        EXPECT_EQ(buffer, std::vector<uint8_t>(24, 0xAB)) << width << "x" << height;
        EXPECT_TRUE(delivery.IsPending());
    }
    const std::vector<uint8_t> right(16, 0x20);
    delivery.OfferFrame(right.data(), right.size(), Rgb32(2, 2));
    ASSERT_TRUE(recorder.WaitForCalls(1));
    for (size_t i = 16; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xAB) << i;
}

TEST(SnapshotDeliveryTest, ZeroSizeOrMissingBufferRegistersNothing) {
    SnapshotDelivery delivery;
    Recorder recorder;
    std::vector<uint8_t> buffer(16, 0);
    delivery.Register(recorder.Handler(), buffer.data(), 0, 0);
    EXPECT_FALSE(delivery.Request(true));
    delivery.Register(recorder.Handler(), nullptr, 2, 2);
    EXPECT_FALSE(delivery.Request(true));
    delivery.Register(nullptr, buffer.data(), 2, 2);
    EXPECT_FALSE(delivery.Request(true));
    // Each side on its own, at the limit.
    for (auto [width, height, registers] : {std::tuple{0, 2, false}, std::tuple{2, 0, false}, std::tuple{-1, 2, false},
                                            std::tuple{1, 2, true}, std::tuple{2, 1, true}}) {
        delivery.Register(recorder.Handler(), buffer.data(), width, height);
        EXPECT_EQ(delivery.Request(true), registers) << width << "x" << height;
    }
    delivery.Register(nullptr, nullptr, 0, 0);
    const std::vector<uint8_t> frame(16, 1);
    delivery.OfferFrame(frame.data(), frame.size(), Rgb32(2, 2));
    EXPECT_FALSE(recorder.WaitForCalls(1, 200));
    EXPECT_EQ(buffer, std::vector<uint8_t>(16, 0));
}

TEST(SnapshotDeliveryTest, WithdrawnRequestDeliversNothing) {
    SnapshotDelivery delivery;
    Recorder recorder;
    std::vector<uint8_t> buffer(16, 0);
    delivery.Register(recorder.Handler(), buffer.data(), 2, 2);
    ASSERT_TRUE(delivery.Request(true));
    ASSERT_TRUE(delivery.Request(false));
    const std::vector<uint8_t> frame(16, 1);
    delivery.OfferFrame(frame.data(), frame.size(), Rgb32(2, 2));
    EXPECT_FALSE(recorder.WaitForCalls(1, 200));
}

// The handler is replaced while a call is running: the new registration waits for that
// call, and the old handler is never called again.
TEST(SnapshotDeliveryTest, ReplacedHandlerIsNeverCalledAgain) {
    SnapshotDelivery delivery;
    std::mutex lock;
    std::condition_variable cv;
    bool inside = false, release = false;
    std::atomic<int> oldCalls{0};
    Recorder fresh;
    std::vector<uint8_t> buffer(16, 0);
    delivery.Register(
        [&](int, int) {
            ++oldCalls;
            std::unique_lock<std::mutex> wait(lock);
            inside = true;
            cv.notify_all();
            cv.wait_for(wait, std::chrono::seconds(2), [&] { return release; });
        },
        buffer.data(), 2, 2);
    ASSERT_TRUE(delivery.Request(true));
    const std::vector<uint8_t> frame(16, 1);
    delivery.OfferFrame(frame.data(), frame.size(), Rgb32(2, 2));
    {
        std::unique_lock<std::mutex> wait(lock);
        ASSERT_TRUE(cv.wait_for(wait, std::chrono::seconds(2), [&] { return inside; }));
    }
    std::atomic<bool> registered{false};
    std::thread replacer([&] {
        delivery.Register(fresh.Handler(), buffer.data(), 2, 2);
        registered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(registered);  // waits for the running call
    {
        std::lock_guard<std::mutex> guard(lock);
        release = true;
    }
    cv.notify_all();
    replacer.join();
    EXPECT_TRUE(registered);
    ASSERT_TRUE(delivery.Request(true));
    delivery.OfferFrame(frame.data(), frame.size(), Rgb32(2, 2));
    ASSERT_TRUE(fresh.WaitForCalls(1));
    EXPECT_EQ(oldCalls, 1);
}

// A copy made for a handler that is cleared before its call is dropped.
TEST(SnapshotDeliveryTest, CopyForAClearedHandlerIsDropped) {
    for (int round = 0; round < 200; ++round) {
        SnapshotDelivery delivery;
        std::atomic<int> calls{0};
        std::vector<uint8_t> buffer(16, 0);
        delivery.Register([&](int, int) { ++calls; }, buffer.data(), 2, 2);
        ASSERT_TRUE(delivery.Request(true));
        const std::vector<uint8_t> frame(16, 1);
        delivery.OfferFrame(frame.data(), frame.size(), Rgb32(2, 2));
        delivery.Register(nullptr, nullptr, 0, 0);
        const int seen = calls;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(calls, seen);  // no call after the clearing returned
        EXPECT_LE(seen, 1);
    }
}

}  // namespace
}  // namespace effect
