#include "render_options.h"

#include <cstring>

#include "platform/headless/characters.h"

namespace {

// The flag that sets each row of setting_keys, matched by the field the row fills.
struct SettingFlag {
    const char *flag;
    int32_t SaverSettings::*field;
};

const SettingFlag kSettingFlags[] = {
    {"--figures", &SaverSettings::figure_count},
    {"--corners", &SaverSettings::corner_count},
    {"--trail", &SaverSettings::trail_length},
    {"--speed", &SaverSettings::speed},
};

// Plain decimal digits, an optional leading minus, nothing else, within [minimum, maximum].
bool ParseNumber(const char *text, int64_t minimum, int64_t maximum, int64_t *value) {
    const bool negative = *text == '-';
    const char *p = negative ? text + 1 : text;
    if (*p == '\0')
        return false;
    int64_t magnitude = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > (int64_t{1} << 40))
            return false;
    }
    *value = negative ? -magnitude : magnitude;
    return *value >= minimum && *value <= maximum;
}

std::string RangeText(int64_t minimum, int64_t maximum) {
    return " (" + std::to_string(minimum) + " to " + std::to_string(maximum) + ")";
}

bool ParseSize(const char *text, int *width, int *height) {
    const char *x = std::strchr(text, 'x');
    if (!x)
        return false;
    const std::string w(text, x);
    int64_t w_value, h_value;
    if (!ParseNumber(w.c_str(), 1, kMaxRenderSide, &w_value) ||
        !ParseNumber(x + 1, 1, kMaxRenderSide, &h_value))
        return false;
    *width = static_cast<int>(w_value);
    *height = static_cast<int>(h_value);
    return true;
}

int SettingRow(int32_t SaverSettings::*field) {
    for (int i = 0; i < kSettingCount; ++i)
        if (setting_keys[i].field == field)
            return i;
    return -1;
}

} // namespace

const char kRenderUsage[] =
    "usage: frellis-render [options]\n"
    "Runs the saver's animation off-screen and writes what it shows.\n"
    "  --seed N            generator seed (default: the calendar clock)\n"
    "  --size WxH          surface size in pixels (default 640x480)\n"
    "  --figures N         figures, 1 to 8 (default 2)\n"
    "  --corners N         corners per figure, 2 to 8 (default 4)\n"
    "  --trail N           outline copies per trail, 1 to 32 (default 16)\n"
    "  --speed N           ticks per 100 ms, 1 to 20 (default 10)\n"
    "  --settings FILE     read the four settings from this INI file; flags override it\n"
    "  --ticks N           ticks to run (default 300)\n"
    "  --png FILE          write the last frame as PNG\n"
    "  --gif FILE          write every tick as an animated GIF; frame delays follow the timer\n"
    "                      period, rounded to 1/100 s so that the total time stays right\n"
    "                      (each frame at least 1/100 s)\n"
    "  --print-settings    print the settings as loaded and stop\n"
    "  --trace             print each figure's state after placement and after every tick\n"
    "  --help              show this text\n";

bool ParseRenderOptions(int argc, const char *const *argv, RenderOptions *options,
                        std::string *error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        const char *value = nullptr;
        const size_t equals = name.find('=');
        if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = argv[i] + equals + 1;
            name.resize(equals);
        }
        const bool is_switch = name == "--print-settings" || name == "--trace" || name == "--help";
        if (is_switch) {
            if (value) {
                *error = name + " takes no value";
                return false;
            }
            (name == "--trace"  ? options->trace
             : name == "--help" ? options->help
                                : options->print_settings) = true;
            continue;
        }
        if (!value) {
            if (i + 1 >= argc) {
                *error = name.compare(0, 2, "--") == 0 ? name + " needs a value"
                                                       : "unexpected argument '" + name + "'";
                return false;
            }
            value = argv[++i];
        }
        int64_t number = 0;
        bool known = true, ok = true;
        std::string range;
        if (name == "--seed") {
            ok = ParseNumber(value, 0, UINT32_MAX, &number);
            range = RangeText(0, UINT32_MAX);
            options->seed = static_cast<uint32_t>(number);
            options->seed_given = true;
        } else if (name == "--size") {
            ok = ParseSize(value, &options->width, &options->height);
            range = " (WxH, each 1 to " + std::to_string(kMaxRenderSide) + ")";
        } else if (name == "--ticks") {
            ok = ParseNumber(value, 0, kMaxRenderTicks, &number);
            range = RangeText(0, kMaxRenderTicks);
            options->ticks = static_cast<int>(number);
        } else if (name == "--settings") {
            options->settings_file = value;
        } else if (name == "--png") {
            options->png_file = value;
        } else if (name == "--gif") {
            options->gif_file = value;
        } else {
            known = false;
            for (const SettingFlag &flag : kSettingFlags) {
                if (name != flag.flag)
                    continue;
                known = true;
                const int row = SettingRow(flag.field);
                const SettingKey &key = setting_keys[row];
                ok = ParseNumber(value, key.minimum, key.maximum, &number);
                range = RangeText(key.minimum, key.maximum);
                options->given[row] = true;
                options->value[row] = static_cast<int32_t>(number);
            }
        }
        if (!known) {
            *error = "unknown option '" + name + "'";
            return false;
        }
        if (!ok || *value == '\0') {
            *error = name + ": '" + value + "' is not valid" + range;
            return false;
        }
    }
    return true;
}

SaverSettings ResolveSettings(const RenderOptions &options) {
    SaverSettings settings = {};
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingKey &key = setting_keys[i];
        int32_t value = key.default_value;
        if (!options.settings_file.empty())
            value =
                ReadSetting(headless::WideText(options.settings_file.c_str()).c_str(),
                            kSettingsSection, key.key, key.minimum, key.maximum, key.default_value);
        if (options.given[i])
            value = options.value[i];
        settings.*key.field = value;
    }
    return settings;
}
