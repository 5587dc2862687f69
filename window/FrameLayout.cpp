#include "window/FrameLayout.h"

namespace frame_layout {
namespace {
using display::Rect;
using display::Scaled;

constexpr int kSlotPitch = 106;
// Slot k's thumbnail has its top left corner at (kSlotLeft + kSlotPitch * k, kSlotTop).
constexpr int kSlotLeft = 11;
constexpr int kSlotTop = 525;
constexpr int kHitWidth = 80, kHitHeight = 60;
// The selection image lies 5 pixels left of and above the thumbnail.
constexpr int kSelectionInset = 5;
constexpr int kSelectionWidth = 90, kSelectionHeight = 70;
}  // namespace

FrameLayout At(int dpi) {
    const int width = Scaled(640, dpi);
    return FrameLayout{
        width,
        Scaled(593, dpi),
        Rect{0, 0, width, Scaled(480, dpi)},
        Rect{0, Scaled(480, dpi), width, Scaled(517, dpi)},
        Scaled(Rect{0, 483, 40, 513}, dpi),
        Scaled(Rect{46, 483, 86, 513}, dpi),
        Scaled(Rect{92, 483, 178, 603}, dpi),
        Scaled(487, dpi),
        Scaled(Rect{0, 517, 642, 592}, dpi),
        Scaled(592, dpi),
    };
}

Rect Thumbnail(int slot, int width, int height, int dpi) {
    const int left = kSlotLeft + kSlotPitch * slot;
    return Scaled(Rect{left, kSlotTop, left + width, kSlotTop + height}, dpi);
}

Rect Selection(int slot, int dpi) {
    const int left = kSlotLeft - kSelectionInset + kSlotPitch * slot, top = kSlotTop - kSelectionInset;
    return Scaled(Rect{left, top, left + kSelectionWidth, top + kSelectionHeight}, dpi);
}

Rect Hit(int slot, int dpi) { return Thumbnail(slot, kHitWidth, kHitHeight, dpi); }

Rect Video(const picture::Placement& placement, int dpi) {
    const int right = placement.left + placement.width, bottom = placement.top + placement.height;
    return Scaled(Rect{placement.left, placement.top, right, bottom}, dpi);
}

}  // namespace frame_layout
