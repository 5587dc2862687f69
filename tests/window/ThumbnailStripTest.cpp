// The thumbnail strip's rules: hit testing, the four kinds of click, the keys, the scroll
// bar after a photo and a delete, and what a delete removes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/ThumbnailStrip.h"

using namespace strip;

namespace {

std::vector<CapturedItem> Items(size_t count, const char16_t* path = u"C:\\Pictures\\Picture0001.jpg") {
    std::vector<CapturedItem> items(count, MakeEmptyItem());
    for (CapturedItem& item : items) SetItemPath(item, path);
    return items;
}

std::vector<CapturedItem> Selected(const std::string& marks) {
    auto items = Items(marks.size());
    for (size_t i = 0; i < marks.size(); ++i) items[i].selected = marks[i] == 'x' ? 1 : 0;
    return items;
}

std::string Marks(const std::vector<CapturedItem>& items) {
    std::string marks;
    for (const CapturedItem& item : items) marks += item.selected == 1 ? 'x' : '.';
    return marks;
}

}  // namespace

TEST(ThumbnailStrip, APointHitsTheSlotWhoseFixedRectangleHoldsItOnlyWhenItShowsAnItem) {
    struct Case {
        int x, y, first, count, slot;
    } cases[] = {
        {11, 525, 0, 6, 0},                 // top-left corner is inside
        {90, 584, 0, 6, 0},                 // last pixel inside
        {91, 550, 0, 6, -1},                // right edge is outside (the gap between slots)
        {50, 585, 0, 6, -1},                // bottom edge is outside
        {10, 550, 0, 6, -1},
        {11 + 106 * 5, 525, 0, 6, 5},
        {11 + 106 * 5, 525, 0, 5, -1},      // slot 5 shows no item of five
        {11 + 106 * 2, 530, 3, 5, -1},      // first 3 of 5: slots 0 and 1 only
        {11 + 106 * 1, 530, 3, 5, 1},
        {300, 520, 0, 6, -1},               // in the strip, above the slots
    };
    for (const Case& c : cases)
        EXPECT_EQ(SlotAt(c.x, c.y, c.first, c.count), c.slot) << c.x << "," << c.y << " first " << c.first;
}

TEST(ThumbnailStrip, ClicksSelectAsPlainCtrlAndShiftClicksDoAndMoveTheAnchor) {
    struct Case {
        const char* before;
        int anchor;
        int index;
        bool shift, ctrl;
        const char* after;
        int anchorAfter;
    } cases[] = {
        // Plain: toggles the item when at most one is selected, deselecting the others...
        {"......", 0, 2, false, false, "..x...", 2},
        {"..x...", 2, 2, false, false, "......", 2},  // the only selected one is deselected
        {"x.....", 0, 3, false, false, "...x..", 3},
        // ... and selects only it when more are selected.
        {"x.x...", 2, 2, false, false, "..x...", 2},
        {"xx....", 1, 4, false, false, "....x.", 4},
        // Ctrl: toggles the item, the others stay.
        {"x.....", 0, 2, false, true, "x.x...", 2},
        {"x.x...", 0, 2, false, true, "x.....", 2},
        // Shift: from the anchor to the item, nothing else; the anchor stays.
        {"..x...", 2, 5, true, false, "..xxxx", 2},
        {"..xxxx", 2, 0, true, false, "xxx...", 2},
        {"x....x", 3, 3, true, false, "...x..", 3},
        // An anchor beyond the end (left so by a delete) selects up to the last item.
        {"......", 9, 3, true, false, "...xxx", 9},
    };
    for (const Case& c : cases) {
        auto items = Selected(c.before);
        int anchor = c.anchor;
        EXPECT_TRUE(ClickThumbnail(items, c.index, c.shift, c.ctrl, anchor));
        EXPECT_EQ(Marks(items), c.after) << c.before << " click " << c.index << (c.shift ? " shift" : "")
                                         << (c.ctrl ? " ctrl" : "");
        EXPECT_EQ(anchor, c.anchorAfter) << c.before << " click " << c.index;
    }
}

TEST(ThumbnailStrip, CtrlAndShiftTogetherOrAnIndexWithoutItemSelectNothingAndKeepTheAnchor) {
    auto items = Selected("x.x...");
    int anchor = 2;
    EXPECT_FALSE(ClickThumbnail(items, 4, true, true, anchor));
    EXPECT_EQ(Marks(items), "x.x...");  // the caller clears the selection as for the empty strip
    EXPECT_EQ(anchor, 2);
    for (int beyond : {-1, 6}) {  // no item there: nothing happens, whatever the keys
        EXPECT_FALSE(ClickThumbnail(items, beyond, false, false, anchor)) << beyond;
        EXPECT_EQ(Marks(items), "x.x...");
        EXPECT_EQ(anchor, 2);
    }
}

TEST(ThumbnailStrip, CtrlClickThenShiftClicksSelectRangesFromTheCtrlClickedItem) {
    auto items = Selected("......");
    int anchor = 0;
    ClickThumbnail(items, 2, false, true, anchor);
    ClickThumbnail(items, 5, true, false, anchor);
    EXPECT_EQ(Marks(items), "..xxxx");
    ClickThumbnail(items, 0, true, false, anchor);
    EXPECT_EQ(Marks(items), "xxx...");
}

// The keys beside the clicks: a move selects the photo moved to, or with Shift the photos
// from the anchor to it; the strip follows the focus.
TEST(ThumbnailStrip, KeysMoveTheFocusAndSelectAsPlainAndShiftClicksDo) {
    struct Case {
        const char* before;
        int focus, anchor;
        Move move;
        bool shift;
        const char* after;
        int focusAfter, anchorAfter;
    } cases[] = {
        {"..x...", 2, 2, Move::Next, false, "...x..", 3, 3},
        {"..x...", 2, 2, Move::Previous, false, ".x....", 1, 1},
        {"xxxxxx", 0, 0, Move::Previous, false, "x.....", 0, 0},      // at the first: stays, alone
        {"......", 5, 5, Move::Next, false, ".....x", 5, 5},           // at the last
        {".x.x..", 3, 1, Move::Last, false, ".....x", 5, 5},
        {".x.x..", 3, 1, Move::First, false, "x.....", 0, 0},
        {"..x...", 2, 2, Move::Next, true, "..xx..", 3, 2},            // Shift: from the anchor
        {"..xx..", 3, 2, Move::Previous, true, "..x...", 2, 2},
        {"..xx..", 2, 2, Move::Previous, true, ".xx...", 1, 2},         // across the anchor
        {"....x.", 4, 1, Move::First, true, "xx....", 0, 1},
        {"......", 2, 4, Move::Last, true, "....xx", 5, 4},
        {"......", -1, 3, Move::Next, false, "....x.", 4, 4},          // no focus yet: from the anchor
        {"......", -1, 9, Move::Previous, false, "....x.", 4, 4},      // an anchor past the end: from the last
        {"...", 7, 0, Move::Next, false, ".x.", 1, 1},                  // a focus past the end: from the anchor
        {"......", -1, 2, Move::First, true, "xxx...", 0, 2},
        {"......", 0, 4, Move::Next, false, ".x....", 1, 1},           // the focus wins over the anchor,
        {"......", 5, 1, Move::Previous, false, "....x.", 4, 4},       // at either end
        {".", -1, 0, Move::Next, false, "x", 0, 0},                    // one photo
    };
    for (const Case& c : cases) {
        auto items = Selected(c.before);
        int focus = c.focus, anchor = c.anchor;
        EXPECT_TRUE(MoveFocus(items, c.move, c.shift, focus, anchor)) << c.before;
        EXPECT_EQ(Marks(items), c.after) << c.before << " focus " << c.focus << " move " << int(c.move);
        EXPECT_EQ(focus, c.focusAfter) << c.before << " move " << int(c.move);
        EXPECT_EQ(anchor, c.anchorAfter) << c.before << " move " << int(c.move);
    }
    std::vector<CapturedItem> none;
    int focus = -1, anchor = 0;
    EXPECT_FALSE(MoveFocus(none, Move::Next, false, focus, anchor));
    auto all = Selected(".x..");
    SelectAll(all);
    EXPECT_EQ(Marks(all), "xxxx");

    struct Scroll {
        int focus, first, count, shown;
    } scrolls[] = {
        {3, 0, 10, 0}, {5, 0, 10, 0}, {6, 0, 10, 1}, {9, 0, 10, 4}, {2, 4, 10, 2},
        {4, 4, 10, 4}, {9, 4, 10, 4}, {0, 4, 10, 0}, {4, 0, 5, 0}, {3, 2, 6, 0},
    };
    for (const Scroll& c : scrolls)
        EXPECT_EQ(FirstShowing(c.focus, c.first, c.count), c.shown) << c.focus << " from " << c.first << " of " << c.count;
}

TEST(ThumbnailStrip, TheScrollBarShowsTheNewestSixAfterAPhotoAndTheFirstSixAfterADelete) {
    struct Case {
        int count;
        ScrollSetup afterPhoto, fromStart;
    } cases[] = {
        {0, {false, 0, 0}, {false, 0, 0}},
        {6, {false, 0, 0}, {false, 0, 0}},
        {7, {true, 1, 1}, {true, 1, 0}},  // 6 -> 7: range 0..1, position 1, items 1-6 shown
        {20, {true, 14, 14}, {true, 14, 0}},
    };
    for (const Case& c : cases) {
        const ScrollSetup photo = ScrollAfterPhoto(c.count), start = ScrollFromStart(c.count);
        EXPECT_EQ(photo.enabled, c.afterPhoto.enabled) << c.count;
        EXPECT_EQ(photo.max, c.afterPhoto.max) << c.count;
        EXPECT_EQ(photo.pos, c.afterPhoto.pos) << c.count;
        EXPECT_EQ(start.enabled, c.fromStart.enabled) << c.count;
        EXPECT_EQ(start.max, c.fromStart.max) << c.count;
        EXPECT_EQ(start.pos, c.fromStart.pos) << c.count;
    }
}

TEST(ThumbnailStrip, ScrollRequestsMoveByALineOrAPageWithinTheRangeAndDraggingChangesNothing) {
    constexpr int kThumbTrack = 5, kThumbPosition = 4, kEndScroll = 8, kLeft = 6;
    struct Case {
        int code, pos, max, expected;
    } cases[] = {
        {kLineRight, 0, 3, 1}, {kLineLeft, 2, 3, 1}, {kLineLeft, 0, 3, 0},
        {kPageRight, 0, 10, 6}, {kPageRight, 7, 10, 10}, {kPageLeft, 0, 10, 0}, {kPageLeft, 8, 10, 2},
        {kThumbTrack, 2, 10, 2}, {kThumbPosition, 2, 10, 2}, {kEndScroll, 2, 10, 2}, {kLeft, 2, 10, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(ScrollTo(c.code, c.pos, 0, c.max), c.expected) << c.code << " at " << c.pos;
}

// With the Pictures folder redirected to a share, and Z: a network drive.
TEST(ThumbnailStrip, ADeleteRemovesTheSelectedItemsButDeletesOnlyTheProgramsPhotosAndLocalJpegs) {
    const photo_files::PathRule rule(u"\\\\server\\share\\Pictures", [](char16_t letter) { return letter == u'Z'; });
    auto items = Selected("x.xx.x");
    SetItemPath(items[0], u"\\\\server\\share\\Pictures\\Picture0001.jpg");
    SetItemPath(items[2], u"C:\\Windows\\system.ini");
    SetItemPath(items[3], u"Z:\\Photos\\Holiday.JPG");
    SetItemPath(items[4], u"C:\\keep.jpg");
    std::vector<std::u16string> deleted;
    RemoveSelected(items, rule, [&](const CapturedItem& item) { deleted.push_back(ItemPath(item)); });

    EXPECT_EQ((std::vector<std::u16string>{u"C:\\Pictures\\Picture0001.jpg", u"\\\\server\\share\\Pictures\\Picture0001.jpg"}),
              deleted);  // last first; the .ini file and the file on the network drive stay
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(ItemPath(items[1]), u"C:\\keep.jpg");

    auto none = Selected("......");
    RemoveSelected(none, rule, [](const CapturedItem&) { FAIL() << "nothing is selected"; });
    EXPECT_EQ(none.size(), 6u);
}
