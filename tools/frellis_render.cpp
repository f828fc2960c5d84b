// frellis-render: runs the saver's animation off-screen through its own creation and tick code
// (StartAnimation, StepAnimation) and shows what it looks like: the last frame as PNG, every tick
// as an animated GIF, or the figures' state as text.
#include <cstdio>
#include <ctime>

#include "animation/figures.h"
#include "image_output.h"
#include "offscreen_run.h"
#include "render_options.h"
#include "settings/settings_store.h"

namespace {

// One line per figure: tick, figure, hue, then x, y, velocity x and y of every corner of the
// newest outline.
void PrintTrace(int tick, const SaverSettings &settings) {
    const int newest = settings.trail_length - 1;
    for (int f = 0; f < settings.figure_count; ++f) {
        std::printf("%d %d %u", tick, f, animation_state.hue[f]);
        for (int c = 0; c < settings.corner_count; ++c) {
            const CornerPos &p = animation_state.corner_pos[f][newest][c];
            std::printf(" %d %d %d %d", p.x, p.y, animation_state.velocity_x[f][c],
                        animation_state.velocity_y[f][c]);
        }
        std::printf("\n");
    }
}

int Fail(const char *what, const std::string &file) {
    std::fprintf(stderr, "frellis-render: %s '%s'\n", what, file.c_str());
    return 1;
}

int Usage(const std::string &error) {
    std::fprintf(stderr, "frellis-render: %s\nTry 'frellis-render --help'.\n", error.c_str());
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, &options, &error))
        return Usage(error);
    if (options.help) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    if (!options.settings_file.empty()) {
        FILE *file = std::fopen(options.settings_file.c_str(), "rb");
        if (!file)
            return Usage("cannot read settings file '" + options.settings_file + "'");
        std::fclose(file);
    }
    if (!options.gif_file.empty() && options.ticks == 0)
        return Usage("--gif needs at least one tick");
    const SaverSettings settings = ResolveSettings(options);
    if (options.print_settings) {
        for (const SettingKey &key : setting_keys)
            std::printf("%s=%d\n", key.key, settings.*key.field);
        return 0;
    }

    // The saver seeds from the calendar clock in whole seconds, modulo 2^32.
    const uint32_t seed = options.seed_given ? options.seed : static_cast<uint32_t>(time(nullptr));
    OffscreenRun run;
    if (!StartOffscreenRun(settings, options.width, options.height, seed, &run))
        return Usage("cannot make a surface of that size");
    GifStream *gif = nullptr;
    if (!options.gif_file.empty() &&
        !(gif = OpenGif(options.gif_file.c_str(), options.width, options.height)))
        return Fail("cannot create", options.gif_file);

    const int period_ms = 100 / settings.speed;
    int64_t shown = 0;
    bool gif_ok = true;
    if (options.trace)
        PrintTrace(0, settings);
    for (int tick = 1; tick <= options.ticks; ++tick) {
        TickOffscreenRun(run);
        if (options.trace)
            PrintTrace(tick, settings);
        if (gif) {
            gif_ok = gif_ok && AddGifFrame(gif, OffscreenPixels(run),
                                           GifFrameDelay(tick - 1, period_ms, &shown));
            std::fprintf(stderr, "\rgif: frame %d/%d", tick, options.ticks);
        }
    }
    int status = 0;
    if (gif) {
        std::fprintf(stderr, "\n");
        if (!CloseGif(gif) || !gif_ok)
            status = Fail("cannot write", options.gif_file);
    }
    if (!options.png_file.empty() &&
        !WritePng(options.png_file.c_str(), OffscreenPixels(run), run.width, run.height))
        status = Fail("cannot write", options.png_file);
    StopOffscreenRun(&run);
    return status;
}
