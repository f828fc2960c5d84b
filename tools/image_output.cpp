#include "image_output.h"

#include <gif_lib.h>
#include <png.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

struct GifStream {
    GifFileType *file;
    int width;
    int height;
    bool ok;
    std::vector<GifPixelType> indexes;
};

bool WritePng(const char *path, const uint32_t *pixels, int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        rgb[3 * i] = pixels[i] & 0xFF;
        rgb[3 * i + 1] = pixels[i] >> 8 & 0xFF;
        rgb[3 * i + 2] = pixels[i] >> 16 & 0xFF;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    const bool ok = png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

GifStream *OpenGif(const char *path, int width, int height) {
    // Opened here rather than by giflib, which would make the file readable by its owner only.
    const int descriptor = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (descriptor < 0)
        return nullptr;
    int error = 0;
    GifFileType *file = EGifOpenFileHandle(descriptor, &error);
    if (!file) {
        close(descriptor);
        return nullptr;
    }
    EGifSetGifVersion(file, true);
    GifStream *gif = new GifStream{file, width, height, true, {}};
    gif->indexes.resize(size_t(width) * size_t(height));
    gif->ok = EGifPutScreenDesc(file, width, height, 8, 0, nullptr) == GIF_OK;
    // The application extension that makes viewers loop the animation forever.
    static const GifByteType kLoop[3] = {1, 0, 0};
    gif->ok = gif->ok && EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
              EGifPutExtensionBlock(file, 11, "NETSCAPE2.0") == GIF_OK &&
              EGifPutExtensionBlock(file, 3, kLoop) == GIF_OK &&
              EGifPutExtensionTrailer(file) == GIF_OK;
    return gif;
}

namespace {

int Distance(uint32_t a, uint32_t b) {
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int(a >> shift & 0xFF) - int(b >> shift & 0xFF);
        sum += d * d;
    }
    return sum;
}

// Fills the index buffer and returns the frame's colour map: its exact colours while there are
// at most 256, else the 256 most frequent, the rarer ones drawn as the nearest of those. A frame
// holds each figure's trail shades and black, so only a frame at the largest settings can hold
// one colour too many, and then only a few pixels change.
ColorMapObject *FramePalette(GifStream *gif, const uint32_t *pixels) {
    const size_t count = gif->indexes.size();
    std::unordered_map<uint32_t, uint64_t> frequency;
    for (size_t i = 0; i < count;) {
        size_t run = i + 1;
        while (run < count && pixels[run] == pixels[i])
            ++run;
        frequency[pixels[i]] += run - i;
        i = run;
    }
    std::vector<std::pair<uint64_t, uint32_t>> ranked;
    for (const auto &entry : frequency)
        ranked.push_back({entry.second, entry.first});
    std::sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    const size_t kept = std::min<size_t>(ranked.size(), 256);
    std::unordered_map<uint32_t, GifPixelType> index_of;
    for (size_t k = 0; k < ranked.size(); ++k) {
        size_t nearest = k;
        for (size_t c = 0; k >= kept && c < kept; ++c)
            if (nearest == k || Distance(ranked[c].second, ranked[k].second) <
                                    Distance(ranked[nearest].second, ranked[k].second))
                nearest = c;
        index_of[ranked[k].second] = GifPixelType(nearest);
    }
    for (size_t i = 0; i < count; ++i)
        gif->indexes[i] = index_of[pixels[i]];
    ColorMapObject *map = GifMakeMapObject(1 << std::max(1, GifBitSize(int(kept))), nullptr);
    for (size_t c = 0; map && c < kept; ++c) {
        const uint32_t color = ranked[c].second;
        map->Colors[c] = {GifByteType(color & 0xFF), GifByteType(color >> 8 & 0xFF),
                          GifByteType(color >> 16 & 0xFF)};
    }
    return map;
}

} // namespace

bool AddGifFrame(GifStream *gif, const uint32_t *pixels, int delay_centiseconds) {
    if (!gif->ok)
        return false;
    ColorMapObject *map = FramePalette(gif, pixels);
    if (!map)
        return gif->ok = false;
    GraphicsControlBlock control = {DISPOSE_DO_NOT, false, delay_centiseconds,
                                    NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    gif->ok = EGifPutExtension(gif->file, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
              EGifPutImageDesc(gif->file, 0, 0, gif->width, gif->height, false, map) == GIF_OK;
    GifFreeMapObject(map);
    for (int row = 0; gif->ok && row < gif->height; ++row)
        gif->ok = EGifPutLine(gif->file, gif->indexes.data() + size_t(row) * size_t(gif->width),
                              gif->width) == GIF_OK;
    return gif->ok;
}

bool CloseGif(GifStream *gif) {
    int error = 0;
    const bool ok = EGifCloseFile(gif->file, &error) == GIF_OK && gif->ok;
    delete gif;
    return ok;
}

int GifFrameDelay(int frame, int period_ms, int64_t *shown_centiseconds) {
    // Where the frame after this one is due, in 1/100 s, rounded half up.
    const int64_t due = ((int64_t{frame} + 1) * period_ms + 5) / 10;
    const int delay = static_cast<int>(std::max<int64_t>(1, due - *shown_centiseconds));
    *shown_centiseconds += delay;
    return delay;
}
