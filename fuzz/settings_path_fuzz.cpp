// The settings file's place, taken from a fuzzed command line: the directory is the program
// path's up to its last backslash (inside the quotes when quoted), or the current directory when
// there is none, the quote is open or the path would not fit; the buffer is never overrun, and a
// load always ends with a path that fits and four values inside their ranges. The rule works on
// the wide command line, in characters.
#include <cstring>
#include <cwchar>
#include <iterator>

#include "fuzz_check.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"

namespace {

std::wstring ReferenceDirectory(const std::wstring &line) {
    std::wstring program = line;
    if (!line.empty() && line[0] == L'"') {
        size_t close = line.find(L'"', 1);
        if (close == std::wstring::npos)
            return L".\\";
        program = line.substr(1, close - 1);
    }
    size_t last = program.rfind(L'\\');
    if (last == std::wstring::npos || last + 1 >= static_cast<size_t>(kSettingsPathSize))
        return L".\\";
    return program.substr(0, last + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string line = FuzzText(data, size);
    headless::ResetProcess();
    ResetSettings();
    headless::SetCommandLine(line.c_str());

    // A buffer of exactly the documented size, with a guard after it that must stay untouched.
    WCHAR buffer[kSettingsPathSize + 16];
    std::wmemset(buffer, 0x5A, std::size(buffer));
    FUZZ_CHECK(BuildSettingsDirectory(buffer) == buffer);
    for (size_t i = kSettingsPathSize; i < std::size(buffer); ++i)
        FUZZ_CHECK(buffer[i] == 0x5A);
    const std::wstring directory = ReferenceDirectory(GetCommandLineW());
    FUZZ_CHECK(directory == buffer);

    LoadSettings();
    const size_t length = wcsnlen(settings_path, kSettingsPathSize);
    FUZZ_CHECK(length < static_cast<size_t>(kSettingsPathSize));
    const std::wstring expected_path =
        (directory.size() + sizeof "Frellis.ini" > kSettingsPathSize ? L".\\" : directory) +
        L"Frellis.ini";
    FUZZ_CHECK(expected_path == settings_path);
    for (const SettingKey &row : setting_keys) {
        FUZZ_CHECK(saver_settings.*row.field >= row.minimum);
        FUZZ_CHECK(saver_settings.*row.field <= row.maximum);
    }
    return 0;
}
