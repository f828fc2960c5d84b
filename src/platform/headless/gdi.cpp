#include "platform/headless/gdi.h"

#include <algorithm>
#include <vector>

#include "platform/headless/window.h"

namespace {

// Stock object numbers of GetStockObject that are not in the declared subset.
constexpr int kWhiteBrush = 0;
constexpr int kNullPen = 8;

// A bitmap is never larger than this many pixels (1 GiB); larger requests fail like an
// allocation failure would.
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 28;

enum class ObjectKind : uint8_t { kFree, kPen, kBrush, kBitmap };
enum class DcKind : uint8_t { kFree, kMemory, kScreen, kWindow };

// Pixels in row-major order, 0x00BBGGRR each.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

size_t Offset(const Surface &surface, int64_t x, int64_t y) {
    return size_t(y) * size_t(surface.width) + size_t(x);
}

uint32_t &PixelOf(Surface &surface, int64_t x, int64_t y) {
    return surface.pixels[Offset(surface, x, y)];
}

// A black surface of the given size.
void MakeSurface(Surface *surface, int width, int height) {
    surface->width = width;
    surface->height = height;
    surface->pixels.assign(size_t(width) * size_t(height), 0);
}

struct GdiObject {
    ObjectKind kind = ObjectKind::kFree;
    bool stock = false;
    bool draws = true; // false for null pens and brushes
    uint32_t color = 0;
    int selections = 0; // device contexts holding this object
    Surface bitmap;
};

struct DeviceContext {
    DcKind kind = DcKind::kFree;
    HWND window = nullptr;
    int handed_out = 0; // GetDC calls not yet matched by ReleaseDC
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ bitmap = nullptr;
};

// Handles are table indexes with a tag in the low bits, so a pen handle can never be mistaken
// for a device context and a stray pointer is rejected.
constexpr uintptr_t kObjectTag = 1;
constexpr uintptr_t kDcTag = 2;

std::vector<GdiObject> objects;
std::vector<size_t> free_objects;
std::vector<DeviceContext> dcs;
std::vector<size_t> free_dcs;
Surface screen;
HGDIOBJ stock_objects[9];
HGDIOBJ default_bitmap;
int live_objects;
int flush_calls;
uint64_t pixels_painted;

uintptr_t EncodeHandle(size_t index, uintptr_t tag) {
    return ((index + 1) << 3) | tag;
}

template <typename T> T *Decode(const void *handle, uintptr_t tag, std::vector<T> &table) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if ((value & 7) != tag || value < 8)
        return nullptr;
    const size_t index = (value >> 3) - 1;
    return index < table.size() ? &table[index] : nullptr;
}

GdiObject *FindObject(HGDIOBJ handle) {
    GdiObject *object = Decode(handle, kObjectTag, objects);
    return object && object->kind != ObjectKind::kFree ? object : nullptr;
}

DeviceContext *FindDc(HDC handle) {
    DeviceContext *dc = Decode(handle, kDcTag, dcs);
    return dc && dc->kind != DcKind::kFree ? dc : nullptr;
}

// A fresh entry of a handle table, reusing a freed one first.
template <typename T> size_t TakeSlot(std::vector<T> &table, std::vector<size_t> &free_slots) {
    size_t index = table.size();
    if (free_slots.empty()) {
        table.emplace_back();
    } else {
        index = free_slots.back();
        free_slots.pop_back();
        table[index] = T();
    }
    return index;
}

HGDIOBJ NewObject(ObjectKind kind) {
    const size_t index = TakeSlot(objects, free_objects);
    objects[index].kind = kind;
    ++live_objects;
    return reinterpret_cast<HGDIOBJ>(EncodeHandle(index, kObjectTag));
}

void FreeObject(HGDIOBJ handle) {
    const size_t index = (reinterpret_cast<uintptr_t>(handle) >> 3) - 1;
    objects[index] = GdiObject();
    free_objects.push_back(index);
    --live_objects;
}

HGDIOBJ NewStock(ObjectKind kind, uint32_t color, bool draws) {
    HGDIOBJ handle = NewObject(kind);
    GdiObject *object = FindObject(handle);
    object->stock = true;
    object->color = color;
    object->draws = draws;
    --live_objects;
    return handle;
}

HDC NewDc(DcKind kind) {
    const size_t index = TakeSlot(dcs, free_dcs);
    DeviceContext &dc = dcs[index];
    dc.kind = kind;
    dc.pen = stock_objects[BLACK_PEN];
    dc.brush = stock_objects[kWhiteBrush];
    dc.bitmap = kind == DcKind::kMemory ? default_bitmap : nullptr;
    for (HGDIOBJ selected : {dc.pen, dc.brush, dc.bitmap})
        if (selected)
            ++FindObject(selected)->selections;
    if (kind == DcKind::kMemory)
        ++live_objects;
    return reinterpret_cast<HDC>(EncodeHandle(index, kDcTag));
}

// The screen follows the desktop's size; a change of size starts a new, black screen.
Surface &Screen() {
    const int width = std::max(0, headless::ScreenWidth());
    const int height = std::max(0, headless::ScreenHeight());
    if (width != screen.width || height != screen.height)
        MakeSurface(&screen, width, height);
    return screen;
}

// Where a device context draws: a surface, the device position of its logical origin and the
// rectangle of the surface it may touch (left/top inclusive, right/bottom exclusive).
struct Target {
    Surface *surface = nullptr;
    int64_t origin_x = 0;
    int64_t origin_y = 0;
    int64_t clip_left = 0;
    int64_t clip_top = 0;
    int64_t clip_right = 0;
    int64_t clip_bottom = 0;
};

bool Shown(HWND window) {
    for (HWND w = window; w; w = GetParent(w)) {
        const DWORD style = headless::WindowStyle(w);
        if (!(style & WS_VISIBLE))
            return false;
        if (!(style & WS_CHILD))
            return true;
    }
    return true;
}

bool ResolveTarget(const DeviceContext &dc, Target *target) {
    Surface *surface;
    int64_t left = 0, top = 0, right, bottom;
    if (dc.kind == DcKind::kMemory) {
        surface = &FindObject(dc.bitmap)->bitmap;
        right = surface->width;
        bottom = surface->height;
    } else {
        surface = &Screen();
        right = surface->width;
        bottom = surface->height;
        if (dc.kind == DcKind::kWindow) {
            RECT client;
            if (!headless::WindowClientOnScreen(dc.window, &client))
                return false;
            // A window that is not shown, or whose parents are not, has nothing on the screen
            // to draw into.
            if (!Shown(dc.window))
                client.right = client.left, client.bottom = client.top;
            target->origin_x = client.left;
            target->origin_y = client.top;
            left = std::max<int64_t>(left, client.left);
            top = std::max<int64_t>(top, client.top);
            right = std::min<int64_t>(right, client.right);
            bottom = std::min<int64_t>(bottom, client.bottom);
        }
    }
    target->surface = surface;
    target->clip_left = left;
    target->clip_top = top;
    target->clip_right = std::max(left, right);
    target->clip_bottom = std::max(top, bottom);
    return true;
}

bool ResolveTarget(HDC handle, Target *target) {
    const DeviceContext *dc = FindDc(handle);
    return dc && ResolveTarget(*dc, target);
}

// One segment from (x0, y0) towards (x1, y1), leaving out (x1, y1), in device coordinates.
// Along the major axis (the longer of the two extents, x on a tie) step i = 0..d-1 paints
// major = start + i and minor = start + floor((2 minor_extent i + d) / 2d): halves round away
// from the start. Clipping keeps exactly the steps that land inside, so a clipped line paints
// the same pixels as the unclipped one would; only the steps whose major coordinate is inside
// are walked, and the error term starts at the first of them.
void DrawSegment(const Target &t, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t color) {
    const bool x_major = std::abs(x1 - x0) >= std::abs(y1 - y0);
    const int64_t a0 = x_major ? x0 : y0, b0 = x_major ? y0 : x0;
    const int64_t da = std::abs(x_major ? x1 - x0 : y1 - y0);
    const int64_t db = std::abs(x_major ? y1 - y0 : x1 - x0);
    const int64_t sa = (x_major ? x1 - x0 : y1 - y0) > 0 ? 1 : -1;
    const int64_t sb = (x_major ? y1 - y0 : x1 - x0) > 0 ? 1 : -1;
    const int64_t a_min = x_major ? t.clip_left : t.clip_top;
    const int64_t a_end = x_major ? t.clip_right : t.clip_bottom;
    const int64_t b_min = x_major ? t.clip_top : t.clip_left;
    const int64_t b_end = x_major ? t.clip_bottom : t.clip_right;
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
            PixelOf(*t.surface, x_major ? a : b, x_major ? b : a) = color;
            ++pixels_painted;
        }
        error += 2 * db;
        if (error >= 2 * da) {
            error -= 2 * da;
            ++j;
        }
    }
}

// Both rectangles as left, top, right, bottom in device coordinates.
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

Box ClipBox(const Target &t) {
    return {t.clip_left, t.clip_top, t.clip_right, t.clip_bottom};
}

// The pixel at a logical position of a device context; NULL outside what it may touch.
uint32_t *PixelAt(HDC handle, int x, int y) {
    Target t;
    if (!ResolveTarget(handle, &t))
        return nullptr;
    const int64_t px = t.origin_x + x, py = t.origin_y + y;
    if (px < t.clip_left || px >= t.clip_right || py < t.clip_top || py >= t.clip_bottom)
        return nullptr;
    return &PixelOf(*t.surface, px, py);
}

void Deselect(HGDIOBJ handle) {
    if (GdiObject *object = FindObject(handle))
        --object->selections;
}

} // namespace

namespace headless {

void ResetGdi() {
    objects.clear();
    free_objects.clear();
    dcs.clear();
    free_dcs.clear();
    screen = Surface();
    live_objects = 0;
    flush_calls = 0;
    pixels_painted = 0;
    for (HGDIOBJ &stock : stock_objects)
        stock = nullptr;
    stock_objects[kWhiteBrush] = NewStock(ObjectKind::kBrush, 0x00FFFFFF, true);
    stock_objects[BLACK_BRUSH] = NewStock(ObjectKind::kBrush, 0x00000000, true);
    stock_objects[NULL_BRUSH] = NewStock(ObjectKind::kBrush, 0x00000000, false);
    stock_objects[WHITE_PEN] = NewStock(ObjectKind::kPen, 0x00FFFFFF, true);
    stock_objects[BLACK_PEN] = NewStock(ObjectKind::kPen, 0x00000000, true);
    stock_objects[kNullPen] = NewStock(ObjectKind::kPen, 0x00000000, false);
    // Every new memory device context holds this 1x1 bitmap until another is selected.
    default_bitmap = NewStock(ObjectKind::kBitmap, 0, true);
    MakeSurface(&FindObject(default_bitmap)->bitmap, 1, 1);
}

uint32_t ScreenPixel(int x, int y) {
    Surface &s = Screen();
    if (x < 0 || y < 0 || x >= s.width || y >= s.height)
        return CLR_INVALID;
    return PixelOf(s, x, y);
}

const uint32_t *SurfacePixels(HDC handle, int *width, int *height) {
    const DeviceContext *dc = FindDc(handle);
    if (!dc)
        return nullptr;
    Surface &s = dc->kind == DcKind::kMemory ? FindObject(dc->bitmap)->bitmap : Screen();
    *width = s.width;
    *height = s.height;
    return s.pixels.data();
}

int LiveGdiObjects() {
    return live_objects;
}

int LiveDeviceContexts() {
    int count = 0;
    for (const DeviceContext &dc : dcs)
        if (dc.kind == DcKind::kScreen || dc.kind == DcKind::kWindow)
            count += dc.handed_out;
    return count;
}

int GdiFlushCalls() {
    return flush_calls;
}

uint64_t PixelsPainted() {
    return pixels_painted;
}

} // namespace headless

HDC WINAPI GetDC(HWND window) {
    if (objects.empty())
        headless::ResetGdi();
    RECT client;
    if (window && !headless::WindowClientOnScreen(window, &client))
        return nullptr;
    // Each window keeps one device context, as a class with CS_OWNDC gets; the cache of common
    // contexts may hand out the same one again too.
    const DcKind kind = window ? DcKind::kWindow : DcKind::kScreen;
    for (size_t i = 0; i < dcs.size(); ++i) {
        if (dcs[i].kind == kind && dcs[i].window == window) {
            ++dcs[i].handed_out;
            return reinterpret_cast<HDC>(EncodeHandle(i, kDcTag));
        }
    }
    HDC handle = NewDc(kind);
    DeviceContext *dc = FindDc(handle);
    dc->window = window;
    dc->handed_out = 1;
    return handle;
}

int WINAPI ReleaseDC(HWND window, HDC handle) {
    DeviceContext *dc = FindDc(handle);
    if (!dc || dc->kind == DcKind::kMemory || dc->window != window || dc->handed_out == 0)
        return 0;
    --dc->handed_out;
    return 1;
}

int WINAPI GetClipBox(HDC handle, LPRECT rect) {
    Target t;
    if (!ResolveTarget(handle, &t))
        return ERROR;
    rect->left = static_cast<LONG>(t.clip_left - t.origin_x);
    rect->top = static_cast<LONG>(t.clip_top - t.origin_y);
    rect->right = static_cast<LONG>(t.clip_right - t.origin_x);
    rect->bottom = static_cast<LONG>(t.clip_bottom - t.origin_y);
    const bool empty = t.clip_left >= t.clip_right || t.clip_top >= t.clip_bottom;
    return empty ? NULLREGION : SIMPLEREGION;
}

HGDIOBJ WINAPI GetStockObject(int object) {
    if (objects.empty())
        headless::ResetGdi();
    if (object < 0 || object >= int(sizeof stock_objects / sizeof stock_objects[0]))
        return nullptr;
    return stock_objects[object];
}

HDC WINAPI CreateCompatibleDC(HDC handle) {
    if (objects.empty())
        headless::ResetGdi();
    if (handle && !FindDc(handle))
        return nullptr;
    return NewDc(DcKind::kMemory);
}

// Every surface here is 32 bits per pixel, so a bitmap made compatible with a memory device
// context that still holds its 1x1 default bitmap is a colour bitmap too.
HBITMAP WINAPI CreateCompatibleBitmap(HDC handle, int width, int height) {
    if (!FindDc(handle) || width < 0 || height < 0)
        return nullptr;
    if (width == 0 || height == 0)
        return reinterpret_cast<HBITMAP>(default_bitmap);
    if (int64_t{width} * height > kMaxBitmapPixels)
        return nullptr;
    HGDIOBJ bitmap = NewObject(ObjectKind::kBitmap);
    MakeSurface(&FindObject(bitmap)->bitmap, width, height);
    return reinterpret_cast<HBITMAP>(bitmap);
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object_handle) {
    DeviceContext *dc = FindDc(handle);
    GdiObject *object = FindObject(object_handle);
    if (!dc || !object)
        return nullptr;
    HGDIOBJ *slot;
    switch (object->kind) {
    case ObjectKind::kPen:
        slot = &dc->pen;
        break;
    case ObjectKind::kBrush:
        slot = &dc->brush;
        break;
    case ObjectKind::kBitmap:
        // Only a memory device context takes a bitmap, and a bitmap lives in one context at a
        // time (the shared default bitmap excepted).
        if (dc->kind != DcKind::kMemory)
            return nullptr;
        if (object->selections > 0 && !object->stock && dc->bitmap != object_handle)
            return nullptr;
        slot = &dc->bitmap;
        break;
    default:
        return nullptr;
    }
    HGDIOBJ previous = *slot;
    Deselect(previous);
    ++object->selections;
    *slot = object_handle;
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    GdiObject *object = FindObject(handle);
    if (!object || (object->selections > 0 && !object->stock))
        return FALSE;
    if (!object->stock)
        FreeObject(handle);
    return TRUE;
}

BOOL WINAPI DeleteDC(HDC handle) {
    DeviceContext *dc = FindDc(handle);
    if (!dc || dc->kind != DcKind::kMemory)
        return FALSE;
    Deselect(dc->pen);
    Deselect(dc->brush);
    Deselect(dc->bitmap);
    *dc = DeviceContext();
    free_dcs.push_back((reinterpret_cast<uintptr_t>(handle) >> 3) - 1);
    --live_objects;
    return TRUE;
}

// Every pen is drawn one pixel wide; styles other than the null pen draw solid.
HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    if (objects.empty())
        headless::ResetGdi();
    if (style < 0 || style > 6 || width < 0)
        return nullptr;
    HGDIOBJ pen = NewObject(ObjectKind::kPen);
    GdiObject *object = FindObject(pen);
    object->color = color & 0x00FFFFFF;
    object->draws = style != 5;
    return reinterpret_cast<HPEN>(pen);
}

BOOL WINAPI Polyline(HDC handle, const POINT *points, int count) {
    const DeviceContext *dc = FindDc(handle);
    Target t;
    if (!dc || !points || count < 2 || !ResolveTarget(*dc, &t))
        return FALSE;
    const GdiObject *pen = FindObject(dc->pen);
    if (!pen->draws)
        return TRUE;
    for (int i = 0; i + 1 < count; ++i)
        DrawSegment(t, t.origin_x + points[i].x, t.origin_y + points[i].y,
                    t.origin_x + points[i + 1].x, t.origin_y + points[i + 1].y, pen->color);
    return TRUE;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int src_x, int src_y,
                   DWORD rop) {
    Target to;
    if (!ResolveTarget(dest, &to) || width < 0 || height < 0)
        return FALSE;
    const int64_t left = to.origin_x + x, top = to.origin_y + y;
    Box box = Intersect({left, top, left + width, top + height}, ClipBox(to));
    if (rop == BLACKNESS || rop == WHITENESS) {
        const uint32_t color = rop == BLACKNESS ? 0x00000000 : 0x00FFFFFF;
        for (int64_t row = box.top; row < box.bottom; ++row)
            for (int64_t column = box.left; column < box.right; ++column)
                PixelOf(*to.surface, column, row) = color;
        return TRUE;
    }
    Target from;
    if (rop != SRCCOPY || !ResolveTarget(source, &from))
        return FALSE;
    // Pixels whose source lies outside the source's surface are left as they were.
    const int64_t shift_x = from.origin_x + src_x - left, shift_y = from.origin_y + src_y - top;
    Box source_box = Intersect(
        {box.left + shift_x, box.top + shift_y, box.right + shift_x, box.bottom + shift_y},
        ClipBox(from));
    box = {source_box.left - shift_x, source_box.top - shift_y, source_box.right - shift_x,
           source_box.bottom - shift_y};
    // A copy within one surface reads from a copy of it, so that overlapping rectangles come out
    // as if every pixel moved at once.
    std::vector<uint32_t> copy;
    if (from.surface == to.surface)
        copy = from.surface->pixels;
    const uint32_t *from_pixels = copy.empty() ? from.surface->pixels.data() : copy.data();
    for (int64_t row = box.top; row < box.bottom; ++row)
        for (int64_t column = box.left; column < box.right; ++column)
            PixelOf(*to.surface, column, row) =
                from_pixels[Offset(*from.surface, column + shift_x, row + shift_y)];
    return TRUE;
}

BOOL WINAPI GdiFlush() {
    ++flush_calls;
    return TRUE;
}

COLORREF WINAPI GetPixel(HDC handle, int x, int y) {
    uint32_t *pixel = PixelAt(handle, x, y);
    return pixel ? *pixel : CLR_INVALID;
}

COLORREF WINAPI SetPixel(HDC handle, int x, int y, COLORREF color) {
    uint32_t *pixel = PixelAt(handle, x, y);
    if (!pixel)
        return CLR_INVALID;
    return *pixel = color & 0x00FFFFFF;
}
