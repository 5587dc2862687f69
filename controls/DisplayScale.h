#pragma once
// Every size and place of both programs is designed at 96 DPI (100 %). At another DPI each
// coordinate is multiplied by DPI / 96 and rounded to the nearest pixel, halves away from
// zero (as MulDiv rounds). Edges are scaled, not sizes, so rectangles that meet at 96 DPI
// meet at every DPI. The skins are drawn at 100, 150 and 200 %. Platform-free.
namespace display {

constexpr int kDesignDpi = 96;

struct Rect {
    int left, top, right, bottom;  // right and bottom outside, as in a RECT
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    // As the system's PtInRect: left and top inside, right and bottom outside.
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// `value` (pixels at 96 DPI) at `dpi`.
int Scaled(int value, int dpi);
Rect Scaled(const Rect& rect, int dpi);

// The DPIs the skins are drawn for (100, 150 and 200 %), smallest first.
constexpr int kSkinSetDpis[] = {96, 144, 192};
// The set nearest `dpi`; of two equally near, the larger, which is then made smaller.
int SkinSetDpi(int dpi);
// The resource identifier of bitmap `id` in the set drawn for `setDpi`: `id` itself at
// 100 %, `id` + 1000 at 150 %, `id` + 2000 at 200 %.
int SkinResourceId(int id, int setDpi);

}  // namespace display
