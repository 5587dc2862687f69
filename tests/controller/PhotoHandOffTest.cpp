// The photos between the user-interface thread, the camera's thread (here the test's own)
// and the storing thread: each ends with what happened to its own request, in the order
// they were asked for, and nothing but WaitUntilStored ever waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "controller/PhotoHandOff.h"

namespace {
using namespace std::chrono_literals;
using Clock = PhotoHandOff::Clock;

// What the hand-off told, as "f1 s1": frame taken, store finished, with the request. The
// storing thread tells of a store's end after WaitUntilStored may have returned, so a later
// request's frame may come between: what counts is each frame before its store's end, and
// the ends in order. Compared as "f1 f2 | s1 s2": the frames by request, the ends as told.
class Told {
public:
    void Add(PhotoHandOff::Event event, uint32_t request) {
        std::lock_guard<std::mutex> lock(m_lock);
        if (event == PhotoHandOff::Event::FrameTaken) {
            m_frames.push_back(request);
        } else {
            const bool frameFirst = std::find(m_frames.begin(), m_frames.end(), request) != m_frames.end();
            m_ends.push_back(frameFirst ? request : 0);  // 0: an end told before its frame
        }
        m_changed.notify_all();
    }
    std::string Text() {
        std::lock_guard<std::mutex> lock(m_lock);
        return Canonical();
    }
    // `expected` as told in one order that is allowed.
    bool WaitFor(const std::string& expected) {
        std::string frames, ends;
        for (size_t at = 0; at < expected.size();) {
            const size_t next = std::min(expected.find(' ', at), expected.size());
            const std::string word = expected.substr(at, next - at);
            (word[0] == 'f' ? frames : ends) += (word[0] == 'f' ? frames : ends).empty() ? word : " " + word;
            at = next + 1;
        }
        const std::string canonical = frames + " |" + (ends.empty() ? "" : " " + ends);
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, 10s, [&] { return Canonical() == canonical; });
    }

private:
    std::string Canonical() const {
        std::vector<uint32_t> frames = m_frames;
        std::sort(frames.begin(), frames.end());
        std::string text;
        for (uint32_t f : frames) text += (text.empty() ? "f" : " f") + std::to_string(f);
        text += " |";
        for (uint32_t e : m_ends) text += " s" + std::to_string(e);
        return text;
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<uint32_t> m_frames, m_ends;
};

// A disk that holds every store up until it is released.
class Gate {
public:
    void Pass() {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait_for(lock, 10s, [&] { return m_open; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_open = false;
};

enum class Step {
    Ask,            // the user-interface thread asks for a photo; its kind is 10 x its request
    AskRefused,     // ... and is refused: one awaits its frame
    Stored,         // the camera hands over the frame; its store writes an item
    Failed,         // ... its store writes nothing
    Throws,         // ... its store throws
    Held,           // ... its store waits for the disk (Release)
    NoFrame,        // the camera has no frame to hand over: nothing awaits one
    BeforeDeadline, // the frame timer fires early: the request still awaits its frame
    Deadline,       // the frame timer fires at the deadline: the request is withdrawn
    Withdraw,       // a restart of the preview withdraws the request
    Release,        // the disk answers
    Settle,         // every store so far ends, and is heard of
    Close,          // the owner goes after waiting briefly for the stores
};
}  // namespace

TEST(PhotoHandOff, EachPhotoEndsWithWhatHappenedToItsOwnRequestInTheOrderAskedFor) {
    const Clock::time_point start = Clock::time_point{} + 1h;
    const Clock::time_point deadline = start + 10s;
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::string finished;  // request:kind of its item, or request:- for none
        std::string told;
    } cases[] = {
        {"stored", {Step::Ask, Step::Stored}, "1:10", "f1 s1"},
        {"store failed", {Step::Ask, Step::Failed}, "1:-", "f1 s1"},
        {"store threw", {Step::Ask, Step::Throws}, "1:-", "f1 s1"},
        {"no frame by the deadline", {Step::Ask, Step::BeforeDeadline, Step::Deadline, Step::NoFrame}, "", ""},
        {"withdrawn, then asked again", {Step::Ask, Step::Withdraw, Step::NoFrame, Step::Ask, Step::Stored}, "2:20",
         "f2 s2"},
        {"one awaiting its frame at a time", {Step::Ask, Step::AskRefused, Step::Stored, Step::NoFrame}, "1:10",
         "f1 s1"},
        {"stalled, then stored", {Step::Ask, Step::Held, Step::Release, Step::Settle}, "1:10", "f1 s1"},
        {"one after the other: the idle storing thread wakes",
         {Step::Ask, Step::Stored, Step::Settle, Step::Ask, Step::Stored, Step::Settle}, "1:10 2:20", "f1 s1 f2 s2"},
        {"two in flight keep their order", {Step::Ask, Step::Held, Step::Ask, Step::Stored, Step::Release},
         "1:10 2:20", "f1 f2 s1 s2"},
        {"a failed one between", {Step::Ask, Step::Held, Step::Ask, Step::Failed, Step::Ask, Step::Stored, Step::Release},
         "1:10 2:- 3:30", "f1 f2 f3 s1 s2 s3"},
        {"closed while storing: what is queued behind is never stored",
         {Step::Ask, Step::Held, Step::Ask, Step::Stored, Step::Close, Step::Release}, "", "f1 f2 s1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto told = std::make_shared<Told>();
        auto gate = std::make_shared<Gate>();
        auto stores = std::make_shared<std::atomic<int>>(0);
        auto handOff = std::make_unique<PhotoHandOff>([told](PhotoHandOff::Event e, uint32_t r) { told->Add(e, r); });
        std::optional<uint32_t> asked;
        const auto frame = [&](Step step) {
            auto taken = handOff->Take();
            ASSERT_TRUE(taken);
            EXPECT_EQ(taken->request, *asked);
            EXPECT_EQ(taken->order.kind, static_cast<int32_t>(10 * *asked)) << "the request's own order";
            EXPECT_FALSE(handOff->AwaitsFrame());
            handOff->Queue(std::move(*taken), [=](const PhotoOrder& order) {
                ++*stores;
                if (step == Step::Held) gate->Pass();
                if (step == Step::Throws) throw std::bad_alloc();
                PhotoResult result{0, order.startNumber, nullptr};
                if (step != Step::Failed) {
                    result.item = std::make_unique<CapturedItem>(MakeEmptyItem());
                    result.item->kind = order.kind;
                }
                return result;
            });
            if (step != Step::Held) EXPECT_TRUE(handOff->InFlight());
        };
        for (Step step : c.steps) {
            switch (step) {
            case Step::Ask:
            case Step::AskRefused: {
                const uint32_t next = asked.value_or(0) + 1;
                const auto request = handOff->Begin(PhotoOrder{u"C:\\P", static_cast<int32_t>(10 * next), 7}, deadline);
                EXPECT_EQ(request.has_value(), step == Step::Ask);
                if (request) asked = request;
                EXPECT_TRUE(handOff->AwaitsFrame());
                EXPECT_EQ(handOff->Deadline(), deadline);
                break;
            }
            case Step::Stored:
            case Step::Failed:
            case Step::Throws:
            case Step::Held:
                frame(step);
                break;
            case Step::NoFrame:
                EXPECT_FALSE(handOff->Take());
                EXPECT_FALSE(handOff->Deadline());
                break;
            case Step::BeforeDeadline:
                EXPECT_FALSE(handOff->Expire(deadline - 1ms));
                EXPECT_TRUE(handOff->AwaitsFrame());
                break;
            case Step::Deadline:
                EXPECT_TRUE(handOff->Expire(deadline));
                EXPECT_FALSE(handOff->Expire(deadline + 1s)) << "withdrawn once";
                break;
            case Step::Withdraw:
                EXPECT_TRUE(handOff->Cancel());
                EXPECT_FALSE(handOff->Cancel());
                break;
            case Step::Release:
                gate->Open();
                break;
            case Step::Settle: {
                const auto start = Clock::now();
                EXPECT_TRUE(handOff->WaitUntilStored(10s));
                EXPECT_LT(Clock::now() - start, 5s) << "woken by the store's end, not by the time-out";
                break;
            }
            case Step::Close:
                EXPECT_FALSE(handOff->WaitUntilStored(50ms)) << "a store held up by the disk";
                EXPECT_TRUE(handOff->InFlight());
                handOff.reset();  // returns at once: the held store ends on its own
                break;
            }
        }
        if (handOff) {
            ASSERT_TRUE(handOff->WaitUntilStored(10s));
            std::string finished;
            for (const PhotoResult& result : handOff->TakeFinished()) {
                finished += (finished.empty() ? "" : " ") + std::to_string(result.request) + ":" +
                            (result.item ? std::to_string(result.item->kind) : "-");
                if (result.item) EXPECT_EQ(result.number, 7);
            }
            EXPECT_EQ(finished, c.finished);
            EXPECT_FALSE(handOff->InFlight());
            EXPECT_TRUE(handOff->TakeFinished().empty()) << "taken once";
        }
        EXPECT_TRUE(told->WaitFor(c.told)) << told->Text();
        if (!handOff) EXPECT_EQ(stores->load(), 1) << "only the store under way ran";
    }
}
