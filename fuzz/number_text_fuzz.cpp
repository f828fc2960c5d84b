// The settings' number text both ways. Parsing is compared with a reference written from the
// rule (at most ten characters, an optional leading minus, digits only, wrapping past 32 bits);
// formatting with the C library's %d, and a formatted number parses back to itself whenever its
// text fits the ten characters (the most negative values take eleven and read as 0, as designed).
#include <cstring>

#include "fuzz_check.h"
#include "settings/settings_store.h"

namespace {

int32_t ReferenceParse(const std::string &text) {
    if (text.empty() || text.size() > 10)
        return 0;
    const bool negative = text[0] == '-';
    uint64_t value = 0;
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        value = (value * 10 + static_cast<uint64_t>(text[i] - '0')) % (uint64_t{1} << 32);
    }
    const uint32_t magnitude = static_cast<uint32_t>(value);
    return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text = FuzzText(data, size);
    FUZZ_CHECK(ParseDecimal(text.c_str()) == ReferenceParse(text));

    if (size >= 4) {
        int32_t value;
        std::memcpy(&value, data, sizeof value);
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d", static_cast<int>(value));
        const char *formatted = FormatDecimal(value);
        FUZZ_CHECK(std::strcmp(formatted, expected) == 0);
        FUZZ_CHECK(formatted >= number_text && formatted < number_text + kNumberTextSize);
        const int32_t back = ParseDecimal(formatted);
        FUZZ_CHECK(back == (std::strlen(expected) <= 10 ? value : 0));
    }
    return 0;
}
