// The changed area against the headless line rule, for any surface size and any outline. The
// input picks a surface (small ones, 0 and 1 among them; multiples of 64 up to 4096 and their
// neighbours; any 16-bit size; sizes near 2^31), one or two figures with a trail of copies, and
// one or two ticks whose new outlines it also gives, every corner anywhere in 32 bits. After each
// tick the rectangles must be at most kMaxChangedRects, lie inside the surface and cover every
// pixel that drawing the copies remembered and the new ones paints. Pixels are checked in a
// window of the surface of bounded size that the input places, so an input stays cheap.
#include <algorithm>
#include <climits>
#include <vector>

#include "animation/animation_proc.h"
#include "animation/changed_area.h"
#include "animation/figures.h"
#include "fuzz_check.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"

namespace {

// The pixels of the window checked: a 4096-wide surface gets a window 16 rows high.
constexpr int64_t kWindowPixels = 1 << 16;
constexpr int64_t kWindowSide = 4096;

// The input, read from the front; past its end every byte is 0.
struct Input {
    const uint8_t *data;
    size_t size;
};

uint8_t Byte(Input *in) {
    if (in->size == 0)
        return 0;
    --in->size;
    return *in->data++;
}

uint32_t Bytes(Input *in, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | Byte(in);
    return value;
}

int32_t Side(Input *in) {
    const uint8_t kind = Byte(in);
    const uint32_t v = Bytes(in, 2);
    switch (kind % 4) {
    case 0:
        return static_cast<int32_t>(v % 300);
    case 1: // where the cells tile the surface exactly, and one pixel either side
        return static_cast<int32_t>(64 * (1 + (v & 63)) + (v >> 6) % 3) - 1;
    case 2:
        return static_cast<int32_t>(v);
    default:
        return INT32_MAX - static_cast<int32_t>(v);
    }
}

int32_t Clamped(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// A corner's coordinate on an axis of `extent` pixels: a few pixels off either edge, where the
// corners of the animation go, anywhere across three surfaces' widths, any 32-bit value, or one
// near the ends of the range.
int32_t Coordinate(Input *in, int32_t extent) {
    const uint8_t kind = Byte(in);
    switch (kind % 4) {
    case 0:
        return Clamped(int64_t{(kind & 4) ? extent : 0} + static_cast<int8_t>(Byte(in)));
    case 1:
        return Clamped(-int64_t{extent} + int64_t{Bytes(in, 2)} * 3 * extent / 65535);
    case 2:
        return static_cast<int32_t>(Bytes(in, 4));
    default:
        return (kind & 4) ? INT32_MIN + Byte(in) : INT32_MAX - Byte(in);
    }
}

void ReadOutline(Input *in, int k, int32_t W, int32_t H, CornerPos *corners) {
    for (int c = 0; c < k; ++c) {
        corners[c].x = Coordinate(in, W);
        corners[c].y = Coordinate(in, H);
    }
}

// The part of the surface whose pixels are drawn and checked, at (left, top) of the surface.
struct Window {
    int64_t left, top;
    int width, height;
};

// Every segment of every outline in `color`, each drawn both ways: the line rule may paint p to
// q and q to p apart. Returns false when the outlines cannot be moved into the window without
// leaving 32 bits; nothing is drawn then.
bool DrawOutlines(HDC dc, const Window &w, const std::vector<CornerPos> &corners, int k,
                  COLORREF color) {
    for (const CornerPos &c : corners) {
        if (c.x - w.left < INT32_MIN || c.y - w.top < INT32_MIN)
            return false;
    }
    HGDIOBJ previous = SelectObject(dc, CreatePen(PS_SOLID, 1, color));
    for (size_t first = 0; first < corners.size(); first += size_t(k)) {
        for (int c = 0; c < k; ++c) {
            const CornerPos &p = corners[first + size_t(c)];
            const CornerPos &q = corners[first + size_t((c + 1) % k)];
            const LONG px = static_cast<LONG>(p.x - w.left), py = static_cast<LONG>(p.y - w.top);
            const LONG qx = static_cast<LONG>(q.x - w.left), qy = static_cast<LONG>(q.y - w.top);
            const POINT there_and_back[] = {{px, py}, {qx, qy}, {px, py}};
            Polyline(dc, there_and_back, 3);
        }
    }
    DeleteObject(SelectObject(dc, previous));
    return true;
}

// The first pixel of `color` from `at` on, or `count`. Left out of the coverage feedback: a scan
// of every pixel would otherwise take most of the fuzzer's time and tell it nothing.
__attribute__((noinline, no_sanitize("coverage"))) size_t
NextPixel(const uint32_t *pixels, size_t at, size_t count, uint32_t color) {
    while (at < count && pixels[at] != color)
        ++at;
    return at;
}

bool Covered(const RECT *rects, int count, int64_t x, int64_t y) {
    for (int r = 0; r < count; ++r) {
        if (x >= rects[r].left && x < rects[r].right && y >= rects[r].top && y < rects[r].bottom)
            return true;
    }
    return false;
}

// Each tick draws in a colour of its own, so that the surface need not be cleared in between.
void CheckTick(HDC dc, const Window &w, const std::vector<CornerPos> &drawn, int k, int32_t W,
               int32_t H, COLORREF color) {
    RECT rects[kMaxChangedRects];
    const int count = ChangedRects(rects);
    FUZZ_CHECK(count >= 0 && count <= kMaxChangedRects);
    for (int r = 0; r < count; ++r) {
        const RECT &c = rects[r];
        FUZZ_CHECK(0 <= c.left && c.left < c.right && c.right <= W);
        FUZZ_CHECK(0 <= c.top && c.top < c.bottom && c.bottom <= H);
    }
    if (w.width == 0 || w.height == 0 || !DrawOutlines(dc, w, drawn, k, color))
        return;
    int width = 0, height = 0;
    const uint32_t *pixels = headless::SurfacePixels(dc, &width, &height);
    const size_t total = size_t(width) * size_t(height);
    for (size_t at = NextPixel(pixels, 0, total, color); at < total;
         at = NextPixel(pixels, at + 1, total, color)) {
        const int64_t x = int64_t(at % size_t(width)), y = int64_t(at / size_t(width));
        FUZZ_CHECK(Covered(rects, count, w.left + x, w.top + y));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Input in = {data, size};
    const uint8_t shape = Byte(&in);
    const int n = 1 + (shape & 1);
    const int L = 1 + (shape >> 1) % 3;
    const int ticks = 1 + (shape >> 3 & 1);
    const int k = 2 + Byte(&in) % 7;
    const int32_t W = Side(&in), H = Side(&in);
    Window w;
    w.width = static_cast<int>(std::min<int64_t>(W, kWindowSide));
    w.height = static_cast<int>(std::min<int64_t>(H, kWindowPixels / std::max(w.width, 1)));
    w.left = (int64_t{W} - w.width) * Byte(&in) / 255;
    w.top = (int64_t{H} - w.height) * Byte(&in) / 255;

    headless::Reset();
    ResetAnimation();
    saver_settings = SaverSettings{n, L, k, 10};
    for (int f = 0; f < n; ++f) {
        for (int i = 0; i < L; ++i)
            ReadOutline(&in, k, W, H, animation_state.corner_pos[f][i]);
    }
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ bitmap = SelectObject(dc, CreateCompatibleBitmap(screen, w.width, w.height));

    RememberTrails(W, H);
    for (int tick = 0; tick < ticks; ++tick) {
        // What the tick must bring to the window: every copy remembered, the oldest of which it
        // paints black, and each figure's new copy.
        std::vector<CornerPos> drawn;
        for (int f = 0; f < n; ++f) {
            CornerPos(*slots)[kMaxCorners] = animation_state.corner_pos[f];
            for (int i = 0; i < L; ++i)
                drawn.insert(drawn.end(), slots[i], slots[i] + k);
            for (int i = 0; i + 1 < L; ++i)
                std::copy(slots[i + 1], slots[i + 1] + k, slots[i]);
            ReadOutline(&in, k, W, H, slots[L - 1]);
            drawn.insert(drawn.end(), slots[L - 1], slots[L - 1] + k);
        }
        MarkTick();
        CheckTick(dc, w, drawn, k, W, H, static_cast<COLORREF>(tick + 1));
    }

    DeleteObject(SelectObject(dc, bitmap));
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return 0;
}
