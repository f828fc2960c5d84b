// Test and tool controls of the headless GDI (gdi.cpp): 32-bit pixel surfaces (0x00BBGGRR, the
// COLORREF layout), the screen that every GetDC draws into, and counts of live objects
// so that tests can prove nothing leaks. Lines are drawn by one integer rule and clipped pixel by
// pixel, so the same points always paint the same pixels.
#pragma once

#include <cstdint>

#include "platform/headless/windows.h"

namespace headless {

void ResetGdi();

// The screen, which GetDC gives for no window and for every window alike: black, 640x480 after a
// reset, new and black again at every change of size. Outside it ScreenPixel reports CLR_INVALID.
void SetScreenSize(int width, int height);
// Where the screen's clip box starts, (0, 0) after a reset: left of or above (0, 0) on a desktop
// whose monitors reach past the primary one's left or top edge. Only GetClipBox of the screen's
// own device context (GetDC with no window) moves; pixels keep their places.
void SetScreenOrigin(int left, int top);
uint32_t ScreenPixel(int x, int y);
// The bitmap selected into a memory device context (for any other context, the screen): its size
// and its pixels in row-major order, valid while the surface lives and keeps its size. NULL for a
// handle that names no device context.
const uint32_t *SurfacePixels(HDC dc, int *width, int *height);

// Pens and bitmaps (stock objects excluded) plus memory device contexts alive now.
int LiveGdiObjects();
// Device contexts handed out by GetDC and not yet given back with ReleaseDC.
int LiveDeviceContexts();
// Pixels written by Polyline since the last reset: what a benchmark counts as work done.
uint64_t PixelsPainted();

} // namespace headless
