// The settings file as anyone may have edited it. The input's first four bytes are the values
// the dialog would write, the rest is the file. A load gives values inside their ranges; the four
// writes succeed; a second load reads back exactly what was written, clamped; and a section the
// saver does not own reads the same before and after. Most of the code this reaches is the
// headless platform's profile reader and writer, which stand in for Windows' own; the product's
// share is the path, the number text and the clamping around them. It stays because the tests'
// every settings file goes through that substitute, and a fault in it would pass for the saver's.
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "fuzz_check.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"

namespace {

struct Scratch {
    Scratch() {
        // In memory where there is such a folder: every write syncs the file, which on a disk
        // would make the writes, not the code, what the run measures.
        char in_memory[] = "/dev/shm/frellis-fuzz-XXXXXX";
        char on_disk[] = "/tmp/frellis-fuzz-XXXXXX";
        const char *made = mkdtemp(in_memory);
        if (made == nullptr)
            made = mkdtemp(on_disk);
        FUZZ_CHECK(made != nullptr);
        folder = made;
        ini = folder + "/Frellis.ini";
        program = "\"" + folder + "/frellis.scr\"";
        for (char &c : program) {
            if (c == '/')
                c = '\\';
        }
    }
    ~Scratch() {
        unlink(ini.c_str());
        rmdir(folder.c_str());
    }
    std::string folder, ini, program;
};

std::string OtherSection(const WCHAR *path) {
    char text[64];
    GetPrivateProfileStringA("Other", "Keep", "(none)", text, sizeof text,
                             headless::AnsiText(path).c_str());
    return text;
}

int32_t Clamp(int32_t value, const SettingKey &row) {
    return value < row.minimum ? row.minimum : value > row.maximum ? row.maximum : value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static Scratch scratch;
    if (size < kSettingCount)
        return 0;
    {
        std::ofstream file(scratch.ini, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char *>(data + kSettingCount),
                   static_cast<std::streamsize>(size - kSettingCount));
    }
    headless::ResetProcess();
    ResetSettings();
    headless::SetCommandLine(scratch.program.c_str());

    LoadSettings();
    for (const SettingKey &row : setting_keys) {
        FUZZ_CHECK(saver_settings.*row.field >= row.minimum);
        FUZZ_CHECK(saver_settings.*row.field <= row.maximum);
    }
    const std::string other_before = OtherSection(settings_path);

    // Signed bytes: values below, inside and above every range, as a hand-edited file may hold.
    int32_t written[kSettingCount];
    for (int i = 0; i < kSettingCount; ++i) {
        written[i] = static_cast<int8_t>(data[i]);
        FUZZ_CHECK(WriteSetting(settings_path, kSettingsSection, setting_keys[i].key, written[i]) ==
                   1);
    }
    LoadSettings();
    for (int i = 0; i < kSettingCount; ++i)
        FUZZ_CHECK(saver_settings.*setting_keys[i].field == Clamp(written[i], setting_keys[i]));
    FUZZ_CHECK(OtherSection(settings_path) == other_before);
    return 0;
}
