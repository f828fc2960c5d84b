#include "animation/figures.h"

#include <cstring>

#include "settings/settings_store.h"

AnimationState animation_state;

void SeedRandom(uint32_t seed) {
    animation_state.random_state = seed;
}

int32_t NextRandom() {
    animation_state.random_state = animation_state.random_state * 214013u + 2531011u;
    return static_cast<int32_t>((animation_state.random_state >> 16) & 0x7FFF);
}

int32_t ScaleRandom(int32_t m) {
    int64_t r = NextRandom();
    return static_cast<int32_t>(r * m / 32767);
}

int32_t DrawSpeed() {
    return ScaleRandom(6) + 2;
}

int32_t DrawSignedSpeed() {
    int32_t magnitude = DrawSpeed();
    return (NextRandom() & 1) ? magnitude : -magnitude;
}

void InitFigures(int n, int k, int L, int32_t W, int32_t H) {
    AnimationState &s = animation_state;
    for (int f = 0; f < n; ++f) {
        for (int c = 0; c < k; ++c) {
            s.corner_pos[f][0][c].x = ScaleRandom(W);
            s.corner_pos[f][0][c].y = ScaleRandom(H);
            s.velocity_x[f][c] = DrawSignedSpeed();
            s.velocity_y[f][c] = DrawSignedSpeed();
        }
        for (int j = 1; j < L; ++j) {
            for (int c = 0; c < k; ++c)
                s.corner_pos[f][j][c] = StepCorner(f, c, s.corner_pos[f][j - 1][c]);
        }
        if (f == 0) {
            s.hue[0] = static_cast<uint32_t>(ScaleRandom(1536));
        } else {
            uint32_t spread = static_cast<uint32_t>(f * 1536 / n);
            s.hue[f] = (spread + static_cast<uint32_t>(ScaleRandom(64)) + s.hue[0] - 32) % 1536;
        }
    }
}

// Coordinates stay near the surface (every bounce turns back inwards), but the sums are taken
// unsigned so that no input, however far out, can overflow.
static int32_t Add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

CornerPos StepCorner(int f, int c, CornerPos p) {
    AnimationState &s = animation_state;
    int32_t vx = s.velocity_x[f][c];
    int32_t vy = s.velocity_y[f][c];
    CornerPos q;
    q.x = Add(p.x, vx);
    if (q.x < 0) {
        vx = DrawSpeed();
        q.x = Add(q.x, vx);
        vy = DrawSignedSpeed();
    } else if (q.x >= s.surface_width) {
        vx = -DrawSpeed();
        q.x = Add(q.x, vx);
        vy = DrawSignedSpeed();
    }
    q.y = Add(p.y, vy);
    if (q.y < 0) {
        vy = DrawSpeed();
        q.y = Add(q.y, vy);
        vx = DrawSignedSpeed();
    } else if (q.y >= s.surface_height) {
        vy = -DrawSpeed();
        q.y = Add(q.y, vy);
        vx = DrawSignedSpeed();
    }
    s.velocity_x[f][c] = vx;
    s.velocity_y[f][c] = vy;
    return q;
}

void AdvanceFigure(int f) {
    const int k = saver_settings.corner_count;
    const int L = saver_settings.trail_length;
    CornerPos(*slots)[kMaxCorners] = animation_state.corner_pos[f];
    for (int i = 0; i + 1 < L; ++i)
        std::memcpy(slots[i], slots[i + 1], sizeof(CornerPos) * k);
    for (int c = 0; c < k; ++c)
        slots[L - 1][c] = StepCorner(f, c, slots[L - 1][c]);
}

void ResetFigures() {
    std::memset(&animation_state, 0, sizeof animation_state);
}
