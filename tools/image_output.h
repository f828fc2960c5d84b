// Writing the off-screen surface (row-major 0x00BBGGRR pixels) to image files for the render
// tool: one frame as PNG through libpng, or a stream of frames as an animated GIF through giflib.
// Each frame of the GIF gets its own colour table, exact while a frame has at most 256 colours;
// beyond that the rarest colours take the nearest of the 256 most frequent.
#pragma once

#include <cstdint>

bool WritePng(const char *path, const uint32_t *pixels, int width, int height);

struct GifStream; // giflib's file and the frame buffers, owned by image_output.cpp

// NULL when the file cannot be created. The animation loops forever.
GifStream *OpenGif(const char *path, int width, int height);
bool AddGifFrame(GifStream *gif, const uint32_t *pixels, int delay_centiseconds);
// Finishes the file and frees the stream; false if anything failed since it was opened.
bool CloseGif(GifStream *gif);

// The delay of frame `frame` (0-based) when frames follow each other every period_ms: each
// delay is rounded so that the frames' total stays on the timer's clock, and never below 1.
// *shown_centiseconds carries the total shown so far from one frame to the next.
int GifFrameDelay(int frame, int period_ms, int64_t *shown_centiseconds);
