// The render tool's command line: ParseRenderOptions turns the arguments into RenderOptions and
// says what is wrong with a malformed or out-of-range one; ResolveSettings then applies the
// settings file and the explicit flags over the defaults of the settings key table.
#pragma once

#include <cstdint>
#include <string>

#include "settings/settings_store.h"

struct RenderOptions {
    bool seed_given = false;
    uint32_t seed = 0;
    int width = 640;
    int height = 480;
    // One per row of setting_keys, in its order; given[i] tells whether a flag set value[i].
    bool given[kSettingCount] = {};
    int32_t value[kSettingCount] = {};
    std::string settings_file;
    int ticks = 300;
    std::string png_file;
    std::string gif_file;
    bool print_settings = false;
    bool trace = false;
    bool help = false;
};

constexpr int kMaxRenderSide = 16384;
constexpr int kMaxRenderTicks = 1000000;

// False with a one-line reason in *error when an option is unknown, lacks its value, or has a
// value that is not a decimal number in its range.
bool ParseRenderOptions(int argc, const char *const *argv, RenderOptions *options,
                        std::string *error);
// The key table's defaults, overridden by the settings file (read through ReadSetting, which
// clamps) when one is given, then by the flags.
SaverSettings ResolveSettings(const RenderOptions &options);

extern const char kRenderUsage[];
