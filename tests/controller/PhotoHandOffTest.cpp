// The hand-over of a photo between the user-interface thread and the camera's thread: each
// wait ends with what happened to its own request, and a frame that is late never ends a
// later request's wait or gets lost.
#include <gtest/gtest.h>

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
    const std::optional<uint32_t> takenNow = delay.count() == 0 ? handOff.Take() : std::nullopt;
    return std::thread([&handOff, delay, storing, kind, takenNow] {
        std::this_thread::sleep_for(delay);
        const auto request = takenNow ? takenNow : handOff.Take();
        if (!request) return;
        std::this_thread::sleep_for(storing);
        handOff.Finish(*request, kind ? Item(kind) : nullptr);
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
        const auto request = handOff.Begin();
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
    const auto first = handOff.Begin();
    std::thread camera = Camera(handOff, milliseconds(0), milliseconds(1000), 1);
    std::unique_ptr<CapturedItem> item;
    ASSERT_EQ(handOff.Wait(*first, milliseconds(100), milliseconds(100), item), Outcome::StillStoring);
    EXPECT_FALSE(handOff.Begin()) << "no new request while the frame is being stored";
    EXPECT_FALSE(handOff.TakeLateItem());
    camera.join();
    EXPECT_FALSE(handOff.Begin()) << "nor before the late item was taken";
    auto late = handOff.TakeLateItem();
    ASSERT_TRUE(late);
    EXPECT_EQ(late->kind, 1);

    const auto second = handOff.Begin();
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
    std::thread next = Camera(handOff, milliseconds(20), milliseconds(5), 2);
    ASSERT_EQ(handOff.Wait(*second, milliseconds(5000), milliseconds(5000), item), Outcome::Stored);
    EXPECT_EQ(item->kind, 2);
    next.join();
}

TEST(PhotoHandOff, CancelWithdrawsAnUntakenRequestOnlyAndIdleWaitsAreBounded) {
    PhotoHandOff handOff;
    auto request = handOff.Begin();
    EXPECT_TRUE(handOff.Cancel(*request));
    EXPECT_FALSE(handOff.Take());

    request = handOff.Begin();
    const auto taken = handOff.Take();
    ASSERT_EQ(taken, request);
    EXPECT_FALSE(handOff.Cancel(*request)) << "the frame is on its way";
    EXPECT_FALSE(handOff.WaitUntilIdle(milliseconds(20)));
    handOff.Finish(*taken, Item(3));
    EXPECT_TRUE(handOff.WaitUntilIdle(milliseconds(0)));
    std::unique_ptr<CapturedItem> item;
    EXPECT_EQ(handOff.Wait(*request, milliseconds(0), milliseconds(0), item), Outcome::Stored);
}
