// What a device context shows: its top-left width x height pixels copied into a 32-bit surface
// of our own, as 0x00RRGGBB values row by row, so that a window and an off-screen surface of any
// pixel format compare alike.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "animation/animation_proc.h"
#include "animation/figures.h"
#include "platform/win32.h"

namespace wine_test {

inline std::vector<uint32_t> Pixels(HDC dc, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP copy = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC copy_dc = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(copy_dc, copy);
    BitBlt(copy_dc, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> pixels;
    if (bits != nullptr) {
        const uint32_t *first = static_cast<const uint32_t *>(bits);
        pixels.assign(first, first + static_cast<size_t>(width) * height);
    }
    SelectObject(copy_dc, previous);
    DeleteDC(copy_dc);
    DeleteObject(copy);
    for (uint32_t &pixel : pixels)
        pixel &= 0x00FFFFFF;
    return pixels;
}

inline std::vector<uint32_t> WindowPixels(HWND window, int width, int height) {
    HDC dc = GetDC(window);
    std::vector<uint32_t> pixels = Pixels(dc, width, height);
    ReleaseDC(window, dc);
    return pixels;
}

// What the animation's off-screen surface holds.
inline std::vector<uint32_t> AnimationSurface() {
    return Pixels(animation_run.memory_dc, animation_state.surface_width,
                  animation_state.surface_height);
}

inline size_t LitPixels(const std::vector<uint32_t> &pixels) {
    return static_cast<size_t>(
        std::count_if(pixels.begin(), pixels.end(), [](uint32_t pixel) { return pixel != 0; }));
}

} // namespace wine_test
