// The figures: owns AnimationState and the animation's own random generator. StartAnimation
// seeds and places the figures once per run; RenderFrame advances each figure once per tick, with
// the corner count and trail length of SaverSettings as they were at the start. Pure integer
// logic that calls no platform function; the order of random draws is part of the behaviour.
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

// Back to the all-zero state of a fresh process; part of ResetAnimation.
void ResetFigures();
