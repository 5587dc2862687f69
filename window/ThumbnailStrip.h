#pragma once
// The rules of the camera window's thumbnail strip, free of any window: which slot a point
// hits, what a click selects, how the scroll bar follows the list, and which items a
// delete removes. The window (TeskFrameWin.cpp) applies them to its controls.
#include <functional>
#include <vector>

#include "controller/CapturedItem.h"
#include "controller/PhotoFiles.h"
#include "window/FrameLayout.h"

namespace strip {

constexpr int kSlots = frame_layout::kSlots;

// The slot (0 .. 5) whose hit rectangle (frame_layout::Hit) at `dpi` holds (x, y) and
// that shows an item, else -1.
int SlotAt(int x, int y, int firstThumbnail, int itemCount, int dpi = display::kDesignDpi);

// A click on the thumbnail of item `index` with these keys held. False for Shift and Ctrl
// together, which select nothing: the caller treats the click as one on the empty strip.
// `anchor` is the item of the last plain or Ctrl click; a Shift click keeps it.
bool ClickThumbnail(std::vector<CapturedItem>& items, int index, bool shift, bool ctrl, int& anchor);
void DeselectAll(std::vector<CapturedItem>& items);
void SelectAll(std::vector<CapturedItem>& items);

// A key in the strip moves the photo the keys act on (`focus`): to the previous or next
// photo, or to the first or last. Without Shift that photo alone is selected and becomes
// the anchor; with Shift the photos from the anchor to it are, as a Shift-click selects
// them. A focus outside the list (none yet, or after a delete) starts from the anchor,
// within the list. False, and nothing changed, without photos.
enum class Move { Previous, Next, First, Last };
bool MoveFocus(std::vector<CapturedItem>& items, Move move, bool shift, int& focus, int& anchor);
// The first thumbnail to show so that `focus` is in the strip, `first` moved as little as
// possible and kept within the scroll range (0 with six photos or fewer).
int FirstShowing(int focus, int first, int itemCount);

// Removes the selected items, keeping the order of the rest; `deleteFile` is called, last
// item first, for each removed item that `rule` may open: a path read from the settings
// file may name any file.
void RemoveSelected(std::vector<CapturedItem>& items, const photo_files::PathRule& rule,
                    const std::function<void(const CapturedItem&)>& deleteFile);

// The scroll bar over the list: range 0 .. max, position pos; disabled with 6 items or fewer.
struct ScrollSetup {
    bool enabled;
    int max;
    int pos;
};
// After a photo: the newest six are shown (the first thumbnail becomes pos when enabled,
// and stays as it was otherwise).
ScrollSetup ScrollAfterPhoto(int itemCount);
// At start-up and after a delete: the strip starts at the first item.
ScrollSetup ScrollFromStart(int itemCount);

// Scroll bar request codes, with the system's values.
enum ScrollCode { kLineLeft = 0, kLineRight = 1, kPageLeft = 2, kPageRight = 3 };
// The position after request `code`: a line is one thumbnail, a page six; every other
// request (the thumb dragged or released, the ends) leaves it. Clamped to min .. max.
int ScrollTo(int code, int pos, int min, int max);

}  // namespace strip
