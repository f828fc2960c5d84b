// The command line as the platform hands it over: where the tail starts, which mode its first
// letter asks for, where the handle's text begins and what number it reads as. Each is compared
// with a reference written straight from the rules, byte by byte.
#include "fuzz_check.h"
#include "host/saver_main.h"

namespace {

size_t ReferenceTailStart(const std::string &line) {
    auto byte = [&](size_t i) { return i < line.size() ? static_cast<uint8_t>(line[i]) : 0u; };
    size_t i = 0;
    if (byte(0) == '"') {
        i = 1;
        while (byte(i) != 0 && byte(i) != '"')
            ++i;
        if (byte(i) == '"')
            ++i;
    } else {
        while (byte(i) > ' ')
            ++i;
    }
    while (byte(i) != 0 && byte(i) <= ' ')
        ++i;
    return i;
}

struct Expected {
    SaverMode mode;
    long argument; // offset into the tail, -1 for none
};

Expected ReferenceCommand(const std::string &tail) {
    size_t i = tail.find_first_not_of(" -/");
    if (i == std::string::npos)
        return {SaverMode::kConfigureNoOwner, -1};
    auto after_spaces = [&](size_t from) {
        size_t j = tail.find_first_not_of(' ', from);
        return static_cast<long>(j == std::string::npos ? tail.size() : j);
    };
    switch (tail[i]) {
    case 'S':
    case 's':
        return {SaverMode::kFullScreen, -1};
    case 'C':
    case 'c':
        if (i + 1 < tail.size() && tail[i + 1] == ':')
            return {SaverMode::kConfigure, static_cast<long>(i + 2)};
        return {SaverMode::kConfigure, -1};
    case 'P':
    case 'p':
    case 'L':
    case 'l':
        return {SaverMode::kPreview, after_spaces(i + 1)};
    case 'A':
    case 'a':
        return {SaverMode::kChangePassword, after_spaces(i + 1)};
    default:
        return {SaverMode::kInvalid, -1};
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string line = FuzzText(data, size);
    const char *tail = SkipProgramPath(line.c_str());
    FUZZ_CHECK(tail == line.c_str() + ReferenceTailStart(line));

    const std::string tail_text = tail;
    const SaverCommand command = ReadSaverCommand(tail);
    const Expected expected = ReferenceCommand(tail_text);
    FUZZ_CHECK(command.mode == expected.mode);
    if (expected.argument < 0)
        FUZZ_CHECK(command.argument == nullptr);
    else
        FUZZ_CHECK(command.argument == tail + expected.argument);

    // The handle reader on the whole text and on the argument the mode found.
    FUZZ_CHECK(reinterpret_cast<uintptr_t>(ParseWindowHandle(line.c_str())) ==
               ReferenceHandle(line.c_str()));
    FUZZ_CHECK(reinterpret_cast<uintptr_t>(ParseWindowHandle(command.argument)) ==
               ReferenceHandle(command.argument));
    return 0;
}
