#include "platform/headless/gdi.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

// The stock objects run up to BLACK_PEN; only those of the declared subset exist.
constexpr int kStockCount = BLACK_PEN + 1;

// A bitmap is never larger than this many pixels (1 GiB); larger requests fail like an
// allocation failure would.
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 28;

enum class ObjectKind { kPen, kBrush, kBitmap };

// Pixels in row-major order, 0x00BBGGRR each.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

struct GdiObject {
    ObjectKind kind;
    bool stock = false;
    uint32_t color = 0;
    int selections = 0; // device contexts holding this object
    Surface bitmap;
};

// A window's device context draws into the screen as the screen's own does: windows have no
// place of their own here.
struct DeviceContext {
    bool memory = false; // else the screen's (no window) or a window's
    HWND window = nullptr;
    int handed_out = 0; // GetDC calls not yet matched by ReleaseDC
    HGDIOBJ pen = nullptr;
    HGDIOBJ bitmap = nullptr;
};

// Objects and device contexts draw their handles from one counter and never reuse them, so a
// pen handle can never be mistaken for a device context and a dead handle stays dead. The state
// is kept in one place, so that a reset is one assignment.
struct State {
    std::map<HGDIOBJ, GdiObject> objects;
    std::map<HDC, DeviceContext> dcs;
    uintptr_t last_handle = 0;
    Surface screen;
    HGDIOBJ stock_objects[kStockCount] = {};
    HGDIOBJ default_bitmap = nullptr;
    int flush_calls = 0;
    uint64_t pixels_painted = 0;
};
State state;
// The stock objects and the screen exist from the start of the process.
[[maybe_unused]] const bool started = (headless::ResetGdi(), true);

size_t Offset(const Surface &surface, int64_t x, int64_t y) {
    return size_t(y) * size_t(surface.width) + size_t(x);
}

uint32_t &PixelOf(Surface &surface, int64_t x, int64_t y) {
    return surface.pixels[Offset(surface, x, y)];
}

void MakeSurface(Surface *surface, int width, int height) {
    surface->width = width;
    surface->height = height;
    surface->pixels.assign(size_t(width) * size_t(height), 0);
}

template <typename Handle> Handle NextHandle() {
    return reinterpret_cast<Handle>(++state.last_handle << 4);
}

GdiObject *FindObject(HGDIOBJ handle) {
    auto it = state.objects.find(handle);
    return it == state.objects.end() ? nullptr : &it->second;
}

DeviceContext *FindDc(HDC handle) {
    auto it = state.dcs.find(handle);
    return it == state.dcs.end() ? nullptr : &it->second;
}

HGDIOBJ NewObject(ObjectKind kind, uint32_t color, bool stock) {
    HGDIOBJ handle = NextHandle<HGDIOBJ>();
    state.objects[handle] = {kind, stock, color, 0, Surface()};
    return handle;
}

void Select(HGDIOBJ *slot, HGDIOBJ handle) {
    if (GdiObject *previous = FindObject(*slot))
        --previous->selections;
    if (GdiObject *object = FindObject(handle))
        ++object->selections;
    *slot = handle;
}

HDC NewDc(bool memory, HWND window) {
    HDC handle = NextHandle<HDC>();
    DeviceContext &dc = state.dcs[handle];
    dc = {memory, window, 0, nullptr, nullptr};
    Select(&dc.pen, state.stock_objects[BLACK_PEN]);
    if (memory)
        Select(&dc.bitmap, state.default_bitmap);
    return handle;
}

Surface &SurfaceOf(const DeviceContext &dc) {
    return dc.memory ? FindObject(dc.bitmap)->bitmap : state.screen;
}

// A rectangle in device coordinates: left/top inclusive, right/bottom exclusive.
struct Box {
    int64_t left, top, right, bottom;
};

Box Intersect(Box a, Box b) {
    Box r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
             std::min(a.bottom, b.bottom)};
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

// The surface a device context draws into, all of which it may touch; NULL for a handle that
// names no device context.
Surface *SurfaceFor(HDC handle) {
    const DeviceContext *dc = FindDc(handle);
    return dc ? &SurfaceOf(*dc) : nullptr;
}

Box WholeOf(const Surface &s) {
    return {0, 0, s.width, s.height};
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
    // Coordinates reach 2^32 and extents 2^33, so the first step's numerator needs 128 bits;
    // after it every value stays below 2^35.
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
    state.stock_objects[BLACK_BRUSH] = NewObject(ObjectKind::kBrush, 0x00000000, true);
    state.stock_objects[WHITE_PEN] = NewObject(ObjectKind::kPen, 0x00FFFFFF, true);
    state.stock_objects[BLACK_PEN] = NewObject(ObjectKind::kPen, 0x00000000, true);
    // Every new memory device context holds this 1x1 bitmap until another is selected.
    state.default_bitmap = NewObject(ObjectKind::kBitmap, 0, true);
    MakeSurface(&FindObject(state.default_bitmap)->bitmap, 1, 1);
    MakeSurface(&state.screen, 640, 480);
}

// A new size brings a new, black screen.
void SetScreenSize(int width, int height) {
    MakeSurface(&state.screen, std::max(0, width), std::max(0, height));
}
int ScreenWidth() {
    return state.screen.width;
}
int ScreenHeight() {
    return state.screen.height;
}

uint32_t ScreenPixel(int x, int y) {
    Surface &s = state.screen;
    if (x < 0 || y < 0 || x >= s.width || y >= s.height)
        return CLR_INVALID;
    return PixelOf(s, x, y);
}

const uint32_t *SurfacePixels(HDC handle, int *width, int *height) {
    const DeviceContext *dc = FindDc(handle);
    if (!dc)
        return nullptr;
    const Surface &s = SurfaceOf(*dc);
    *width = s.width;
    *height = s.height;
    return s.pixels.data();
}

int LiveGdiObjects() {
    int count = 0;
    for (const auto &entry : state.objects)
        count += entry.second.stock ? 0 : 1;
    for (const auto &entry : state.dcs)
        count += entry.second.memory ? 1 : 0;
    return count;
}

int LiveDeviceContexts() {
    int count = 0;
    for (const auto &entry : state.dcs)
        count += entry.second.handed_out;
    return count;
}

int GdiFlushCalls() {
    return state.flush_calls;
}

uint64_t PixelsPainted() {
    return state.pixels_painted;
}

} // namespace headless

HDC WINAPI GetDC(HWND window) {
    // Each window keeps one device context, as a class with CS_OWNDC gets; the cache of common
    // contexts may hand out the same one again too.
    auto same = std::find_if(state.dcs.begin(), state.dcs.end(), [window](const auto &entry) {
        return !entry.second.memory && entry.second.window == window;
    });
    HDC handle = same != state.dcs.end() ? same->first : NewDc(false, window);
    ++state.dcs[handle].handed_out;
    return handle;
}

int WINAPI ReleaseDC(HWND window, HDC handle) {
    DeviceContext *dc = FindDc(handle);
    if (!dc || dc->memory || dc->window != window || dc->handed_out == 0)
        return 0;
    --dc->handed_out;
    return 1;
}

int WINAPI GetClipBox(HDC handle, LPRECT rect) {
    const Surface *s = SurfaceFor(handle);
    if (!s)
        return ERROR;
    *rect = {0, 0, s->width, s->height};
    return s->width == 0 || s->height == 0 ? NULLREGION : SIMPLEREGION;
}

HGDIOBJ WINAPI GetStockObject(int object) {
    return object >= 0 && object < kStockCount ? state.stock_objects[object] : nullptr;
}

HDC WINAPI CreateCompatibleDC(HDC handle) {
    if (handle && !FindDc(handle))
        return nullptr;
    return NewDc(true, nullptr);
}

// Every surface here is 32 bits per pixel, so a bitmap made compatible with a memory device
// context that still holds its 1x1 default bitmap is a colour bitmap too.
HBITMAP WINAPI CreateCompatibleBitmap(HDC handle, int width, int height) {
    if (!FindDc(handle) || width < 0 || height < 0)
        return nullptr;
    if (width == 0 || height == 0)
        return reinterpret_cast<HBITMAP>(state.default_bitmap);
    if (int64_t{width} * height > kMaxBitmapPixels)
        return nullptr;
    HGDIOBJ bitmap = NewObject(ObjectKind::kBitmap, 0, false);
    MakeSurface(&FindObject(bitmap)->bitmap, width, height);
    return reinterpret_cast<HBITMAP>(bitmap);
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object_handle) {
    DeviceContext *dc = FindDc(handle);
    GdiObject *object = FindObject(object_handle);
    if (!dc || !object || object->kind == ObjectKind::kBrush)
        return nullptr;
    HGDIOBJ *slot = &dc->pen;
    if (object->kind == ObjectKind::kBitmap) {
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
    GdiObject *object = FindObject(handle);
    if (!object || (object->selections > 0 && !object->stock))
        return FALSE;
    if (!object->stock)
        state.objects.erase(handle);
    return TRUE;
}

BOOL WINAPI DeleteDC(HDC handle) {
    DeviceContext *dc = FindDc(handle);
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
    return static_cast<HPEN>(NewObject(ObjectKind::kPen, color & 0x00FFFFFF, false));
}

BOOL WINAPI Polyline(HDC handle, const POINT *points, int count) {
    const DeviceContext *dc = FindDc(handle);
    if (!dc || !points || count < 2)
        return FALSE;
    const GdiObject *pen = FindObject(dc->pen);
    for (int i = 0; i + 1 < count; ++i)
        DrawSegment(SurfaceOf(*dc), points[i].x, points[i].y, points[i + 1].x, points[i + 1].y,
                    pen->color);
    return TRUE;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int src_x, int src_y,
                   DWORD rop) {
    Surface *to = SurfaceFor(dest);
    if (!to || width < 0 || height < 0)
        return FALSE;
    Box box = Intersect({x, y, int64_t{x} + width, int64_t{y} + height}, WholeOf(*to));
    if (rop == BLACKNESS || rop == WHITENESS) {
        for (int64_t row = box.top; row < box.bottom; ++row)
            for (int64_t column = box.left; column < box.right; ++column)
                PixelOf(*to, column, row) = rop == BLACKNESS ? 0x00000000 : 0x00FFFFFF;
        return TRUE;
    }
    const Surface *from = SurfaceFor(source);
    if (rop != SRCCOPY || !from)
        return FALSE;
    // Pixels whose source lies outside the source's surface are left as they were.
    const int64_t dx = int64_t{src_x} - x, dy = int64_t{src_y} - y;
    box = Intersect(box, {-dx, -dy, from->width - dx, from->height - dy});
    // A copy within one surface reads from a copy of it, so that overlapping rectangles come out
    // as if every pixel moved at once.
    const std::vector<uint32_t> copy = from == to ? from->pixels : std::vector<uint32_t>();
    const uint32_t *pixels = from == to ? copy.data() : from->pixels.data();
    for (int64_t row = box.top; row < box.bottom; ++row)
        for (int64_t column = box.left; column < box.right; ++column)
            PixelOf(*to, column, row) = pixels[Offset(*from, column + dx, row + dy)];
    return TRUE;
}

BOOL WINAPI GdiFlush() {
    ++state.flush_calls;
    return TRUE;
}

// CLR_INVALID outside what the device context may touch.
COLORREF WINAPI GetPixel(HDC handle, int x, int y) {
    Surface *s = SurfaceFor(handle);
    if (!s || x < 0 || x >= s->width || y < 0 || y >= s->height)
        return CLR_INVALID;
    return PixelOf(*s, x, y);
}
