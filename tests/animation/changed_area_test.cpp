#include "animation/changed_area.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "animation/animation_proc.h"
#include "animation/figures.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"

namespace {

// One figure whose only copy has these corners, on a W x H surface: each segment is drawn both
// ways with a 1-pixel pen, as the line rule may paint p to q and q to p apart. The rectangles
// the tick hands out must lie inside the surface, be no more than the limit, cover every pixel
// drawn, and copy no more than `most_copied` pixels.
TEST(ChangedRects, CoverEveryPaintedPixelInsideTheSurface) {
    struct Row {
        const char *what;
        int width, height;
        std::vector<CornerPos> corners;
        int64_t most_copied;
    };
    const Row rows[] = {
        // Seed 1 at 3840x2160 and seed 7 at 2560x1440, default settings: a corner a few pixels
        // past the right edge, on the tick the grid first went past its last cell.
        {"seed 1 tick 24956",
         3840,
         2160,
         {{3834, 108}, {3842, 1617}, {769, 206}, {275, 440}},
         3840 * 2160},
        {"seed 7 tick 57756",
         2560,
         1440,
         {{132, 1233}, {930, 1236}, {2562, 1024}, {2131, 268}},
         2560 * 1440},
        // A strip one cell wide, not whole rows of cells.
        {"right edge strip", 2560, 1440, {{2563, 100}, {2540, 1400}}, 40 * 1312},
        {"far left", 320, 200, {{-100, 0}, {100, 199}}, 320 * 200},
        {"farther left than the grid can join", 320, 200, {{-5000, 0}, {100, 199}}, 320 * 200},
    };
    for (const Row &row : rows) {
        headless::Reset();
        ResetAnimation();
        const int k = static_cast<int>(row.corners.size());
        saver_settings = SaverSettings{1, 1, k, 10};
        std::copy(row.corners.begin(), row.corners.end(), animation_state.corner_pos[0][0]);
        RememberTrails(row.width, row.height);
        MarkTick();
        RECT rects[kMaxChangedRects];
        const int count = ChangedRects(rects);
        ASSERT_LE(count, kMaxChangedRects) << row.what;

        int64_t copied = 0;
        std::vector<bool> covered(size_t(row.width) * size_t(row.height));
        for (int r = 0; r < count; ++r) {
            const RECT &c = rects[r];
            if (!(0 <= c.left && c.left < c.right && c.right <= row.width && 0 <= c.top &&
                  c.top < c.bottom && c.bottom <= row.height)) {
                ADD_FAILURE() << row.what << ": {" << c.left << "," << c.top << "," << c.right
                              << "," << c.bottom << "} is not inside the surface";
                continue;
            }
            copied += int64_t{c.right - c.left} * (c.bottom - c.top);
            for (LONG y = c.top; y < c.bottom; ++y)
                for (LONG x = c.left; x < c.right; ++x)
                    covered[size_t(y) * size_t(row.width) + size_t(x)] = true;
        }
        EXPECT_LE(copied, row.most_copied) << row.what;

        HDC screen = GetDC(nullptr);
        HDC surface = CreateCompatibleDC(screen);
        HGDIOBJ bitmap =
            SelectObject(surface, CreateCompatibleBitmap(screen, row.width, row.height));
        HGDIOBJ pen = SelectObject(surface, CreatePen(PS_SOLID, 1, 0x00FFFFFF));
        for (int c = 0; c < k; ++c) {
            const CornerPos there_and_back[] = {
                row.corners[size_t(c)], row.corners[size_t((c + 1) % k)], row.corners[size_t(c)]};
            Polyline(surface, there_and_back, 3);
        }
        int width = 0, height = 0;
        const uint32_t *pixels = headless::SurfacePixels(surface, &width, &height);
        int64_t painted = 0, uncovered = 0;
        for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
            painted += pixels[i] != 0;
            uncovered += pixels[i] != 0 && !covered[i];
        }
        EXPECT_GT(painted, 0) << row.what;
        EXPECT_EQ(uncovered, 0) << row.what;
        DeleteObject(SelectObject(surface, pen));
        DeleteObject(SelectObject(surface, bitmap));
        DeleteDC(surface);
        ReleaseDC(nullptr, screen);
    }
}

// Blocks close together go to the display under one look; a block whose joining would bring
// many unchanged pixels along is handed over apart, and the pending bounds start over from it.
TEST(HandOverBefore, JoinsNearbyBlocksAndSeparatesDistantOnes) {
    struct Row {
        const char *what;
        RECT pending, next;
        bool hand_over;
        RECT after;
    };
    const Row rows[] = {
        {"side by side", {0, 0, 100, 100}, {100, 0, 200, 100}, false, {0, 0, 200, 100}},
        {"one below the other", {0, 0, 100, 100}, {0, 100, 100, 200}, false, {0, 0, 100, 200}},
        {"a small gap", {0, 0, 100, 100}, {0, 150, 100, 250}, false, {0, 0, 100, 250}},
        {"opposite corners",
         {0, 0, 100, 100},
         {3700, 2000, 3800, 2100},
         true,
         {3700, 2000, 3800, 2100}},
        {"diagonal neighbours far apart",
         {0, 0, 200, 200},
         {400, 400, 600, 600},
         true,
         {400, 400, 600, 600}},
    };
    for (const Row &row : rows) {
        RECT pending = row.pending;
        EXPECT_EQ(HandOverBefore(&pending, row.next), row.hand_over) << row.what;
        EXPECT_TRUE(pending.left == row.after.left && pending.top == row.after.top &&
                    pending.right == row.after.right && pending.bottom == row.after.bottom)
            << row.what;
    }
}

} // namespace
