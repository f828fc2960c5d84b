// The settings store: owns SaverSettings, settings_path and number_text. The animation loads the
// settings when its window is created and the configuration dialog loads them when it opens and
// writes them back on OK; nothing else touches the file. Every load clamps, so readers never see
// a value outside its key's range.
#pragma once

#include <cstdint>

struct SaverSettings {
    int32_t figure_count;
    int32_t trail_length;
    int32_t corner_count;
    int32_t speed;
};

// One row of the key table, in the order loads and writes go through the keys.
struct SettingKey {
    const char *key;
    int32_t minimum;
    int32_t maximum;
    int32_t default_value;
    int32_t SaverSettings::*field;
};

constexpr int kSettingCount = 4;
constexpr int kSettingsPathSize = 260;
constexpr int kNumberTextSize = 12;

extern const SettingKey setting_keys[kSettingCount];
extern const char kSettingsSection[];
extern const char kSettingsFileName[];

extern SaverSettings saver_settings;
extern char settings_path[kSettingsPathSize];
extern char number_text[kNumberTextSize];

void LoadSettings();
char *BuildSettingsDirectory(char *buffer);
int32_t ReadSetting(const char *path, const char *section, const char *key, int32_t minimum,
                    int32_t maximum, int32_t default_value);
int WriteSetting(const char *path, const char *section, const char *key, int32_t value);
const char *FormatDecimal(int32_t value);
int32_t ParseDecimal(const char *text);

uint32_t IniReadValue(const char *section, const char *key, char *buffer, uint32_t size,
                      const char *path);
bool IniWriteValue(const char *section, const char *key, const char *text, const char *path);

// Back to the state of a fresh process: defaults, empty path.
void ResetSettings();
