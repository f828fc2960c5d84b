// The settings file's place, taken from a fuzzed command line: the directory is the program
// path's up to its last backslash (inside the quotes when quoted), or the current directory when
// there is none, the quote is open or the path would not fit; the buffer is never overrun, and a
// load always ends with a path that fits and four values inside their ranges.
#include <cstring>

#include "fuzz_check.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"

namespace {

std::string ReferenceDirectory(const std::string &line) {
    std::string program = line;
    if (!line.empty() && line[0] == '"') {
        size_t close = line.find('"', 1);
        if (close == std::string::npos)
            return ".\\";
        program = line.substr(1, close - 1);
    }
    size_t last = program.rfind('\\');
    if (last == std::string::npos || last + 1 >= static_cast<size_t>(kSettingsPathSize))
        return ".\\";
    return program.substr(0, last + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string line = FuzzText(data, size);
    headless::ResetProcess();
    ResetSettings();
    headless::SetCommandLine(line.c_str());

    // A buffer of exactly the documented size, with a guard after it that must stay untouched.
    char buffer[kSettingsPathSize + 16];
    std::memset(buffer, 0x5A, sizeof buffer);
    FUZZ_CHECK(BuildSettingsDirectory(buffer) == buffer);
    for (size_t i = kSettingsPathSize; i < sizeof buffer; ++i)
        FUZZ_CHECK(buffer[i] == 0x5A);
    const std::string directory = ReferenceDirectory(line);
    FUZZ_CHECK(directory == buffer);

    LoadSettings();
    const size_t length = strnlen(settings_path, kSettingsPathSize);
    FUZZ_CHECK(length < static_cast<size_t>(kSettingsPathSize));
    const std::string expected_path =
        (directory.size() + sizeof "Frellis.ini" > kSettingsPathSize ? ".\\" : directory) +
        "Frellis.ini";
    FUZZ_CHECK(expected_path == settings_path);
    for (const SettingKey &row : setting_keys) {
        FUZZ_CHECK(saver_settings.*row.field >= row.minimum);
        FUZZ_CHECK(saver_settings.*row.field <= row.maximum);
    }
    return 0;
}
