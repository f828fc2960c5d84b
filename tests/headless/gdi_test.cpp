// The headless GDI's own promises: nothing leaks, lines follow one exact integer rule, and
// clipping (even of corners at the ends of the 32-bit range) paints exactly the inside pixels of
// the unclipped line and nothing outside the surface.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::pair<int, int>> PixelList;

class HeadlessGdi : public ::testing::Test {
  protected:
    void SetUp() override { headless::Reset(); }

    // A memory device context holding a black bitmap of the given size.
    HDC OpenSurface(int width, int height) {
        HDC dc = CreateCompatibleDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(dc, width, height);
        previous_ = SelectObject(dc, bitmap_);
        return dc;
    }

    void CloseSurface(HDC dc) {
        DeleteObject(SelectObject(dc, previous_));
        DeleteDC(dc);
    }

    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

void Draw(HDC dc, COLORREF color, const std::vector<POINT> &points) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ previous = SelectObject(dc, pen);
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    DeleteObject(SelectObject(dc, previous));
}

// The painted pixels in row-major order, together with the colour found there.
std::set<std::pair<int, int>> Painted(HDC dc) {
    int width, height;
    const uint32_t *pixels = headless::SurfacePixels(dc, &width, &height);
    std::set<std::pair<int, int>> painted;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[y * width + x] != 0)
                painted.insert({x, y});
    return painted;
}

TEST_F(HeadlessGdi, CountsLiveObjects) {
    EXPECT_EQ(headless::LiveGdiObjects(), 0);
    HPEN pen = CreatePen(PS_SOLID, 1, 0x00FF00);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 10, 10);
    EXPECT_EQ(headless::LiveGdiObjects(), 3);
    // Empty bitmaps are the shared 1x1 default, and stock objects are never counted or freed.
    EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 10), CreateCompatibleBitmap(dc, 10, 0));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(headless::LiveGdiObjects(), 3);

    HGDIOBJ previous_bitmap = SelectObject(dc, bitmap);
    SelectObject(dc, pen);
    // Objects in use by a device context cannot be deleted.
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(pen));
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr) << "a bitmap lives in one context at a time";
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_EQ(SelectObject(dc, previous_bitmap), bitmap);
    // Deleting the context gives its pen free.
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap)) << "a handle dies with its object";
    EXPECT_EQ(headless::LiveGdiObjects(), 0);
}

TEST_F(HeadlessGdi, LineRuleRoundsHalvesAwayFromTheStart) {
    struct Row {
        POINT from, to;
        PixelList pixels; // in the order of painting
    };
    const Row rows[] = {
        {{0, 0}, {5, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        {{0, 0}, {4, 2}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
        {{4, 2}, {0, 0}, {{4, 2}, {3, 1}, {2, 1}, {1, 0}}},
        {{1, 0}, {3, 6}, {{1, 0}, {1, 1}, {2, 2}, {2, 3}, {2, 4}, {3, 5}}},
        {{6, 5}, {0, 2}, {{6, 5}, {5, 4}, {4, 4}, {3, 3}, {2, 3}, {1, 2}}},
        {{2, 2}, {2, 2}, {}},
    };
    for (const Row &row : rows) {
        HDC dc = OpenSurface(8, 8);
        Draw(dc, 0xFFFFFF, {row.from, row.to});
        const std::set<std::pair<int, int>> expected(row.pixels.begin(), row.pixels.end());
        EXPECT_EQ(Painted(dc), expected) << row.from.x << "," << row.from.y;
        EXPECT_EQ(headless::PixelsPainted(), row.pixels.size());
        CloseSurface(dc);
        headless::Reset();
    }
}

// The definition of a line, pixel by pixel and without any clipping arithmetic: step i of the
// major axis paints minor offset floor((2 db i + da) / (2 da)). Only pixels inside are kept.
std::set<std::pair<int, int>> ReferenceLine(int width, int height, POINT from, POINT to) {
    std::set<std::pair<int, int>> pixels;
    const int64_t dx = int64_t{to.x} - from.x, dy = int64_t{to.y} - from.y;
    const bool x_major = std::llabs(dx) >= std::llabs(dy);
    const int64_t da = std::llabs(x_major ? dx : dy), db = std::llabs(x_major ? dy : dx);
    const int64_t sa = (x_major ? dx : dy) > 0 ? 1 : -1, sb = (x_major ? dy : dx) > 0 ? 1 : -1;
    const int64_t a0 = x_major ? from.x : from.y, b0 = x_major ? from.y : from.x;
    const int64_t major_size = x_major ? width : height, minor_size = x_major ? height : width;
    for (int64_t a = 0; a < major_size; ++a) {
        const int64_t i = (a - a0) * sa;
        if (i < 0 || i >= da)
            continue;
        const int64_t j = static_cast<int64_t>((2 * __int128{db} * i + da) / (2 * __int128{da}));
        const int64_t b = b0 + sb * j;
        if (b >= 0 && b < minor_size)
            pixels.insert(x_major ? std::make_pair(int(a), int(b))
                                  : std::make_pair(int(b), int(a)));
    }
    return pixels;
}

TEST_F(HeadlessGdi, ClippedLinesMatchTheUnclippedDefinition) {
    const int32_t lo = INT32_MIN, hi = INT32_MAX;
    struct Row {
        POINT from, to;
    };
    const Row extremes[] = {
        {{lo, lo}, {hi, hi}},     {{hi, lo}, {lo, hi}},     {{lo, 5}, {hi, 7}},
        {{9, lo}, {11, hi}},      {{lo, lo}, {20, 20}},     {{20, 20}, {hi, hi}},
        {{lo, hi}, {hi, lo}},     {{-5, lo}, {3, 9}},       {{hi, 3}, {lo, 3}},
        {{lo, -1}, {hi, 0}},      {{lo, 0}, {31, 0}},       {{31, 31}, {lo, 31}},
        {{lo, hi}, {hi, hi - 1}}, {{hi, lo}, {lo, lo + 1}},
    };
    std::vector<Row> rows(std::begin(extremes), std::end(extremes));
    std::mt19937 random(20240611);
    const int32_t ranges[] = {40, 200, 1 << 20, INT32_MAX};
    for (int n = 0; n < 400; ++n) {
        const int32_t range = ranges[n % 4];
        std::uniform_int_distribution<int32_t> coordinate(-range, range);
        rows.push_back(
            {{coordinate(random), coordinate(random)}, {coordinate(random), coordinate(random)}});
    }
    const int sizes[][2] = {{32, 32}, {1, 1}, {57, 13}};
    for (const int *size : sizes) {
        for (const Row &row : rows) {
            HDC dc = OpenSurface(size[0], size[1]);
            Draw(dc, 0x123456, {row.from, row.to});
            ASSERT_EQ(Painted(dc), ReferenceLine(size[0], size[1], row.from, row.to))
                << row.from.x << "," << row.from.y << " to " << row.to.x << "," << row.to.y
                << " on " << size[0] << "x" << size[1];
            // The erase pass relies on this: the same points in black leave nothing behind.
            Draw(dc, 0x000000, {row.from, row.to});
            ASSERT_TRUE(Painted(dc).empty());
            CloseSurface(dc);
        }
    }
}

// Every pixel of a surface, row-major, as the tools see it.
std::vector<uint32_t> Snapshot(HDC dc, int *width, int *height) {
    const uint32_t *pixels = headless::SurfacePixels(dc, width, height);
    return std::vector<uint32_t>(pixels, pixels + *width * *height);
}

// Whatever the sizes and offsets, a copy must land every pixel where the row-major picture says,
// also when it overlaps itself.
TEST_F(HeadlessGdi, CopiesPutEveryPixelInItsPlace) {
    enum Target { kOtherBitmap, kSameBitmap, kScreen };
    struct Row {
        int width, height; // of the source bitmap
        Target target;
        int target_width, target_height; // of the other bitmap
        int x, y, w, h, src_x, src_y;
    };
    const Row rows[] = {
        {9, 7, kOtherBitmap, 13, 6, 2, 1, 8, 5, 3, 0},
        {16, 16, kOtherBitmap, 16, 16, 0, 0, 16, 16, 0, 0},
        {10, 10, kOtherBitmap, 7, 9, -2, -3, 20, 20, 1, 2},
        {13, 9, kOtherBitmap, 21, 11, 4, 2, 13, 9, 0, 0},
        {18, 14, kOtherBitmap, 23, 17, 1, 2, 17, 11, 5, 6},
        {11, 10, kSameBitmap, 0, 0, 1, 2, 8, 7, 0, 0},
        {11, 10, kSameBitmap, 0, 0, 0, 0, 8, 7, 3, 1},
        {12, 12, kSameBitmap, 0, 0, 4, 0, 8, 12, 0, 0},
        {30, 20, kScreen, 0, 0, 637, 3, 30, 20, 0, 0},
    };
    for (const Row &row : rows) {
        HDC source = OpenSurface(row.width, row.height);
        for (int y = 0; y < row.height; ++y)
            for (int x = 0; x < row.width; ++x)
                Draw(source, RGB(x + 1, y + 1, 0x5A), {{x, y}, {x + 1, y}});
        HBITMAP other_bitmap = nullptr;
        HDC target = source;
        if (row.target == kOtherBitmap) {
            target = CreateCompatibleDC(nullptr);
            other_bitmap = CreateCompatibleBitmap(target, row.target_width, row.target_height);
            SelectObject(target, other_bitmap);
            BitBlt(target, 0, 0, row.target_width, row.target_height, nullptr, 0, 0, WHITENESS);
        } else if (row.target == kScreen) {
            target = GetDC(nullptr);
        }
        int width, height, target_width, target_height;
        const std::vector<uint32_t> before = Snapshot(source, &width, &height);
        std::vector<uint32_t> expected = Snapshot(target, &target_width, &target_height);
        for (int y = std::max(0, row.y); y < std::min(target_height, row.y + row.h); ++y)
            for (int x = std::max(0, row.x); x < std::min(target_width, row.x + row.w); ++x) {
                const int from_x = x - row.x + row.src_x, from_y = y - row.y + row.src_y;
                if (from_x >= 0 && from_x < width && from_y >= 0 && from_y < height)
                    expected[y * target_width + x] = before[from_y * width + from_x];
            }
        ASSERT_TRUE(
            BitBlt(target, row.x, row.y, row.w, row.h, source, row.src_x, row.src_y, SRCCOPY));
        EXPECT_EQ(Snapshot(target, &target_width, &target_height), expected)
            << row.width << "x" << row.height << " to " << row.x << "," << row.y;
        if (row.target == kOtherBitmap) {
            DeleteDC(target);
            DeleteObject(other_bitmap);
        } else if (row.target == kScreen) {
            EXPECT_EQ(headless::ScreenPixel(639, 5), GetPixel(source, 2, 2));
            ReleaseDC(nullptr, target);
        }
        CloseSurface(source);
    }
}

TEST_F(HeadlessGdi, ScreenDeviceContextDrawsIntoTheScreen) {
    HDC screen = GetDC(nullptr);
    RECT box;
    EXPECT_EQ(GetClipBox(screen, &box), SIMPLEREGION);
    EXPECT_EQ(box.right - box.left, 640);
    EXPECT_EQ(box.bottom - box.top, 480);
    const std::vector<POINT> line = {{-10, 479}, {700, 479}};
    Draw(screen, 0x0000FF, line);
    EXPECT_EQ(headless::ScreenPixel(0, 479), 0x0000FFu);
    EXPECT_EQ(headless::ScreenPixel(639, 479), 0x0000FFu);
    EXPECT_EQ(headless::ScreenPixel(639, 478), 0u);
    EXPECT_EQ(headless::ScreenPixel(640, 479), CLR_INVALID);
    EXPECT_EQ(headless::PixelsPainted(), 640u);
    // A monitor left of and above the primary one moves where the screen's clip box starts.
    headless::SetScreenOrigin(-320, -100);
    GetClipBox(screen, &box);
    EXPECT_TRUE(box.left == -320 && box.top == -100 && box.right == 320 && box.bottom == 380);
    ReleaseDC(nullptr, screen);
}

// Windows have no place here: a window's device context draws into the screen, and goes back to
// the window it was taken for.
TEST_F(HeadlessGdi, WindowDeviceContextDrawsIntoTheScreen) {
    headless::SetScreenSize(200, 50);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
    HDC dc = GetDC(window);
    HDC other = GetDC(window);
    EXPECT_EQ(headless::LiveDeviceContexts(), 2);
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right - box.left, 200);
    EXPECT_EQ(box.bottom - box.top, 50);
    // Clip bounds far beyond 64-bit products still clip.
    Draw(dc, 0x00FF00, {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN + 1}});
    EXPECT_EQ(headless::PixelsPainted(), 0u);
    Draw(dc, 0x00FF00, {{INT32_MIN, 20}, {INT32_MAX, 20}});
    EXPECT_EQ(headless::PixelsPainted(), 200u);
    EXPECT_EQ(headless::ScreenPixel(199, 20), 0x00FF00u);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0) << "released for another window";
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(ReleaseDC(window, other), 1);
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    EXPECT_EQ(headless::LiveDeviceContexts(), 0);
    // A new size brings a new, black screen.
    headless::SetScreenSize(800, 600);
    EXPECT_EQ(headless::ScreenPixel(199, 20), 0u);
    EXPECT_EQ(headless::ScreenPixel(799, 599), 0u);
}

} // namespace
