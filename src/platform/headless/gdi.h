// Test and tool controls of the headless GDI (gdi.cpp): 32-bit pixel surfaces (0x00BBGGRR, the
// COLORREF layout), the screen that window device contexts draw into, and counts of live objects
// so that tests can prove nothing leaks.
#pragma once

#include <cstdint>

#include "platform/headless/windows.h"

namespace headless {

void ResetGdi();

// The screen: black, of the desktop's size (window.h), recreated by a reset.
uint32_t ScreenPixel(int x, int y);
// The bitmap selected into a memory device context: its size and row-major pixels.
const uint32_t *SurfacePixels(HDC dc, int *width, int *height);

// Pens, bitmaps and memory device contexts alive now; device contexts from GetDC not released.
int LiveGdiObjects();
int LiveDeviceContexts();
int GdiFlushCalls();

} // namespace headless
