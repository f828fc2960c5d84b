// The part of the surface that the current tick changes: owns the process-wide cell grid that
// StepAnimation marks with every copy it erases or draws and then turns into the rectangles it
// copies to the target. The rectangles cover every pixel that a 1-pixel pen Polyline through
// the marked outlines can paint, clipped to the surface; they may cover more, never less.
// The trails' settings are those of SaverSettings, fixed from one RememberTrails to the next.
#pragma once

#include <cstdint>

#include "animation/figures.h"

// At most this many cells across and down: one 64-bit mask per row of cells.
constexpr int kAreaCells = 64;
// The largest number of rectangles ChangedRects hands out: beyond it blocks are joined.
constexpr int kMaxChangedRects = 64;

// Starts over for a surface of W x H pixels whose trails are as animation_state holds them
// now (every copy drawn): each copy's cells are remembered.
void RememberTrails(int32_t W, int32_t H);
// Right after a tick's RenderFrame: marks what the tick changed, the copies remembered (the
// oldest of which it painted black) and each figure's new copy, which takes the oldest's place.
void MarkTick();
// The marked cells as at most kMaxChangedRects rectangles in surface pixels, clipped to the
// surface, traded off between unchanged pixels copied and copies made; returns how many.
int ChangedRects(RECT rects[kMaxChangedRects]);
// Whether the window's drawing should go to the display before block `next` is copied, given
// `pending`, the bounds of the blocks copied since it last went (the first block to start
// with), which then take `next` in. The display gets one rectangle around all the blocks, so
// blocks far apart would bring every unchanged pixel between them along.
bool HandOverBefore(RECT *pending, const RECT &next);
