#include "animation/render.h"

#include <gtest/gtest.h>

#include <vector>

#include "animation/animation_proc.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"

namespace {

TEST(HueWheel, ColourOfEachStep) {
    const struct {
        uint32_t hue;
        ColorRef color;
    } rows[] = {
        {0, 0x000000FF},    {1, 0x000001FF},    {255, 0x0000FFFF},  {256, 0x0000FFFF},
        {300, 0x0000FFD3},  {511, 0x0000FF00},  {512, 0x0000FF00},  {600, 0x0058FF00},
        {767, 0x00FFFF00},  {768, 0x00FFFF00},  {1023, 0x00FF0000}, {1024, 0x00FF0000},
        {1092, 0x00FF0044}, {1279, 0x00FF00FF}, {1280, 0x00FF00FF}, {1535, 0x000000FF},
    };
    for (const auto &row : rows)
        EXPECT_EQ(HueToColorRef(row.hue), row.color) << row.hue;
}

TEST(FadeRamp, FactorsBySlot) {
    // White fades by exactly the factor, so the ramp shows the factors themselves.
    const struct {
        int L;
        std::vector<uint32_t> factors;
    } rows[] = {
        {1, {255}},
        {2, {159, 255}},
        {3, {127, 191, 255}},
        {4, {111, 159, 207, 255}},
        {8, {87, 111, 135, 159, 183, 207, 231, 255}},
        {16, {75, 87, 99, 111, 123, 135, 147, 159, 171, 183, 195, 207, 219, 231, 243, 255}},
    };
    for (const auto &row : rows) {
        ColorRef ramp[kMaxTrail];
        BuildFadeRamp(0x00FFFFFF, row.L, ramp);
        for (int i = 0; i < row.L; ++i) {
            const uint32_t f = row.factors[static_cast<size_t>(i)];
            EXPECT_EQ(ramp[i], f | f << 8 | f << 16) << "L " << row.L << " slot " << i;
        }
    }
    ColorRef ramp[kMaxTrail];
    BuildFadeRamp(0x00FFFFFF, 32, ramp);
    EXPECT_EQ(ramp[0] & 0xFF, 69u);
    EXPECT_EQ(ramp[1] & 0xFF, 75u);
    EXPECT_EQ(ramp[30] & 0xFF, 249u);
}

TEST(FadeRamp, ChannelsTruncateSeparately) {
    const ColorRef expected[] = {0x006F001D, 0x009F002A, 0x00CF0037, 0x00FF0044};
    ColorRef ramp[kMaxTrail];
    BuildFadeRamp(0x00FF0044, 4, ramp);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ramp[i], expected[i]) << i;
    EXPECT_EQ(FadeColorRef(0x00FF0044, 255), 0x00FF0044u);
    EXPECT_EQ(FadeColorRef(0x00010203, 128), 0x00000101u);
    EXPECT_EQ(FadeColorRef(0x00FFFFFF, 0), 0u);
}

struct Surface {
    HDC dc;
    HGDIOBJ previous;
};

Surface MakeSurface(HDC screen, int width, int height) {
    Surface s;
    s.dc = CreateCompatibleDC(screen);
    s.previous = SelectObject(s.dc, CreateCompatibleBitmap(screen, width, height));
    return s;
}

void FreeSurface(Surface s) {
    DeleteObject(SelectObject(s.dc, s.previous));
    DeleteDC(s.dc);
}

std::vector<uint32_t> Pixels(HDC dc) {
    int width = 0, height = 0;
    const uint32_t *pixels = headless::SurfacePixels(dc, &width, &height);
    return std::vector<uint32_t>(pixels, pixels + width * height);
}

// The surface is kept up to date incrementally, tick by tick; it must always equal a black
// surface on which the current copies are drawn afresh in the same order.
TEST(RenderFrame, IncrementalSurfaceEqualsAFreshDrawing) {
    const struct {
        SaverSettings settings; // figure_count, trail_length, corner_count, speed
        int width, height;
        uint32_t seed;
        int ticks;
    } rows[] = {
        {{2, 16, 4, 10}, 320, 200, 1, 300},
        {{8, 32, 8, 10}, 160, 120, 7, 200},
        {{1, 1, 2, 10}, 64, 48, 3, 500},
        {{3, 5, 3, 10}, 40, 30, 12345, 400}, // small: corners bounce and copies overlap a lot
        {{2, 4, 4, 10}, 1, 1, 5, 50},
        {{2, 4, 4, 10}, 0, 0, 5, 50},
    };
    for (const auto &row : rows) {
        headless::Reset();
        ResetAnimation();
        saver_settings = row.settings;
        const int n = row.settings.figure_count, k = row.settings.corner_count,
                  L = row.settings.trail_length;
        const int baseline = headless::LiveGdiObjects();
        HDC screen = GetDC(nullptr);
        Surface kept = MakeSurface(screen, row.width, row.height);
        animation_state.surface_width = row.width;
        animation_state.surface_height = row.height;
        SeedRandom(row.seed);
        InitFigures(n, k, L, row.width, row.height);
        for (int tick = 0; tick < row.ticks; ++tick)
            RenderFrame(kept.dc);

        Surface fresh = MakeSurface(screen, row.width, row.height);
        for (int f = 0; f < n; ++f) {
            ColorRef ramp[kMaxTrail];
            BuildFadeRamp(HueToColorRef(animation_state.hue[f]), L, ramp);
            for (int i = 0; i < L; ++i)
                DrawOutline(fresh.dc, animation_state.corner_pos[f][i], k, ramp[i]);
        }
        EXPECT_EQ(Pixels(kept.dc), Pixels(fresh.dc))
            << row.width << "x" << row.height << " seed " << row.seed;
        FreeSurface(fresh);
        FreeSurface(kept);
        ReleaseDC(nullptr, screen);
        EXPECT_EQ(headless::LiveGdiObjects(), baseline);
    }
}

// The first frame shows the starting hue plus one, the newest copy at full colour. The wheel has
// 1536 steps: 1534 steps to 1535, 1535 to 0, and figure 0's rarest start, 1536, to 1.
TEST(RenderFrame, FirstFrameShowsEveryCopyInItsColour) {
    const struct { uint32_t start, shown; } rows[] = {{1534, 1535}, {1535, 0}, {1536, 1}};
    for (const auto &row : rows) {
        headless::Reset();
        ResetAnimation();
        saver_settings = SaverSettings{1, 3, 2, 10};
        HDC screen = GetDC(nullptr);
        Surface s = MakeSurface(screen, 100, 100);
        animation_state.surface_width = 100;
        animation_state.surface_height = 100;
        SeedRandom(1);
        InitFigures(1, 2, 3, 100, 100);
        animation_state.hue[0] = row.start;
        RenderFrame(s.dc);
        EXPECT_EQ(animation_state.hue[0], row.shown) << row.start;
        const CornerPos newest = animation_state.corner_pos[0][2][0];
        int width = 0, height = 0;
        const uint32_t *pixels = headless::SurfacePixels(s.dc, &width, &height);
        ASSERT_TRUE(newest.x >= 0 && newest.x < 100 && newest.y >= 0 && newest.y < 100);
        EXPECT_EQ(pixels[newest.y * width + newest.x], HueToColorRef(row.shown)) << row.start;
        FreeSurface(s);
        ReleaseDC(nullptr, screen);
    }
}

} // namespace
