// The hand-over of a photo between the user-interface thread and the camera's thread: each
// wait ends with what happened to its own request, and a frame that is late never ends a
// later request's wait or gets lost.
#include <gtest/gtest.h>

#include <future>
#include <new>
#include <thread>

#include "controller/PhotoHandOff.h"

namespace {
using Outcome = PhotoHandOff::Outcome;
using std::chrono::milliseconds;

std::unique_ptr<CapturedItem> Item(int32_t kind) {
    auto item = std::make_unique<CapturedItem>(MakeEmptyItem());
    item->kind = kind;
    return item;
}

// The camera's thread: takes the open request's frame after `delay` (at once, before the
// thread starts, for 0) and finishes it after `storing`, with an item of `kind` (0: the
// store fails).
std::thread Camera(PhotoHandOff& handOff, milliseconds delay, milliseconds storing, int32_t kind) {
    const auto takenNow = delay.count() == 0 ? handOff.Take() : std::nullopt;
    return std::thread([&handOff, delay, storing, kind, takenNow] {
        std::this_thread::sleep_for(delay);
        const auto taken = takenNow ? takenNow : handOff.Take();
        if (!taken) return;
        std::this_thread::sleep_for(storing);
        handOff.Finish(taken->request, kind ? Item(kind) : nullptr);
    });
}
}  // namespace

TEST(PhotoHandOff, AWaitEndsWithWhatHappenedToItsRequest) {
    struct Case {
        const char* what;
        int delayMs, storingMs, kind;  // delay -1: no frame comes
        int frameMs, storeMs;          // the wait's bounds, far from the camera's times
        Outcome outcome;
    } cases[] = {
        {"stored", 10, 10, 7, 5000, 5000, Outcome::Stored},
        {"store failed", 10, 10, 0, 5000, 5000, Outcome::Failed},
        {"no frame", -1, 0, 7, 100, 100, Outcome::NoFrame},
        {"still storing", 0, 1000, 7, 100, 100, Outcome::StillStoring},
    };
    for (const Case& c : cases) {
        PhotoHandOff handOff;
        const auto request = handOff.Begin({});
        ASSERT_TRUE(request);
        std::thread camera = c.delayMs >= 0 ? Camera(handOff, milliseconds(c.delayMs), milliseconds(c.storingMs), c.kind)
                                            : std::thread([] {});
        std::unique_ptr<CapturedItem> item;
        EXPECT_EQ(handOff.Wait(*request, milliseconds(c.frameMs), milliseconds(c.storeMs), item), c.outcome) << c.what;
        EXPECT_EQ(item != nullptr, c.outcome == Outcome::Stored) << c.what;
        camera.join();
        if (c.outcome == Outcome::NoFrame) EXPECT_FALSE(handOff.Take()) << "a frame after the time-out is not taken";
    }
}

TEST(PhotoHandOff, ALateFrameIsHandedOverLaterAndNeverEndsTheNextRequestsWait) {
    PhotoHandOff handOff;
    const auto first = handOff.Begin({});
    std::thread camera = Camera(handOff, milliseconds(0), milliseconds(1000), 1);
    std::unique_ptr<CapturedItem> item;
    ASSERT_EQ(handOff.Wait(*first, milliseconds(100), milliseconds(100), item), Outcome::StillStoring);
    EXPECT_FALSE(handOff.Begin({})) << "no new request while the frame is being stored";
    EXPECT_FALSE(handOff.TakeLateItem());
    camera.join();
    EXPECT_FALSE(handOff.Begin({})) << "nor before the late item was taken";
    auto late = handOff.TakeLateItem();
    ASSERT_TRUE(late);
    EXPECT_EQ(late->kind, 1);

    const auto second = handOff.Begin({});
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
    std::thread next = Camera(handOff, milliseconds(20), milliseconds(5), 2);
    ASSERT_EQ(handOff.Wait(*second, milliseconds(5000), milliseconds(5000), item), Outcome::Stored);
    EXPECT_EQ(item->kind, 2);
    next.join();
}

TEST(PhotoHandOff, CancelWithdrawsAnUntakenRequestOnlyAndIdleWaitsAreBounded) {
    PhotoHandOff handOff;
    auto request = handOff.Begin({});
    EXPECT_TRUE(handOff.Cancel(*request));
    EXPECT_FALSE(handOff.Take());
    std::unique_ptr<CapturedItem> withdrawn;
    EXPECT_EQ(handOff.Wait(*request, milliseconds(0), milliseconds(0), withdrawn), Outcome::NoFrame);

    request = handOff.Begin({});
    const auto taken = handOff.Take();
    ASSERT_TRUE(taken);
    ASSERT_EQ(taken->request, request);
    EXPECT_FALSE(handOff.Cancel(*request)) << "the frame is on its way";
    EXPECT_FALSE(handOff.WaitUntilIdle(milliseconds(20)));
    handOff.Finish(taken->request, Item(3));
    EXPECT_TRUE(handOff.WaitUntilIdle(milliseconds(0)));
    std::unique_ptr<CapturedItem> item;
    EXPECT_EQ(handOff.Wait(*request, milliseconds(0), milliseconds(0), item), Outcome::Stored);
}

// The storing thread gets the name and kind given with its own request, never a later
// request's, and the camera's thread does not wait for the disk.
TEST(PhotoHandOff, TheStoringThreadGetsItsRequestsOrderAndTheCamerasThreadReturnsAtOnce) {
    PhotoHandOff handOff;
    auto withdrawn = handOff.Begin({u"C:\\P\\Picture0001.jpg", 2});
    ASSERT_TRUE(handOff.Cancel(*withdrawn));
    const auto request = handOff.Begin({u"C:\\P\\Picture0002.jpg", 5});
    auto taken = handOff.Take();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->request, *request);
    EXPECT_EQ(taken->order.path, u"C:\\P\\Picture0002.jpg");
    EXPECT_EQ(taken->order.kind, 5);

    std::promise<void> diskReturns;
    std::shared_future<void> disk = diskReturns.get_future().share();
    PhotoOrder stored;
    handOff.StoreInBackground(*taken, [&stored, disk](const PhotoOrder& order) {
        disk.wait();  // a disk that hangs until the test lets it go
        stored = order;
        return Item(order.kind);
    });
    std::unique_ptr<CapturedItem> item;
    EXPECT_EQ(handOff.Wait(*request, milliseconds(0), milliseconds(50), item), Outcome::StillStoring)
        << "StoreInBackground returned while the store still waits for the disk";
    EXPECT_FALSE(handOff.Begin({u"C:\\P\\Picture0003.jpg", 2}));
    diskReturns.set_value();
    ASSERT_TRUE(handOff.WaitUntilIdle(milliseconds(10000)));
    auto late = handOff.TakeLateItem();
    ASSERT_TRUE(late);
    EXPECT_EQ(late->kind, 5);
    EXPECT_EQ(stored.path, u"C:\\P\\Picture0002.jpg");

    // A store that fails, or throws, ends its request with nothing.
    for (bool throws : {false, true}) {
        const auto next = handOff.Begin({u"C:\\P\\Picture0003.jpg", 2});
        ASSERT_TRUE(next);
        handOff.StoreInBackground(*handOff.Take(), [throws](const PhotoOrder&) -> std::unique_ptr<CapturedItem> {
            if (throws) throw std::bad_alloc();
            return nullptr;
        });
        EXPECT_EQ(handOff.Wait(*next, milliseconds(10000), milliseconds(10000), item), Outcome::Failed) << throws;
    }
}
