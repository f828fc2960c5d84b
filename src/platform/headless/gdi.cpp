#include "platform/headless/gdi.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

// A bitmap is never larger than this many pixels (1 GiB); larger requests fail like an
// allocation failure would.
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 28;

// Pixels in row-major order, 0x00BBGGRR each.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

enum class Kind { kPen, kBrush, kBitmap };

struct Object {
    Kind kind;
    bool stock;
    uint32_t color;
    int selections; // device contexts holding this object
    Surface bitmap;
};

// A memory device context draws into its bitmap; every other one into the screen, a window's as
// the screen's own does, since windows have no place of their own here.
struct DeviceContext {
    bool memory;
    HWND window;
    HGDIOBJ pen;
    HGDIOBJ bitmap;
};

// Objects and device contexts draw their handles from one counter and never reuse them, so a
// pen handle can never be mistaken for a device context and a dead handle stays dead.
struct State {
    std::map<HGDIOBJ, Object> objects;
    std::map<HDC, DeviceContext> dcs;
    uintptr_t last_handle = 0;
    Surface screen;
    POINT screen_origin = {0, 0};
    HGDIOBJ stock[BLACK_PEN + 1] = {}; // only those of the declared subset exist
    HGDIOBJ default_bitmap = nullptr;
    uint64_t pixels_painted = 0;
};
State state;
// The stock objects and the screen exist from the start of the process.
[[maybe_unused]] const bool started = (headless::ResetGdi(), true);

void MakeSurface(Surface *surface, int width, int height) {
    *surface = {width, height, std::vector<uint32_t>(size_t(width) * size_t(height), 0)};
}

size_t Offset(const Surface &surface, int64_t x, int64_t y) {
    return size_t(y) * size_t(surface.width) + size_t(x);
}

uint32_t &PixelOf(Surface &surface, int64_t x, int64_t y) {
    return surface.pixels[Offset(surface, x, y)];
}

template <typename Map> auto *Find(Map &map, typename Map::key_type handle) {
    auto it = map.find(handle);
    return it == map.end() ? nullptr : &it->second;
}

HGDIOBJ NewObject(Kind kind, uint32_t color, bool stock) {
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(++state.last_handle << 4);
    state.objects[handle] = {kind, stock, color, 0, Surface()};
    return handle;
}

void Select(HGDIOBJ *slot, HGDIOBJ handle) {
    if (Object *previous = Find(state.objects, *slot))
        --previous->selections;
    if (Object *object = Find(state.objects, handle))
        ++object->selections;
    *slot = handle;
}

HDC NewDc(bool memory, HWND window) {
    HDC handle = reinterpret_cast<HDC>(++state.last_handle << 4);
    DeviceContext &dc = state.dcs[handle] = {memory, window, nullptr, nullptr};
    Select(&dc.pen, state.stock[BLACK_PEN]);
    if (memory)
        Select(&dc.bitmap, state.default_bitmap);
    return handle;
}

// The surface a device context draws into, all of which it may touch; NULL for a handle that
// names no device context.
Surface *SurfaceFor(HDC handle) {
    const DeviceContext *dc = Find(state.dcs, handle);
    if (!dc)
        return nullptr;
    return dc->memory ? &Find(state.objects, dc->bitmap)->bitmap : &state.screen;
}

// CLR_INVALID outside the surface.
COLORREF PixelAt(Surface *s, int x, int y) {
    if (!s || x < 0 || x >= s->width || y < 0 || y >= s->height)
        return CLR_INVALID;
    return PixelOf(*s, x, y);
}

// One segment from (x0, y0) towards (x1, y1), leaving out (x1, y1), in device coordinates.
// Along the major axis (the longer of the two extents, x on a tie) step i = 0..d-1 paints
// major = start + i and minor = start + floor((2 minor_extent i + d) / 2d): halves round away
// from the start. Clipping keeps exactly the steps that land inside, so a clipped line paints
// the same pixels as the unclipped one would; only the steps whose major coordinate is inside
// are walked, and the error term starts at the first of them.
void DrawSegment(Surface &s, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t color) {
    const bool x_major = std::abs(x1 - x0) >= std::abs(y1 - y0);
    const int64_t a0 = x_major ? x0 : y0, b0 = x_major ? y0 : x0;
    const int64_t a1 = x_major ? x1 : y1, b1 = x_major ? y1 : x1;
    const int64_t da = std::abs(a1 - a0), db = std::abs(b1 - b0);
    const int64_t sa = a1 > a0 ? 1 : -1, sb = b1 > b0 ? 1 : -1;
    const int64_t a_min = 0, a_end = x_major ? s.width : s.height;
    const int64_t b_min = 0, b_end = x_major ? s.height : s.width;
    const int64_t first = std::max<int64_t>(0, sa > 0 ? a_min - a0 : a0 - (a_end - 1));
    const int64_t last = std::min(da - 1, sa > 0 ? a_end - 1 - a0 : a0 - a_min);
    if (first > last)
        return;
    // Extents reach 2^32, so the first step's numerator needs more than 64 bits; after it every
    // value stays below 2^34.
    const __int128 numerator = 2 * __int128{db} * first + da;
    int64_t j = static_cast<int64_t>(numerator / (2 * da));
    int64_t error = static_cast<int64_t>(numerator % (2 * da));
    for (int64_t i = first; i <= last; ++i) {
        const int64_t a = a0 + sa * i, b = b0 + sb * j;
        if (b >= b_min && b < b_end) {
            PixelOf(s, x_major ? a : b, x_major ? b : a) = color;
            ++state.pixels_painted;
        }
        error += 2 * db;
        if (error >= 2 * da) {
            error -= 2 * da;
            ++j;
        }
    }
}

} // namespace

namespace headless {

void ResetGdi() {
    state = State();
    // The black brush only paints window backgrounds, which the headless screen has black
    // already; no device context selects a brush.
    state.stock[BLACK_BRUSH] = NewObject(Kind::kBrush, 0x00000000, true);
    state.stock[WHITE_PEN] = NewObject(Kind::kPen, 0x00FFFFFF, true);
    state.stock[BLACK_PEN] = NewObject(Kind::kPen, 0x00000000, true);
    // Every new memory device context holds this 1x1 bitmap until another is selected.
    state.default_bitmap = NewObject(Kind::kBitmap, 0, true);
    MakeSurface(&Find(state.objects, state.default_bitmap)->bitmap, 1, 1);
    MakeSurface(&state.screen, 640, 480);
}

void SetScreenSize(int width, int height) {
    MakeSurface(&state.screen, std::max(0, width), std::max(0, height));
}

void SetScreenOrigin(int left, int top) {
    state.screen_origin = {left, top};
}

uint32_t ScreenPixel(int x, int y) {
    return PixelAt(&state.screen, x, y);
}

const uint32_t *SurfacePixels(HDC handle, int *width, int *height) {
    const Surface *s = SurfaceFor(handle);
    if (!s)
        return nullptr;
    *width = s->width;
    *height = s->height;
    return s->pixels.data();
}

int LiveGdiObjects() {
    const auto own = [](const auto &entry) { return !entry.second.stock; };
    const auto memory = [](const auto &entry) { return entry.second.memory; };
    return static_cast<int>(std::count_if(state.objects.begin(), state.objects.end(), own) +
                            std::count_if(state.dcs.begin(), state.dcs.end(), memory));
}

int LiveDeviceContexts() {
    return static_cast<int>(std::count_if(state.dcs.begin(), state.dcs.end(),
                                          [](const auto &entry) { return !entry.second.memory; }));
}

uint64_t PixelsPainted() {
    return state.pixels_painted;
}

} // namespace headless

// Every GetDC hands out a context of its own onto the screen, until ReleaseDC gives it back.
HDC WINAPI GetDC(HWND window) {
    return NewDc(false, window);
}

int WINAPI ReleaseDC(HWND window, HDC handle) {
    const DeviceContext *dc = Find(state.dcs, handle);
    if (!dc || dc->memory || dc->window != window)
        return 0;
    state.dcs.erase(handle);
    return 1;
}

int WINAPI GetClipBox(HDC handle, LPRECT rect) {
    const Surface *s = SurfaceFor(handle);
    if (!s)
        return ERROR;
    const DeviceContext *dc = Find(state.dcs, handle);
    const POINT origin = !dc->memory && !dc->window ? state.screen_origin : POINT{0, 0};
    *rect = {origin.x, origin.y, origin.x + s->width, origin.y + s->height};
    return s->width == 0 || s->height == 0 ? NULLREGION : SIMPLEREGION;
}

HGDIOBJ WINAPI GetStockObject(int object) {
    return object >= 0 && object <= BLACK_PEN ? state.stock[object] : nullptr;
}

HDC WINAPI CreateCompatibleDC(HDC handle) {
    return handle && !Find(state.dcs, handle) ? nullptr : NewDc(true, nullptr);
}

// Every surface here is 32 bits per pixel, so a bitmap made compatible with a memory device
// context that still holds its 1x1 default bitmap is a colour bitmap too.
HBITMAP WINAPI CreateCompatibleBitmap(HDC handle, int width, int height) {
    if (!Find(state.dcs, handle) || width < 0 || height < 0)
        return nullptr;
    if (width == 0 || height == 0)
        return reinterpret_cast<HBITMAP>(state.default_bitmap);
    if (int64_t{width} * height > kMaxBitmapPixels)
        return nullptr;
    HGDIOBJ bitmap = NewObject(Kind::kBitmap, 0, false);
    MakeSurface(&Find(state.objects, bitmap)->bitmap, width, height);
    return reinterpret_cast<HBITMAP>(bitmap);
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object_handle) {
    DeviceContext *dc = Find(state.dcs, handle);
    Object *object = Find(state.objects, object_handle);
    if (!dc || !object || object->kind == Kind::kBrush)
        return nullptr;
    HGDIOBJ *slot = &dc->pen;
    if (object->kind == Kind::kBitmap) {
        // Only a memory device context takes a bitmap, and a bitmap lives in one context at a
        // time (the shared default bitmap excepted).
        if (!dc->memory ||
            (object->selections > 0 && !object->stock && dc->bitmap != object_handle))
            return nullptr;
        slot = &dc->bitmap;
    }
    HGDIOBJ previous = *slot;
    Select(slot, object_handle);
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    Object *object = Find(state.objects, handle);
    if (!object || (object->selections > 0 && !object->stock))
        return FALSE;
    if (!object->stock)
        state.objects.erase(handle);
    return TRUE;
}

BOOL WINAPI DeleteDC(HDC handle) {
    DeviceContext *dc = Find(state.dcs, handle);
    if (!dc || !dc->memory)
        return FALSE;
    Select(&dc->pen, nullptr);
    Select(&dc->bitmap, nullptr);
    state.dcs.erase(handle);
    return TRUE;
}

// Pens are solid and drawn one pixel wide.
HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    if (style != PS_SOLID || width < 0)
        return nullptr;
    return static_cast<HPEN>(NewObject(Kind::kPen, color & 0x00FFFFFF, false));
}

BOOL WINAPI Polyline(HDC handle, const POINT *points, int count) {
    const DeviceContext *dc = Find(state.dcs, handle);
    if (!dc || !points || count < 2)
        return FALSE;
    const uint32_t color = Find(state.objects, dc->pen)->color;
    for (int i = 0; i + 1 < count; ++i)
        DrawSegment(*SurfaceFor(handle), points[i].x, points[i].y, points[i + 1].x, points[i + 1].y,
                    color);
    return TRUE;
}

// Pixels outside either surface are left as they were.
BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int src_x, int src_y,
                   DWORD rop) {
    Surface *to = SurfaceFor(dest);
    const Surface *from = SurfaceFor(source);
    const bool fill = rop == BLACKNESS || rop == WHITENESS;
    if (!to || width < 0 || height < 0 || (!fill && (rop != SRCCOPY || !from)))
        return FALSE;
    const int64_t dx = fill ? 0 : int64_t{src_x} - x, dy = fill ? 0 : int64_t{src_y} - y;
    const int64_t left = std::max({int64_t{x}, int64_t{0}, fill ? 0 : -dx});
    const int64_t top = std::max({int64_t{y}, int64_t{0}, fill ? 0 : -dy});
    const int64_t right =
        std::min({int64_t{x} + width, int64_t{to->width}, fill ? INT64_MAX : from->width - dx});
    const int64_t bottom =
        std::min({int64_t{y} + height, int64_t{to->height}, fill ? INT64_MAX : from->height - dy});
    // A copy within one surface reads from a copy of it, so that overlapping rectangles come out
    // as if every pixel moved at once.
    const std::vector<uint32_t> copy = from == to ? from->pixels : std::vector<uint32_t>();
    const uint32_t *pixels = fill ? nullptr : from == to ? copy.data() : from->pixels.data();
    const uint32_t fill_colour = rop == BLACKNESS ? 0x00000000 : 0x00FFFFFF;
    for (int64_t row = top; row < bottom; ++row)
        for (int64_t column = left; column < right; ++column)
            PixelOf(*to, column, row) =
                fill ? fill_colour : pixels[Offset(*from, column + dx, row + dy)];
    return TRUE;
}

BOOL WINAPI GdiFlush() {
    return TRUE;
}

COLORREF WINAPI GetPixel(HDC handle, int x, int y) {
    return PixelAt(SurfaceFor(handle), x, y);
}
