#include "platform/headless/gdi.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
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

// Pixels lie in tiles of 4x4, one 64-byte cache line each, tile rows one after the other: a
// steep line then starts a new cache line every few pixels rather than at every pixel. Pixel
// (x, y) is at Columns(surface)[x] + Rows(surface)[y]. Tests and tools see row-major pixels
// through `linear`, a copy made when they ask.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> storage;
    size_t start = 0;            // the first tile, at a cache-line boundary inside storage
    std::vector<int32_t> column; // offsets of x, kOffsetMargin entries past both edges
    std::vector<int32_t> row;    // and of y
    std::vector<uint32_t> linear;
};

constexpr size_t kTileSide = 4;
constexpr size_t kTilePixels = kTileSide * kTileSide;

uint32_t *Pixels(Surface &surface) {
    return surface.storage.data() + surface.start;
}

// The offset tables go on this far past both edges, repeating the edge's offset, so that a line
// can look its prefetch distance ahead without a bounds test.
constexpr int kOffsetMargin = 48;

const int32_t *Columns(const Surface &surface) {
    return surface.column.data() + kOffsetMargin;
}

const int32_t *Rows(const Surface &surface) {
    return surface.row.data() + kOffsetMargin;
}

uint32_t &PixelOf(Surface &surface, int x, int y) {
    return Pixels(surface)[Columns(surface)[x] + Rows(surface)[y]];
}

// Offsets of 0..count-1 as given by offset(), with the edge's offset repeated into the margins.
template <typename Offset> void FillOffsets(std::vector<int32_t> *table, int count, Offset offset) {
    table->assign(size_t(count) + 2 * kOffsetMargin, 0);
    for (int n = -kOffsetMargin; n < count + kOffsetMargin; ++n)
        (*table)[size_t(n + kOffsetMargin)] =
            offset(size_t(std::clamp(n, 0, std::max(count - 1, 0))));
}

// A black surface of the given size. Large surfaces ask for huge pages: lines wander over the
// whole surface, and with small pages the page-table walks would cost more than the drawing.
void MakeSurface(Surface *surface, int width, int height) {
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const size_t across = (size_t(width) + kTileSide - 1) / kTileSide;
    const size_t down = (size_t(height) + kTileSide - 1) / kTileSide;
    const size_t count = across * down * kTilePixels + kTilePixels;
    surface->width = width;
    surface->height = height;
    surface->storage = std::vector<uint32_t>();
    surface->storage.reserve(count);
    const uintptr_t begin = reinterpret_cast<uintptr_t>(surface->storage.data());
    const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = (begin + count * sizeof(uint32_t)) & ~(kHugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
    surface->storage.assign(count, 0);
    surface->start = (kTilePixels - begin / sizeof(uint32_t) % kTilePixels) % kTilePixels;
    FillOffsets(&surface->column, width,
                [](size_t x) { return int32_t(x / kTileSide * kTilePixels + x % kTileSide); });
    FillOffsets(&surface->row, height, [across](size_t y) {
        return int32_t(y / kTileSide * across * kTilePixels + y % kTileSide * kTileSide);
    });
    surface->linear = std::vector<uint32_t>();
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

__int128 FloorDiv(__int128 a, __int128 b) {
    __int128 q = a / b;
    if (a % b != 0 && a < 0)
        --q;
    return q;
}

__int128 CeilDiv(__int128 a, __int128 b) {
    return -FloorDiv(-a, b);
}

// Where a segment's first visible pixel lies and how its pixels follow each other: the offset
// tables of the major and minor axes, already at the first pixel's coordinates, and the steps
// (+1 or -1) along them.
struct Walk {
    uint32_t *pixels;
    const int32_t *major;
    const int32_t *minor;
    int64_t step_a;
    int64_t step_b;
    int64_t head;        // steps before the major axis reaches a tile's edge
    int64_t group_delta; // from one pixel to the next along the major axis inside a tile
    uint32_t color;
};

constexpr int kShift = 44;

// Whole tiles along the major axis: one look-up of the major offset per tile, and the pixels
// inside it at fixed displacements from the first, which halves the work per pixel. A line still
// reaches a new cache line every few pixels, in an order no hardware prefetcher follows, so each
// tile asks for the one kAhead steps further on.
template <int64_t kDelta>
void DrawTileGroups(const Walk &w, const int32_t *major, int64_t scaled, int64_t up,
                    int64_t groups) {
    static_assert(kTileSide == 4, "one statement per step of a tile");
    const int32_t *minor = w.minor;
    constexpr int64_t kAhead = 8 * kTileSide;
    const int64_t major_ahead = kAhead * w.step_a, scaled_ahead = kAhead * up;
    for (; groups > 0; --groups) {
        __builtin_prefetch(w.pixels + major[major_ahead] + minor[(scaled + scaled_ahead) >> kShift],
                           1);
        uint32_t *const first = w.pixels + *major;
        first[minor[scaled >> kShift]] = w.color;
        first[kDelta + minor[(scaled + up) >> kShift]] = w.color;
        first[2 * kDelta + minor[(scaled + 2 * up) >> kShift]] = w.color;
        first[3 * kDelta + minor[(scaled + 3 * up) >> kShift]] = w.color;
        scaled += 4 * up;
        major += 4 * w.step_a;
    }
}

// Step by step, whatever the slope: in tiles even a shallow line's run of pixels is no longer
// contiguous, so filling runs would gain nothing. The minor offset of step n is
// floor((remainder + up n) / down). With the scaled reciprocal m = ceil(2^44 / down) that is
// (remainder + up n) m >> 44, exactly, while every numerator times the rounding excess of m
// stays below 2^44; the scaled numerators then grow by a constant, and the pixel loop needs no
// branch (the minor steps follow no pattern a predictor could learn). Longer lines take the
// error-term loop. Both paint the same pixels; the tests hold them to the closed form.
void DrawSteps(const Walk &w, int64_t up, int64_t down, int64_t remainder, int64_t count) {
    const int64_t m = ((int64_t{1} << kShift) + down - 1) / down;
    const __int128 excess = __int128{m} * down - (int64_t{1} << kShift);
    const int32_t *major = w.major, *minor = w.minor;
    if (count < (int64_t{1} << 18) &&
        __int128{down} * (count + 2) * excess < (__int128{1} << kShift)) {
        // Going down the minor axis, the offset -floor(s / 2^44) is (2^44 - 1 - s) >> 44, so
        // the sign goes into the scaled numerator and the loop needs no multiplication.
        const int64_t scaled = remainder * m;
        int64_t signed_scaled = w.step_b > 0 ? scaled : (int64_t{1} << kShift) - 1 - scaled;
        const int64_t signed_up = w.step_b * up * m;
        const int64_t head = std::min(count, w.head), tile = int64_t{kTileSide};
        const int64_t groups = (count - head) / tile, tail = count - head - groups * tile;
        for (int64_t n = 0; n < head; ++n, major += w.step_a, signed_scaled += signed_up)
            (w.pixels + *major)[minor[signed_scaled >> kShift]] = w.color;
        switch (w.group_delta) {
        case 1:
            DrawTileGroups<1>(w, major, signed_scaled, signed_up, groups);
            break;
        case -1:
            DrawTileGroups<-1>(w, major, signed_scaled, signed_up, groups);
            break;
        case int64_t{kTileSide}:
            DrawTileGroups<kTileSide>(w, major, signed_scaled, signed_up, groups);
            break;
        default:
            DrawTileGroups<-int64_t{kTileSide}>(w, major, signed_scaled, signed_up, groups);
            break;
        }
        major += groups * tile * w.step_a;
        signed_scaled += groups * tile * signed_up;
        for (int64_t n = 0; n < tail; ++n, major += w.step_a, signed_scaled += signed_up)
            (w.pixels + *major)[minor[signed_scaled >> kShift]] = w.color;
        return;
    }
    int64_t error = remainder - down;
    for (int64_t n = 0; n < count; ++n) {
        w.pixels[*major + *minor] = w.color;
        major += w.step_a;
        error += up;
        if (error >= 0) {
            error -= down;
            minor += w.step_b;
        }
    }
}

// One segment from (x0, y0) towards (x1, y1), leaving out (x1, y1), in device coordinates.
// Along the major axis (the longer of the two extents, x on a tie) step i = 0..d-1 paints
// major = start + i and minor = start + round(i * minor_extent / d), halves rounded away from the
// start. That closed form is what makes clipping exact: the steps inside the clip rectangle are
// worked out once, the error term starts at the first of them, and the pixel loop then runs
// without a bounds test.
void DrawSegment(const Target &t, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t color) {
    const int64_t dx = x1 - x0, dy = y1 - y0;
    const bool x_major = std::abs(dx) >= std::abs(dy);
    const int64_t a0 = x_major ? x0 : y0, b0 = x_major ? y0 : x0;
    const int64_t da = std::abs(x_major ? dx : dy), db = std::abs(x_major ? dy : dx);
    if (da == 0)
        return;
    const int64_t sa = (x_major ? dx : dy) > 0 ? 1 : -1;
    const int64_t sb = (x_major ? dy : dx) > 0 ? 1 : -1;
    const int64_t a_min = x_major ? t.clip_left : t.clip_top;
    const int64_t a_max = (x_major ? t.clip_right : t.clip_bottom) - 1;
    const int64_t b_min = x_major ? t.clip_top : t.clip_left;
    const int64_t b_max = (x_major ? t.clip_bottom : t.clip_right) - 1;

    __int128 first = 0, last = da - 1;
    if (sa > 0) {
        first = std::max<__int128>(first, a_min - a0);
        last = std::min<__int128>(last, a_max - a0);
    } else {
        first = std::max<__int128>(first, a0 - a_max);
        last = std::min<__int128>(last, a0 - a_min);
    }
    if (db == 0) {
        if (b0 < b_min || b0 > b_max)
            return;
    } else {
        // The minor offset j(i) = floor((2 db i + da) / (2 da)) never decreases, so the steps
        // whose minor coordinate lies inside form one range.
        const __int128 j_min = sb > 0 ? b_min - b0 : b0 - b_max;
        const __int128 j_max = sb > 0 ? b_max - b0 : b0 - b_min;
        first = std::max(first, CeilDiv(2 * j_min * da - da, 2 * __int128{db}));
        last = std::min(last, CeilDiv(2 * (j_max + 1) * da - da, 2 * __int128{db}) - 1);
    }
    if (first > last)
        return;

    const int64_t i0 = static_cast<int64_t>(first), i_last = static_cast<int64_t>(last);
    const __int128 numerator = 2 * __int128{db} * i0 + da;
    const int64_t j0 = static_cast<int64_t>(numerator / (2 * da));
    const int64_t a = a0 + sa * i0, b = b0 + sb * j0;
    const Surface &s = *t.surface;
    const int64_t tile = int64_t{kTileSide};
    const Walk walk = {Pixels(*t.surface),
                       (x_major ? Columns(s) : Rows(s)) + a,
                       (x_major ? Rows(s) : Columns(s)) + b,
                       sa,
                       sb,
                       (sa > 0 ? tile - a % tile : a % tile + 1) % tile,
                       sa * (x_major ? 1 : tile),
                       color};
    const int64_t count = i_last - i0 + 1;
    const int64_t remainder = static_cast<int64_t>(numerator - __int128{j0} * 2 * da);
    DrawSteps(walk, 2 * db, 2 * da, remainder, count);
    pixels_painted += static_cast<uint64_t>(count);
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
    return &PixelOf(*t.surface, int(px), int(py));
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
    s.linear.resize(size_t(s.width) * size_t(s.height));
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            s.linear[size_t(y) * size_t(s.width) + size_t(x)] = PixelOf(s, x, y);
    return s.linear.data();
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
                PixelOf(*to.surface, int(column), int(row)) = color;
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
    Surface copy;
    const Surface *from_surface = from.surface;
    if (from.surface == to.surface) {
        copy = *from.surface;
        from_surface = &copy;
    }
    const uint32_t *from_pixels = from_surface->storage.data() + from_surface->start;
    uint32_t *to_pixels = Pixels(*to.surface);
    const int32_t *from_column = Columns(*from_surface), *to_column = Columns(*to.surface);
    // With the same phase across both surfaces, the pixels of a tile's row lie together in both;
    // with the same phase down them too, so do whole bands of tiles, one block per band.
    const int64_t tile = int64_t{kTileSide};
    const bool same_phase = shift_x % tile == 0;
    const int64_t full_left = (box.left + tile - 1) / tile * tile;
    const int64_t full_right = std::max(full_left, box.right / tile * tile);
    const int64_t bands_top = (box.top + tile - 1) / tile * tile;
    int64_t bands_bottom = std::max(bands_top, box.bottom / tile * tile);
    if (!same_phase || shift_y % tile != 0 || full_left == full_right)
        bands_bottom = bands_top;
    for (int64_t band = bands_top; band < bands_bottom; band += tile)
        std::memcpy(to_pixels + Rows(*to.surface)[band] + to_column[full_left],
                    from_pixels + Rows(*from_surface)[band + shift_y] +
                        from_column[full_left + shift_x],
                    size_t(full_right - full_left) * kTileSide * sizeof(uint32_t));
    for (int64_t row = box.top; row < box.bottom; ++row) {
        const uint32_t *from_row = from_pixels + Rows(*from_surface)[row + shift_y];
        uint32_t *to_row = to_pixels + Rows(*to.surface)[row];
        int64_t column = box.left;
        const auto copy_up_to = [&](int64_t end) {
            for (; column < end; ++column)
                to_row[to_column[column]] = from_row[from_column[column + shift_x]];
        };
        if (row >= bands_top && row < bands_bottom) {
            copy_up_to(full_left);
            column = full_right;
        } else if (same_phase) {
            copy_up_to(std::min(box.right, full_left));
            for (; column + tile <= box.right; column += tile)
                std::memcpy(to_row + to_column[column], from_row + from_column[column + shift_x],
                            kTileSide * sizeof(uint32_t));
        }
        copy_up_to(box.right);
    }
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
