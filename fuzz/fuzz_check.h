// What every fuzz target shares: the check that turns a broken property into a crash that
// libFuzzer keeps, the input as a C string (cut at its first NUL, as the platform hands texts
// over), and the decimal handle reading the command line is held to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

inline std::string FuzzText(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    return text.substr(0, text.find('\0'));
}

// Leading decimal digits, wrapped modulo 2^32: computed wide and reduced once at the end.
inline uint32_t ReferenceHandle(const char *text) {
    uint64_t value = 0;
    for (const char *p = text; p != nullptr && *p >= '0' && *p <= '9'; ++p)
        value = (value * 10 + static_cast<uint64_t>(*p - '0')) % (uint64_t{1} << 32);
    return static_cast<uint32_t>(value);
}
