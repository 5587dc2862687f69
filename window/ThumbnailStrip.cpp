#include "window/ThumbnailStrip.h"

#include <algorithm>

#include "controller/PhotoFiles.h"

namespace strip {

int SlotAt(int x, int y, int firstThumbnail, int itemCount, int dpi) {
    for (int k = 0; k < kSlots && firstThumbnail + k < itemCount; ++k)
        if (frame_layout::Hit(k, dpi).Contains(x, y)) return k;
    return -1;
}

void DeselectAll(std::vector<CapturedItem>& items) {
    for (CapturedItem& item : items) item.selected = 0;
}

void SelectAll(std::vector<CapturedItem>& items) {
    for (CapturedItem& item : items) item.selected = 1;
}

bool MoveFocus(std::vector<CapturedItem>& items, Move move, bool shift, int& focus, int& anchor) {
    const int last = static_cast<int>(items.size()) - 1;
    if (last < 0) return false;
    const int from = focus >= 0 && focus <= last ? focus : std::max(0, std::min(anchor, last));
    switch (move) {
    case Move::Previous: focus = std::max(from - 1, 0); break;
    case Move::Next: focus = std::min(from + 1, last); break;
    case Move::First: focus = 0; break;
    case Move::Last: focus = last; break;
    }
    if (shift) return ClickThumbnail(items, focus, true, false, anchor);
    DeselectAll(items);
    items[static_cast<size_t>(focus)].selected = 1;
    anchor = focus;
    return true;
}

int FirstShowing(int focus, int first, int itemCount) {
    if (focus < first) first = focus;
    if (focus >= first + kSlots) first = focus - kSlots + 1;
    return std::max(0, std::min(first, itemCount - kSlots));
}

bool ClickThumbnail(std::vector<CapturedItem>& items, int index, bool shift, bool ctrl, int& anchor) {
    if (index < 0 || index >= static_cast<int>(items.size()) || (shift && ctrl)) return false;
    CapturedItem& clicked = items[static_cast<size_t>(index)];
    if (ctrl) {
        clicked.selected = clicked.selected == 1 ? 0 : 1;
        anchor = index;
    } else if (shift) {
        DeselectAll(items);
        // An anchor left beyond the end by a delete selects up to the last item.
        const int last = static_cast<int>(items.size()) - 1;
        const int from = std::min(std::min(anchor, index), last);
        const int to = std::min(std::max(anchor, index), last);
        for (int i = std::max(from, 0); i <= to; ++i) items[static_cast<size_t>(i)].selected = 1;
    } else {
        const auto selected = std::count_if(items.begin(), items.end(), [](const CapturedItem& item) {
            return item.selected == 1;
        });
        const int32_t now = selected > 1 ? 1 : (clicked.selected == 1 ? 0 : 1);
        DeselectAll(items);
        clicked.selected = now;
        anchor = index;
    }
    return true;
}

void RemoveSelected(std::vector<CapturedItem>& items, const photo_files::PathRule& rule,
                    const std::function<void(const CapturedItem&)>& deleteFile) {
    for (auto item = items.rbegin(); item != items.rend(); ++item)
        if (item->selected == 1 && rule.MayOpen(*item)) deleteFile(*item);
    items.erase(std::remove_if(items.begin(), items.end(), [](const CapturedItem& item) { return item.selected == 1; }),
                items.end());
}

ScrollSetup ScrollAfterPhoto(int itemCount) {
    if (itemCount <= kSlots) return {false, 0, 0};
    return {true, itemCount - kSlots, itemCount - kSlots};
}

ScrollSetup ScrollFromStart(int itemCount) {
    if (itemCount <= kSlots) return {false, 0, 0};
    return {true, itemCount - kSlots, 0};
}

int ScrollTo(int code, int pos, int min, int max) {
    switch (code) {
    case kLineLeft: pos -= 1; break;
    case kLineRight: pos += 1; break;
    case kPageLeft: pos -= kSlots; break;
    case kPageRight: pos += kSlots; break;
    default: break;
    }
    return std::max(min, std::min(pos, max));
}

}  // namespace strip
