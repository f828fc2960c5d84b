// The settings store: owns SaverSettings, settings_path, user_settings_path and number_text. The
// animation loads the settings when its window is created and the configuration dialog loads
// them when it opens and saves them on OK; nothing else touches the files. Every load clamps, so
// readers never see a value outside its key's range. The user's own file, when there is one,
// wins over the one beside the executable, and a save never fails silently. Paths are wide text,
// so that a file is found by its real name whatever script it is in (file_names.h).
#pragma once

#include <cstdint>

#include "platform/win32.h"

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

extern SaverSettings saver_settings;
// The file the last load read: the user's own file when it exists, else the one beside the
// executable.
extern WCHAR settings_path[kSettingsPathSize];
// The user's own file, %APPDATA%\Frellis\Frellis.ini, or empty where APPDATA is unknown, too
// long for a path, or so odd that the path would name a network share that APPDATA does not.
extern WCHAR user_settings_path[kSettingsPathSize];
extern char number_text[kNumberTextSize];

void LoadSettings();
WCHAR *BuildSettingsDirectory(WCHAR *buffer);
WCHAR *BuildUserSettingsPath(WCHAR *buffer);

// One file that a save could not write: which, why, and whether putting back what was written
// before the failure failed too, so that the file may hold old and new settings mixed.
struct FileFailure {
    WCHAR path[kSettingsPathSize];
    DWORD error;
    bool mixed;
};
// The files a save could not write, in the order tried: the one the last load read, then the
// user's own. A save that lands in the user's own file still lists the first.
struct SaveFailure {
    int count;
    FileFailure files[2];
};
// Writes all four settings to the file the last load read or, when that fails, to the user's
// own file (its folder made on demand), so that the next load reads them. A file is written only
// when what it held could be read first; one that fails part-way gets back exactly the keys the
// save wrote or tried, or goes again when the save made it, and so does a folder made for it. 1
// when one file took all four; 0 otherwise, with the failures filled in.
int SaveSettings(SaveFailure *failure);
int32_t ReadSetting(const WCHAR *path, const char *section, const char *key, int32_t minimum,
                    int32_t maximum, int32_t default_value);
int WriteSetting(const WCHAR *path, const char *section, const char *key, int32_t value);
const char *FormatDecimal(int32_t value);
int32_t ParseDecimal(const char *text);

// Back to the state of a fresh process: defaults, empty path.
void ResetSettings();
