#include "animation/render.h"

#include "settings/settings_store.h"

ColorRef HueToColorRef(uint32_t hue) {
    const uint32_t b = hue & 0xFF;
    uint32_t red = 0, green = 0, blue = 0;
    switch ((hue >> 8) % 6) {
    case 0:
        red = 255, green = b;
        break;
    case 1:
        red = 255 - b, green = 255;
        break;
    case 2:
        green = 255, blue = b;
        break;
    case 3:
        green = 255 - b, blue = 255;
        break;
    case 4:
        red = b, blue = 255;
        break;
    default:
        red = 255, blue = 255 - b;
        break;
    }
    return red | green << 8 | blue << 16;
}

ColorRef FadeColorRef(ColorRef color, uint32_t factor) {
    const uint32_t red = (color & 0xFF) * factor / 255;
    const uint32_t green = (color >> 8 & 0xFF) * factor / 255;
    const uint32_t blue = (color >> 16 & 0xFF) * factor / 255;
    return red | green << 8 | blue << 16;
}

void BuildFadeRamp(ColorRef color, int L, ColorRef ramp[kMaxTrail]) {
    for (int i = 0; i + 1 < L; ++i)
        ramp[i] = FadeColorRef(color, static_cast<uint32_t>(192 * (i + 1) / L + 63));
    ramp[L - 1] = color;
}

void DrawOutline(HDC surface, const CornerPos *corners, int k, ColorRef color) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ previous = SelectObject(surface, pen);
    Polyline(surface, corners, k);
    // The closing segment is its own call: each call leaves out its final pixel, so the chain
    // supplies corner 0's pixel and the closing segment corner k-1's, and a black copy drawn the
    // same way covers exactly the pixels the coloured one painted.
    const CornerPos closing[2] = {corners[k - 1], corners[0]};
    Polyline(surface, closing, 2);
    DeleteObject(SelectObject(surface, previous));
}

void RenderFrame(HDC surface) {
    const int n = saver_settings.figure_count;
    const int k = saver_settings.corner_count;
    const int L = saver_settings.trail_length;
    AnimationState &s = animation_state;
    // Every figure's oldest copy goes black before anything is drawn, so an erase line that
    // crosses a copy which stays is painted over again in this same tick.
    for (int f = 0; f < n; ++f)
        DrawOutline(surface, s.corner_pos[f][0], k, 0x00000000);
    ColorRef ramp[kMaxTrail];
    for (int f = 0; f < n; ++f) {
        AdvanceFigure(f);
        s.hue[f] = (s.hue[f] + 1) % kHueSteps;
        BuildFadeRamp(HueToColorRef(s.hue[f]), L, ramp);
        for (int i = 0; i < L; ++i)
            DrawOutline(surface, s.corner_pos[f][i], k, ramp[i]);
    }
}
