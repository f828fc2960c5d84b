#include "host/saver_main.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

HWND Handle(uint32_t value) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

// The mode letter, the separators before it and where each mode's handle text begins.
TEST(ReadSaverCommand, ModeTable) {
    struct Row {
        const char *tail;
        SaverMode mode;
        const char *argument; // nullptr: the mode reads no handle text
    };
    const Row rows[] = {
        {"", SaverMode::kConfigureNoOwner, nullptr},
        {"/", SaverMode::kConfigureNoOwner, nullptr},
        {"- / -//  ", SaverMode::kConfigureNoOwner, nullptr},
        {"/s", SaverMode::kFullScreen, nullptr},
        {"/S", SaverMode::kFullScreen, nullptr},
        {"-s", SaverMode::kFullScreen, nullptr},
        {"s", SaverMode::kFullScreen, nullptr},
        {"//s", SaverMode::kFullScreen, nullptr},
        {"- /s", SaverMode::kFullScreen, nullptr},
        {"/saver 123", SaverMode::kFullScreen, nullptr},
        {"/c", SaverMode::kConfigure, nullptr},
        {"/C:123", SaverMode::kConfigure, "123"},
        {"/c:", SaverMode::kConfigure, ""},
        {"/c 123", SaverMode::kConfigure, nullptr},
        {"/c123", SaverMode::kConfigure, nullptr},
        {"/p 123", SaverMode::kPreview, "123"},
        {"/p123", SaverMode::kPreview, "123"},
        {"/P    123", SaverMode::kPreview, "123"},
        {"/p:123", SaverMode::kPreview, ":123"},
        {"/p\t123", SaverMode::kPreview, "\t123"},
        {"/p", SaverMode::kPreview, ""},
        {"/l 123", SaverMode::kPreview, "123"},
        {"L 7", SaverMode::kPreview, "7"},
        {"/a", SaverMode::kChangePassword, ""},
        {"/A  55", SaverMode::kChangePassword, "55"},
        {"/x", SaverMode::kInvalid, nullptr},
        {"/?", SaverMode::kInvalid, nullptr},
        {"/1", SaverMode::kInvalid, nullptr},
        {":s", SaverMode::kInvalid, nullptr},
        {"\ts", SaverMode::kInvalid, nullptr},
        {"/\x80s", SaverMode::kInvalid, nullptr},
        {"\xd3", SaverMode::kInvalid, nullptr},
        {"\xf3", SaverMode::kInvalid, nullptr}, // 's' | 0x80 must not match 's'
    };
    for (const Row &row : rows) {
        SaverCommand command = ReadSaverCommand(row.tail);
        EXPECT_EQ(command.mode, row.mode) << '"' << row.tail << '"';
        if (row.argument == nullptr)
            EXPECT_EQ(command.argument, nullptr) << '"' << row.tail << '"';
        else
            EXPECT_STREQ(command.argument, row.argument) << '"' << row.tail << '"';
    }
}

TEST(ParseWindowHandle, DecimalDigitsWrapModulo32Bits) {
    struct Row {
        const char *text;
        uint32_t value;
    };
    const Row rows[] = {
        {"123", 123},
        {"0", 0},
        {"", 0},
        {"12ab34", 12},
        {" 12", 0},
        {"-12", 0},
        {"+12", 0},
        {":12", 0},
        {"4294967295", 0xFFFFFFFFu},
        {"4294967296", 0},
        {"4294967297 5", 1},
        {"00000000000000000042", 42},
        {"99999999999", static_cast<uint32_t>(99999999999ull % 4294967296ull)},
    };
    for (const Row &row : rows)
        EXPECT_EQ(ParseWindowHandle(row.text), Handle(row.value)) << '"' << row.text << '"';
}

} // namespace
