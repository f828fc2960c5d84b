// The figures: owns AnimationState and the animation's own random generator. CreateAnimation
// seeds and places the figures once per window; RenderFrame advances each figure once per tick,
// with the corner count and trail length of SaverSettings as loaded at creation.
// figures.cpp is pure integer logic and calls no platform function; the device-context fields of
// AnimationState belong to the animation's message procedure. The order of random draws is part
// of the behaviour.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr int kMaxFigures = 8;
constexpr int kMaxTrail = 32;
constexpr int kMaxCorners = 8;

// The platform's point layout, so that a slot's corners go to Polyline as they are.
typedef POINT CornerPos;

struct AnimationState {
    int32_t surface_width;
    int32_t surface_height;
    CornerPos corner_pos[kMaxFigures][kMaxTrail][kMaxCorners];
    int32_t velocity_x[kMaxFigures][kMaxCorners];
    int32_t velocity_y[kMaxFigures][kMaxCorners];
    uint32_t hue[kMaxFigures];
    uint32_t random_state;
    // Platform resources, owned by the animation's lifecycle. window_dc is the target every frame
    // is copied to: the window's device context when the saver runs.
    HDC window_dc;
    HDC memory_dc;
    HBITMAP previous_bitmap;
    uint32_t timer_id;
    // Every tick copies the whole surface, not only what it changed (the measurement build's).
    bool copy_whole_surface;
    // The target was blacked out or shows nothing yet: the next tick copies the whole surface.
    bool window_stale;
    // GetTickCount at the last copy of the whole surface.
    uint32_t whole_copy_tick;
    // Between StartAnimation and StopAnimation.
    bool running;
};

extern AnimationState animation_state;

void SeedRandom(uint32_t seed);
int32_t NextRandom();
int32_t ScaleRandom(int32_t m);
int32_t DrawSpeed();
int32_t DrawSignedSpeed();
void InitFigures(int n, int k, int L, int32_t W, int32_t H);
CornerPos StepCorner(int f, int c, CornerPos p);
void AdvanceFigure(int f);

// Back to the all-zero state of a fresh process.
void ResetAnimation();
