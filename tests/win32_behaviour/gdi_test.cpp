// What the saver relies on from GDI, stated so that it holds on any Win32 implementation: new
// bitmaps start black, a polyline leaves out its final point and clips at the bitmap's edges,
// BLACKNESS and SRCCOPY do what they say.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

typedef std::set<std::pair<int, int>> PixelSet;

struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    int width;
    int height;
};

Canvas OpenCanvas(int width, int height) {
    HDC screen = GetDC(nullptr);
    Canvas canvas;
    canvas.dc = CreateCompatibleDC(screen);
    canvas.bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    canvas.previous = SelectObject(canvas.dc, canvas.bitmap);
    canvas.width = width;
    canvas.height = height;
    return canvas;
}

void CloseCanvas(const Canvas &canvas) {
    EXPECT_EQ(SelectObject(canvas.dc, canvas.previous), canvas.bitmap);
    EXPECT_TRUE(DeleteObject(canvas.bitmap));
    EXPECT_TRUE(DeleteDC(canvas.dc));
}

PixelSet PixelsOf(const Canvas &canvas, COLORREF color) {
    PixelSet found;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            if (GetPixel(canvas.dc, x, y) == color)
                found.insert({x, y});
    return found;
}

void DrawWithPen(HDC dc, COLORREF color, const std::vector<POINT> &points) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ previous = SelectObject(dc, pen);
    EXPECT_TRUE(Polyline(dc, points.data(), static_cast<int>(points.size())));
    EXPECT_EQ(SelectObject(dc, previous), pen);
    EXPECT_TRUE(DeleteObject(pen));
}

TEST(GdiBitmap, NewCompatibleBitmapIsBlack) {
    const Canvas canvas = OpenCanvas(23, 7);
    EXPECT_EQ(PixelsOf(canvas, 0x00000000).size(), size_t(23 * 7));
    CloseCanvas(canvas);
}

TEST(GdiSelectObject, ReturnsThePreviousObjectOfTheSameKind) {
    const Canvas canvas = OpenCanvas(4, 4);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HPEN blue = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    // A fresh device context draws with the stock black pen.
    EXPECT_EQ(SelectObject(canvas.dc, red), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(canvas.dc, blue), red);
    // Selecting a pen leaves the bitmap in place.
    HBITMAP other = CreateCompatibleBitmap(canvas.dc, 2, 2);
    EXPECT_EQ(SelectObject(canvas.dc, other), canvas.bitmap);
    EXPECT_EQ(SelectObject(canvas.dc, canvas.bitmap), other);
    EXPECT_EQ(SelectObject(canvas.dc, GetStockObject(WHITE_PEN)), blue);
    EXPECT_TRUE(DeleteObject(other));
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_TRUE(DeleteObject(blue));
    CloseCanvas(canvas);
}

TEST(GdiPolyline, PaintsEachSegmentWithoutTheFinalPoint) {
    struct Row {
        const char *what;
        std::vector<POINT> points;
        PixelSet painted;
    };
    const Row rows[] = {
        {"two points paint the first", {{3, 3}, {4, 3}}, {{3, 3}}},
        {"horizontal to the right", {{1, 2}, {5, 2}}, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
        {"horizontal to the left", {{5, 2}, {1, 2}}, {{5, 2}, {4, 2}, {3, 2}, {2, 2}}},
        {"vertical downwards", {{7, 1}, {7, 4}}, {{7, 1}, {7, 2}, {7, 3}}},
        {"vertical upwards", {{7, 4}, {7, 1}}, {{7, 4}, {7, 3}, {7, 2}}},
        {"diagonal", {{0, 0}, {3, 3}}, {{0, 0}, {1, 1}, {2, 2}}},
        {"anti-diagonal", {{9, 1}, {6, 4}}, {{9, 1}, {8, 2}, {7, 3}}},
        {"a chain leaves out only its last point",
         {{1, 1}, {4, 1}, {4, 4}, {1, 4}},
         {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}, {4, 4}, {3, 4}, {2, 4}}},
    };
    const COLORREF color = RGB(0x12, 0x34, 0x56);
    for (const Row &row : rows) {
        const Canvas canvas = OpenCanvas(12, 8);
        DrawWithPen(canvas.dc, color, row.points);
        EXPECT_EQ(PixelsOf(canvas, color), row.painted) << row.what;
        EXPECT_EQ(PixelsOf(canvas, 0).size() + row.painted.size(), size_t(12 * 8)) << row.what;
        CloseCanvas(canvas);
    }
}

// A line clipped at the bitmap's edges paints exactly the pixels of the whole line that lie
// inside: the same line drawn into a larger bitmap, shifted by (16, 16), shows the same picture
// in the window that corresponds to the small bitmap.
TEST(GdiPolyline, ClipsToTheBitmapExactly) {
    const std::vector<POINT> lines[] = {
        {{-40, 3}, {50, 9}}, {{5, -30}, {11, 40}}, {{-20, -17}, {35, 29}}, {{30, -5}, {-9, 20}},
        {{-3, 8}, {19, 8}},  {{8, 25}, {8, -9}},   {{-1, -1}, {16, 16}},   {{3, 15}, {40, -6}},
    };
    const COLORREF color = RGB(255, 255, 255);
    for (const std::vector<POINT> &line : lines) {
        const Canvas small = OpenCanvas(16, 16);
        const Canvas large = OpenCanvas(48, 48);
        DrawWithPen(small.dc, color, line);
        std::vector<POINT> shifted = line;
        for (POINT &p : shifted)
            p.x += 16, p.y += 16;
        DrawWithPen(large.dc, color, shifted);
        PixelSet inside;
        for (const std::pair<int, int> &p : PixelsOf(large, color))
            if (p.first >= 16 && p.first < 32 && p.second >= 16 && p.second < 32)
                inside.insert({p.first - 16, p.second - 16});
        EXPECT_EQ(PixelsOf(small, color), inside)
            << line[0].x << "," << line[0].y << " to " << line[1].x << "," << line[1].y;
        CloseCanvas(small);
        CloseCanvas(large);
    }
}

TEST(GdiBitBlt, RasterOperations) {
    const COLORREF white = RGB(255, 255, 255);
    const Canvas canvas = OpenCanvas(8, 8);
    ASSERT_TRUE(BitBlt(canvas.dc, 0, 0, 8, 8, nullptr, 0, 0, WHITENESS));
    EXPECT_EQ(PixelsOf(canvas, white).size(), size_t(64));
    // BLACKNESS uses no source and stops at the bitmap's edge.
    ASSERT_TRUE(BitBlt(canvas.dc, 5, 6, 10, 10, nullptr, 0, 0, BLACKNESS));
    EXPECT_EQ(PixelsOf(canvas, 0), (PixelSet{{5, 6}, {6, 6}, {7, 6}, {5, 7}, {6, 7}, {7, 7}}));

    // SRCCOPY copies the source rectangle to the target position, clipped to the target.
    const Canvas target = OpenCanvas(6, 6);
    ASSERT_TRUE(BitBlt(target.dc, 3, 4, 8, 8, canvas.dc, 4, 5, SRCCOPY));
    PixelSet black, expected_black;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const COLORREF pixel = GetPixel(target.dc, x, y);
            EXPECT_TRUE(pixel == 0 || pixel == white);
            if (pixel == white)
                continue;
            black.insert({x, y});
            // Source pixel (x + 1, y + 1) when inside the copied block; black outside it.
            const bool copied = x >= 3 && y >= 4;
            if (!copied || (x + 1 >= 5 && y + 1 >= 6))
                expected_black.insert({x, y});
        }
    EXPECT_EQ(black, expected_black);
    CloseCanvas(target);
    CloseCanvas(canvas);
}

TEST(GdiClipBox, MemoryContextReportsItsBitmap) {
    const Canvas canvas = OpenCanvas(33, 17);
    RECT box;
    EXPECT_EQ(GetClipBox(canvas.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 33);
    EXPECT_EQ(box.bottom, 17);
    CloseCanvas(canvas);
}

} // namespace
