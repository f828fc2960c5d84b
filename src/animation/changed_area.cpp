#include "animation/changed_area.h"

#include <algorithm>

#include "settings/settings_store.h"

namespace {

// The grid: cells of cell_width x cell_height pixels, bit c of row_cells[r] set when cell (c, r)
// has changed. Every copy in the trails keeps the cells it covers, so that a tick works out only
// those of the copies it adds: copy_cells[f][(oldest[f] + i) % L] holds slot i of figure f.
struct ChangedArea {
    int32_t width, height;
    int32_t cell_width, cell_height;
    int columns, rows;
    uint64_t row_cells[kAreaCells];
    int oldest[kMaxFigures];
    uint64_t copy_cells[kMaxFigures][kMaxTrail][kAreaCells];
};

ChangedArea area;

// Cells no smaller than this: a finer grid costs more to mark than it saves.
constexpr int32_t kMinCellSide = 32;
// What one block copy more costs, counted in pixels copied: the call and the display's handling
// of one more block cost about as much as 100x100 pixels (measured under Wine with Xvfb).
constexpr int64_t kBlockCost = 10000;
// What handing the drawing so far to the display costs, counted in pixels it copies: reading the
// input state and one more request to the X server take some 17 µs, what the X server spends on
// 20,000 to 30,000 pixels of the rectangle it is handed. Grouping nearby blocks under one
// hand-over took a tenth off the saver's and the X server's time per tick at 3840x2160 and the
// default settings, against one before every block.
constexpr int64_t kHandOverCost = 30000;

// Worked out wide: a side near 2^31 would overflow the rounding up.
int32_t CellSide(int32_t extent) {
    return static_cast<int32_t>(
        std::max<int64_t>(kMinCellSide, (int64_t{extent} + kAreaCells - 1) / kAreaCells));
}

int CellCount(int32_t extent, int32_t side) {
    return static_cast<int>((int64_t{extent} + side - 1) / side);
}

// Where cell `index` ends, or the surface's edge if that comes first.
LONG CellEnd(int index, int32_t side, int32_t extent) {
    return static_cast<LONG>(std::min<int64_t>(int64_t{index + 1} * side, extent));
}

// Bits first..last (inclusive, 0..63) set.
uint64_t CellBits(int first, int last) {
    const uint64_t up_to_last = last == 63 ? ~uint64_t{0} : (uint64_t{1} << (last + 1)) - 1;
    return up_to_last & ~((uint64_t{1} << first) - 1);
}

// Left and top are never below 0, right and bottom never past the surface's last pixel. A band
// whose crossing lies wholly off the surface comes with right short of left: it marks nothing
// past the grid's edges (at most the first cell, as the division rounds towards 0).
void MarkCells(uint64_t *cells, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    const int first = static_cast<int>(left / area.cell_width);
    const int last = static_cast<int>(right / area.cell_width);
    if (first > last)
        return;
    for (int64_t row = top / area.cell_height; row <= bottom / area.cell_height; ++row)
        cells[row] |= CellBits(first, last);
}

// Where the ideal line through p and q crosses row y (p.y != q.y), rounded down.
int64_t CrossingX(CornerPos p, CornerPos q, int64_t y) {
    const int64_t num = (y - p.y) * (int64_t{q.x} - p.x);
    const int64_t den = int64_t{q.y} - p.y;
    int64_t step = num / den;
    if ((num % den != 0) && ((num < 0) != (den < 0)))
        --step;
    return p.x + step;
}

// Marks every cell the segment from p to q (both ends included) can paint in.
void MarkSegment(uint64_t *cells, CornerPos p, CornerPos q) {
    const int64_t left = std::max<int64_t>(std::min(p.x, q.x), 0);
    const int64_t right = std::min<int64_t>(std::max(p.x, q.x), area.width - 1);
    const int64_t top = std::max<int64_t>(std::min(p.y, q.y), 0);
    const int64_t bottom = std::min<int64_t>(std::max(p.y, q.y), area.height - 1);
    if (left > right || top > bottom)
        return;
    // Far-off corners would overflow the crossing arithmetic; their whole box is marked instead.
    const int64_t kFar = int64_t{1} << 30;
    const bool distant = std::max({std::abs(int64_t{p.x}), std::abs(int64_t{q.x}),
                                   std::abs(int64_t{p.y}), std::abs(int64_t{q.y})}) > kFar;
    if (p.y == q.y || distant) {
        MarkCells(cells, left, top, right, bottom);
        return;
    }
    const int64_t lowest = std::min(p.y, q.y), highest = std::max(p.y, q.y);
    for (int64_t band = top / area.cell_height * area.cell_height; band <= bottom;
         band += area.cell_height) {
        // A row's pixels lie within half a pixel of the ideal line, measured along the line's
        // minor axis; one row more on each side and one pixel of slack cover every rounding.
        const int64_t y0 = std::max(band - 1, lowest);
        const int64_t y1 = std::min(band + area.cell_height, highest);
        const int64_t xa = CrossingX(p, q, y0), xb = CrossingX(p, q, y1);
        MarkCells(cells, std::max(std::min(xa, xb) - 1, left), std::max(band, top),
                  std::min(std::max(xa, xb) + 1, right),
                  std::min(band + area.cell_height - 1, bottom));
    }
}

// The cells of the closed outline through k corners: the chain and the closing segment.
void OutlineCells(const CornerPos *corners, int k, uint64_t cells[kAreaCells]) {
    std::fill(cells, cells + kAreaCells, 0);
    for (int c = 0; c + 1 < k; ++c)
        MarkSegment(cells, corners[c], corners[c + 1]);
    MarkSegment(cells, corners[k - 1], corners[0]);
}

} // namespace

void RememberTrails(int32_t W, int32_t H) {
    area = {};
    area.width = std::max(W, 0);
    area.height = std::max(H, 0);
    area.cell_width = CellSide(area.width);
    area.cell_height = CellSide(area.height);
    area.columns = CellCount(area.width, area.cell_width);
    area.rows = CellCount(area.height, area.cell_height);
    for (int f = 0; f < saver_settings.figure_count; ++f) {
        for (int i = 0; i < saver_settings.trail_length; ++i)
            OutlineCells(animation_state.corner_pos[f][i], saver_settings.corner_count,
                         area.copy_cells[f][i]);
    }
}

void MarkTick() {
    const int L = saver_settings.trail_length;
    std::fill(area.row_cells, area.row_cells + kAreaCells, 0);
    for (int f = 0; f < saver_settings.figure_count; ++f) {
        // The oldest copy remembered is the one this tick painted black; its place goes to the
        // figure's new copy.
        for (int i = 0; i < L; ++i) {
            for (int row = 0; row < area.rows; ++row)
                area.row_cells[row] |= area.copy_cells[f][i][row];
        }
        uint64_t *newest = area.copy_cells[f][area.oldest[f]];
        OutlineCells(animation_state.corner_pos[f][L - 1], saver_settings.corner_count, newest);
        for (int row = 0; row < area.rows; ++row)
            area.row_cells[row] |= newest[row];
        area.oldest[f] = (area.oldest[f] + 1) % L;
    }
}

namespace {

int64_t Area(const RECT &r) {
    return int64_t{r.right - r.left} * (r.bottom - r.top);
}

RECT Bounds(const RECT &a, const RECT &b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// The marked cells as rectangles: each row's runs of marked cells, a gap between two runs closed
// and a run joined to a rectangle ending on the row above whenever that adds fewer than
// `block_cost` unchanged pixels. Returns how many, or kMaxChangedRects + 1 when they do not fit.
int CellRects(int64_t block_cost, RECT rects[kMaxChangedRects]) {
    const int64_t cell_pixels = int64_t{area.cell_width} * area.cell_height;
    int count = 0;
    for (int row = 0; row < area.rows; ++row) {
        const LONG top = row * area.cell_height;
        const LONG bottom = CellEnd(row, area.cell_height, area.height);
        uint64_t rest = area.row_cells[row];
        while (rest != 0) {
            const int first = __builtin_ctzll(rest);
            int last = first;
            for (int c = first + 1; c < area.columns; ++c) {
                if (rest >> c & 1)
                    last = c;
                else if (!(rest >> c) || (c - last) * cell_pixels >= block_cost)
                    break;
            }
            rest &= ~CellBits(first, last);
            const RECT run = {first * area.cell_width, top,
                              CellEnd(last, area.cell_width, area.width), bottom};
            int best = -1;
            int64_t best_waste = block_cost;
            for (int r = 0; r < count; ++r) {
                if (rects[r].bottom != top)
                    continue;
                const int64_t waste = Area(Bounds(rects[r], run)) - Area(rects[r]) - Area(run);
                if (waste < best_waste)
                    best = r, best_waste = waste;
            }
            if (best >= 0)
                rects[best] = Bounds(rects[best], run);
            else if (count == kMaxChangedRects)
                return count + 1;
            else
                rects[count++] = run;
        }
    }
    return count;
}

} // namespace

int ChangedRects(RECT rects[kMaxChangedRects]) {
    const RECT whole = {0, 0, area.width, area.height};
    // Too many rectangles: accept ever more unchanged pixels per block copy saved. Once a block
    // copy costs more than the whole grid, each row is one run joined to the rectangle above it,
    // and they fit; only a surface near 2^31 on a side could run out of room first, and it then
    // gets copied whole.
    int64_t block_cost = kBlockCost;
    int count;
    while ((count = CellRects(block_cost, rects)) > kMaxChangedRects && block_cost <= INT64_MAX / 4)
        block_cost *= 4;
    if (count > kMaxChangedRects) {
        rects[0] = whole;
        return 1;
    }
    // Blocks that cost more than the whole surface in one go give way to it; a pixel copied in
    // blocks costs about half as much again as one in a copy of whole rows (measured as above).
    // Summed only until it is reached: the blocks of a huge surface would overflow the total.
    const int64_t enough = (2 * Area(whole) + 2) / 3;
    int64_t cost = 0;
    for (int r = 0; r < count && cost < enough; ++r)
        cost += Area(rects[r]) + kBlockCost;
    if (count > 1 && cost >= enough) {
        rects[0] = whole;
        return 1;
    }
    return count;
}

bool HandOverBefore(RECT *pending, const RECT &next) {
    const RECT joined = Bounds(*pending, next);
    const bool hand_over = Area(joined) - Area(*pending) - Area(next) > kHandOverCost;
    *pending = hand_over ? next : joined;
    return hand_over;
}
