#include "render_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool Parse(const std::vector<const char *> &args, RenderOptions *options, std::string *error) {
    std::vector<const char *> argv = {"frellis-render"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(RenderOptions, AcceptsEveryOptionInItsRange) {
    struct Row {
        std::vector<const char *> args;
        SaverSettings settings; // figure_count, trail_length, corner_count, speed
        int width, height, ticks;
    };
    const Row rows[] = {
        {{}, {2, 16, 4, 10}, 640, 480, 300},
        {{"--figures", "8", "--corners", "8", "--trail", "32", "--speed", "20"},
         {8, 32, 8, 20},
         640,
         480,
         300},
        {{"--figures=1", "--corners=2", "--trail=1", "--speed=1"}, {1, 1, 2, 1}, 640, 480, 300},
        {{"--size", "1x16384", "--ticks", "0"}, {2, 16, 4, 10}, 1, 16384, 0},
        {{"--size=1920x1080", "--ticks=1000000"}, {2, 16, 4, 10}, 1920, 1080, 1000000},
    };
    for (const Row &row : rows) {
        RenderOptions options;
        std::string error;
        ASSERT_TRUE(Parse(row.args, &options, &error)) << error;
        const SaverSettings settings = ResolveSettings(options);
        EXPECT_EQ(settings.figure_count, row.settings.figure_count);
        EXPECT_EQ(settings.trail_length, row.settings.trail_length);
        EXPECT_EQ(settings.corner_count, row.settings.corner_count);
        EXPECT_EQ(settings.speed, row.settings.speed);
        EXPECT_EQ(options.width, row.width);
        EXPECT_EQ(options.height, row.height);
        EXPECT_EQ(options.ticks, row.ticks);
    }
}

TEST(RenderOptions, RejectsMalformedAndOutOfRangeValues) {
    const std::vector<const char *> rows[] = {
        {"--figures", "0"},
        {"--figures", "9"},
        {"--corners", "1"},
        {"--trail", "33"},
        {"--speed", "21"},
        {"--speed", "-1"},
        {"--speed", "1O"},
        {"--speed", ""},
        {"--speed", "+5"},
        {"--speed"},
        {"--seed", "4294967296"},
        {"--seed", "-1"},
        {"--size", "640"},
        {"--size", "0x480"},
        {"--size", "640x480x2"},
        {"--size", "x480"},
        {"--size", "16385x1"},
        {"--ticks", "-1"},
        {"--ticks", "99999999999999999999"},
        {"--frames", "3"},
        {"stray"},
        {"--trace=yes"},
        {"--png"},
    };
    for (const std::vector<const char *> &args : rows) {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(Parse(args, &options, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(RenderOptions, FlagsOverrideTheSettingsFileWhichOverridesDefaults) {
    const std::string path = testing::TempDir() + "render_options_test.ini";
    FILE *file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    // Out-of-range values in the file are clamped as the saver clamps them.
    std::fputs("[Setting]\nPolygon=5\nPoint=99\nSpeed=3\n", file);
    std::fclose(file);
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--settings", path.c_str(), "--speed", "7"}, &options, &error)) << error;
    const SaverSettings settings = ResolveSettings(options);
    EXPECT_EQ(settings.figure_count, 5);
    EXPECT_EQ(settings.corner_count, 8);
    EXPECT_EQ(settings.trail_length, 16);
    EXPECT_EQ(settings.speed, 7);
    std::remove(path.c_str());
}

} // namespace
