// Rendering one tick into the off-screen surface: the black erase pass, the hue wheel, the fade
// ramp and every figure's trail. StepAnimation calls RenderFrame once per tick, after
// StartAnimation placed the figures; the surface must be black when the first frame is rendered.
#pragma once

#include <cstdint>

#include "animation/figures.h"

// Red in bits 0-7, green 8-15, blue 16-23, the rest zero: what CreatePen takes.
typedef uint32_t ColorRef;

constexpr uint32_t kHueSteps = 1536;

ColorRef HueToColorRef(uint32_t hue);
ColorRef FadeColorRef(ColorRef color, uint32_t factor);
void BuildFadeRamp(ColorRef color, int L, ColorRef ramp[kMaxTrail]);
void DrawOutline(HDC surface, const CornerPos *corners, int k, ColorRef color);
void RenderFrame(HDC surface);
