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
    std::vector<GifByteType> red, green, blue;
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
    GifStream *gif = new GifStream{file, width, height, true, {}, {}, {}, {}};
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

// Fills the index buffer and a colour map of the frame's exact colours; NULL when there are more
// than 256 of them.
ColorMapObject *ExactColors(GifStream *gif, const uint32_t *pixels) {
    std::unordered_map<uint32_t, GifPixelType> index_of;
    std::vector<uint32_t> colors;
    uint32_t last_color = 0xFFFFFFFF;
    GifPixelType last_index = 0;
    const size_t count = gif->indexes.size();
    for (size_t i = 0; i < count; ++i) {
        if (pixels[i] != last_color) {
            auto found = index_of.find(pixels[i]);
            if (found == index_of.end()) {
                if (colors.size() == 256)
                    return nullptr;
                found = index_of.emplace(pixels[i], GifPixelType(colors.size())).first;
                colors.push_back(pixels[i]);
            }
            last_color = pixels[i];
            last_index = found->second;
        }
        gif->indexes[i] = last_index;
    }
    const int size = 1 << std::max(1, GifBitSize(static_cast<int>(colors.size())));
    ColorMapObject *map = GifMakeMapObject(size, nullptr);
    if (!map)
        return nullptr;
    for (size_t c = 0; c < colors.size(); ++c)
        map->Colors[c] = {GifByteType(colors[c] & 0xFF), GifByteType(colors[c] >> 8 & 0xFF),
                          GifByteType(colors[c] >> 16 & 0xFF)};
    return map;
}

ColorMapObject *QuantizedColors(GifStream *gif, const uint32_t *pixels) {
    const size_t count = gif->indexes.size();
    gif->red.resize(count);
    gif->green.resize(count);
    gif->blue.resize(count);
    for (size_t i = 0; i < count; ++i) {
        gif->red[i] = pixels[i] & 0xFF;
        gif->green[i] = pixels[i] >> 8 & 0xFF;
        gif->blue[i] = pixels[i] >> 16 & 0xFF;
    }
    ColorMapObject *map = GifMakeMapObject(256, nullptr);
    int size = 256;
    if (map && GifQuantizeBuffer(unsigned(gif->width), unsigned(gif->height), &size,
                                 gif->red.data(), gif->green.data(), gif->blue.data(),
                                 gif->indexes.data(), map->Colors) != GIF_OK) {
        GifFreeMapObject(map);
        return nullptr;
    }
    return map;
}

} // namespace

bool AddGifFrame(GifStream *gif, const uint32_t *pixels, int delay_centiseconds) {
    if (!gif->ok)
        return false;
    ColorMapObject *map = ExactColors(gif, pixels);
    if (!map)
        map = QuantizedColors(gif, pixels);
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
