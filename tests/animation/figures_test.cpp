#include "animation/figures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "animation/animation_proc.h"
#include "settings/settings_store.h"

namespace {

class Figures : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAnimation();
        ResetSettings();
    }
    // A generator state whose next NextRandom() gives r: the increment is odd, so stepping the
    // state once from any value hits every 32-bit number; search the previous state that leads
    // to a state with bits 16..30 equal to r.
    static void ForceNextRandom(int32_t r) {
        const uint32_t target = static_cast<uint32_t>(r) << 16;
        // Inverse of the multiplier modulo 2^32.
        uint32_t inverse = 1;
        for (int i = 0; i < 5; ++i)
            inverse *= 2u - 214013u * inverse;
        SeedRandom((target - 2531011u) * inverse);
    }
};

TEST_F(Figures, GeneratorSequences) {
    struct Row {
        uint32_t seed;
        std::vector<int32_t> values;
    };
    const Row rows[] = {
        {1, {41, 18467, 6334, 26500, 19169, 15724}},
        {0, {38, 7719, 21238}},
    };
    for (const Row &row : rows) {
        SeedRandom(row.seed);
        for (size_t i = 0; i < row.values.size(); ++i)
            EXPECT_EQ(NextRandom(), row.values[i]) << "seed " << row.seed << " draw " << i;
    }
}

TEST_F(Figures, ScaledDrawsByRawValue) {
    const struct {
        int32_t r;
        int32_t scale_640; // ScaleRandom(640)
        int32_t speed;     // DrawSpeed()
    } rows[] = {
        {0, 0, 2},       {5461, 106, 2},  {5462, 106, 3},  {10922, 213, 3}, {10923, 213, 4},
        {16383, 319, 4}, {16384, 320, 5}, {21844, 426, 5}, {21845, 426, 6}, {27305, 533, 6},
        {27306, 533, 7}, {32766, 639, 7}, {32767, 640, 8},
    };
    for (const auto &row : rows) {
        ForceNextRandom(row.r);
        EXPECT_EQ(ScaleRandom(640), row.scale_640) << row.r;
        ForceNextRandom(row.r);
        EXPECT_EQ(DrawSpeed(), row.speed) << row.r;
    }
    // The magnitude is drawn before the sign, and an odd sign draw means a positive speed.
    SeedRandom(1); // 41 -> magnitude 2, 18467 (odd) -> +
    EXPECT_EQ(DrawSignedSpeed(), 2);
    SeedRandom(1);
    NextRandom();
    NextRandom(); // 6334 -> magnitude 3, 26500 (even) -> -
    EXPECT_EQ(DrawSignedSpeed(), -3);
}

TEST_F(Figures, WorkedStartUp) {
    saver_settings.corner_count = 2;
    saver_settings.trail_length = 1;
    animation_state.surface_width = 640;
    animation_state.surface_height = 480;
    SeedRandom(1);
    InitFigures(1, 2, 1, 640, 480);
    const AnimationState &s = animation_state;
    EXPECT_EQ(s.corner_pos[0][0][0].x, 0);
    EXPECT_EQ(s.corner_pos[0][0][0].y, 270);
    EXPECT_EQ(s.velocity_x[0][0], -3);
    EXPECT_EQ(s.velocity_y[0][0], -5);
    EXPECT_EQ(s.corner_pos[0][0][1].x, 224);
    EXPECT_EQ(s.corner_pos[0][0][1].y, 430);
    EXPECT_EQ(s.velocity_x[0][1], -6);
    EXPECT_EQ(s.velocity_y[0][1], 3);
    EXPECT_EQ(s.hue[0], 1091u);
    // Thirteen draws so far: the next one is the fourteenth of seed 1.
    uint32_t after = s.random_state;
    SeedRandom(1);
    for (int i = 0; i < 13; ++i)
        NextRandom();
    EXPECT_EQ(animation_state.random_state, after);

    animation_state.random_state = after;
    AdvanceFigure(0);
    EXPECT_EQ(s.corner_pos[0][0][0].x, 2);
    EXPECT_EQ(s.corner_pos[0][0][0].y, 273);
    EXPECT_EQ(s.velocity_x[0][0], 5);
    EXPECT_EQ(s.velocity_y[0][0], 3);
    EXPECT_EQ(s.corner_pos[0][0][1].x, 218);
    EXPECT_EQ(s.corner_pos[0][0][1].y, 433);
}

// Seeded with 1 the generator gives 41, 18467, 6334, 26500, 19169, 15724: a bounce draws the
// magnitude 2 (41) and then the other axis anew as -5 (18467 gives 5, 6334 is even); a second
// bounce in the same tick draws 6 (26500) and -5 (19169, 15724).
TEST_F(Figures, BouncesOnEveryEdge) {
    const struct {
        const char *name;
        int32_t x, y, vx, vy;
        int32_t width, height;
        int32_t qx, qy, out_vx, out_vy;
        int draws;
    } rows[] = {
        {"inside", 10, 10, 3, -4, 640, 480, 13, 6, 3, -4, 0},
        {"reaches x=0", 3, 10, -3, 2, 640, 480, 0, 12, -3, 2, 0},
        {"reaches x=W-1", 636, 10, 3, 2, 640, 480, 639, 12, 3, 2, 0},
        {"reaches y=0", 10, 4, 1, -4, 640, 480, 11, 0, 1, -4, 0},
        // Lands at -7, turns to +2 and stands at -5, still outside; y moves with the new vy.
        {"left", 1, 100, -8, 5, 640, 480, -5, 95, 2, -5, 3},
        {"right", 637, 100, 3, 5, 640, 480, 638, 95, -2, -5, 3},
        // The x of this tick is settled before y bounces; the new vx counts from the next tick.
        {"top", 100, 2, 4, -5, 640, 480, 104, -1, -5, 2, 3},
        {"bottom", 100, 478, 4, 2, 640, 480, 104, 478, -5, -2, 3},
        {"both axes", 1, 1, -4, -4, 640, 480, -1, 2, -5, 6, 6},
        {"zero-sized surface", 0, 0, 3, 3, 0, 0, 1, 1, -5, 6, 6},
    };
    for (const auto &row : rows) {
        ResetAnimation();
        animation_state.surface_width = row.width;
        animation_state.surface_height = row.height;
        animation_state.velocity_x[2][5] = row.vx;
        animation_state.velocity_y[2][5] = row.vy;
        SeedRandom(1);
        CornerPos q = StepCorner(2, 5, CornerPos{row.x, row.y});
        EXPECT_EQ(q.x, row.qx) << row.name;
        EXPECT_EQ(q.y, row.qy) << row.name;
        EXPECT_EQ(animation_state.velocity_x[2][5], row.out_vx) << row.name;
        EXPECT_EQ(animation_state.velocity_y[2][5], row.out_vy) << row.name;
        uint32_t state = animation_state.random_state;
        SeedRandom(1);
        for (int i = 0; i < row.draws; ++i)
            NextRandom();
        EXPECT_EQ(state, animation_state.random_state) << row.name;
    }
}

TEST_F(Figures, StartingHuesSpreadAroundTheWheel) {
    // n = 3: figures 1 and 2 start 512 and 1024 steps after figure 0, each shifted by a draw of
    // -32..+32: both signs, out to -32 and +31.
    const struct {
        uint32_t seed;
        int shifts[2];
    } rows[] = {{1, {-8, 1}}, {7, {-7, -10}}, {26, {20, -32}}, {33, {-21, 31}}};
    for (const auto &row : rows) {
        SeedRandom(row.seed);
        InitFigures(3, 2, 1, 640, 480);
        const uint32_t hue0 = animation_state.hue[0];
        EXPECT_LE(hue0, 1536u);
        for (int f = 1; f < 3; ++f) {
            const uint32_t base = (static_cast<uint32_t>(f * 512) + hue0 % 1536) % 1536;
            const int offset = static_cast<int>((animation_state.hue[f] + 1536 - base) % 1536);
            EXPECT_EQ(offset > 768 ? offset - 1536 : offset, row.shifts[f - 1])
                << row.seed << " figure " << f;
        }
    }
}

TEST_F(Figures, TrailStaysNearTheSurfaceAndShiftsByOneSlot) {
    // On a small surface every corner bounces often; none strays further out than one step.
    const int n = 2, k = 5, L = 7;
    saver_settings.corner_count = k;
    saver_settings.trail_length = L;
    animation_state.surface_width = 50;
    animation_state.surface_height = 40;
    SeedRandom(99);
    InitFigures(n, k, L, 50, 40);
    AnimationState full = animation_state;
    for (int f = 0; f < n; ++f) {
        for (int j = 0; j < L; ++j) {
            for (int c = 0; c < k; ++c) {
                EXPECT_GE(full.corner_pos[f][j][c].x, -8);
                EXPECT_LE(full.corner_pos[f][j][c].x, 50 + 8);
            }
        }
        for (int c = 0; c < k; ++c) {
            EXPECT_GE(std::abs(full.velocity_x[f][c]), 2);
            EXPECT_LE(std::abs(full.velocity_x[f][c]), 8);
        }
    }
    // Advancing shifts every slot down by one and moves only the newest.
    AdvanceFigure(1);
    for (int j = 0; j + 1 < L; ++j) {
        for (int c = 0; c < k; ++c) {
            EXPECT_EQ(animation_state.corner_pos[1][j][c].x, full.corner_pos[1][j + 1][c].x);
            EXPECT_EQ(animation_state.corner_pos[1][j][c].y, full.corner_pos[1][j + 1][c].y);
        }
    }
}

} // namespace
