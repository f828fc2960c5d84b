// Runs the built frellis-render as a person would and checks what comes out.
#include <gif_lib.h>
#include <png.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "image_output.h"

namespace {

std::string RunTool(const std::string &args, int *status) {
    const std::string command = std::string(FRELLIS_RENDER) + " " + args + " 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    *status = pipe ? pclose(pipe) : -1;
    return output;
}

TEST(RenderTool, TraceFollowsTheFiguresFromPlacement) {
    int status;
    EXPECT_EQ(RunTool("--seed 1 --size 640x480 --figures 1 --corners 2 --trail 1 --ticks 1 --trace",
                      &status),
              "0 0 1091 0 270 -3 -5 224 430 -6 3\n1 0 1092 2 273 5 3 218 433 -6 3\n");
    EXPECT_EQ(status, 0);
}

TEST(RenderTool, ExitStatus) {
    struct Row {
        const char *args;
        int exit_code;
    };
    const Row rows[] = {
        {"--help", 0},
        {"--print-settings", 0},
        {"--figures 9", 2},
        {"--bogus", 2},
        {"--settings /nonexistent/Frellis.ini", 2},
        {"--gif /tmp/x.gif --ticks 0", 2},
    };
    for (const Row &row : rows) {
        int status;
        RunTool(row.args, &status);
        EXPECT_EQ(WEXITSTATUS(status), row.exit_code) << row.args;
    }
    int status;
    EXPECT_EQ(RunTool("--print-settings --figures 3 --speed 20", &status),
              "Polygon=3\nPoint=4\nLine=16\nSpeed=20\n");
}

TEST(RenderTool, GifHasOneFramePerTick) {
    const std::string path = testing::TempDir() + "render_tool_test.gif";
    int status;
    RunTool("--seed 7 --size 64x48 --figures 8 --corners 8 --trail 32 --ticks 12 --speed 3 --gif " +
                path,
            &status);
    ASSERT_EQ(status, 0);
    int error = 0;
    GifFileType *gif = DGifOpenFileName(path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->ImageCount, 12);
    EXPECT_EQ(gif->SWidth, 64);
    EXPECT_EQ(gif->SHeight, 48);
    // Speed 3 ticks every 33 ms: delays of 3 and 4 hundredths keep the total on time.
    int total = 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        total += control.DelayTime;
    }
    EXPECT_EQ(total, 40);
    DGifCloseFile(gif, &error);
    std::remove(path.c_str());
}

// While a frame has at most 256 colours the GIF keeps them exactly: its last frame is the PNG.
TEST(RenderTool, GifFramesKeepExactColours) {
    const std::string gif_path = testing::TempDir() + "render_tool_exact.gif";
    const std::string png_path = testing::TempDir() + "render_tool_exact.png";
    int status;
    RunTool("--seed 11 --size 80x60 --figures 3 --corners 5 --trail 8 --ticks 5 --gif " + gif_path +
                " --png " + png_path,
            &status);
    ASSERT_EQ(status, 0);

    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&png, png_path.c_str()));
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(png));
    ASSERT_TRUE(png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr));

    int error = 0;
    GifFileType *gif = DGifOpenFileName(gif_path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    const SavedImage &last = gif->SavedImages[gif->ImageCount - 1];
    const ColorMapObject *map = last.ImageDesc.ColorMap ? last.ImageDesc.ColorMap : gif->SColorMap;
    ASSERT_NE(map, nullptr);
    int differing = 0, painted = 0;
    for (size_t i = 0; i < size_t(80 * 60); ++i) {
        const GifColorType &c = map->Colors[last.RasterBits[i]];
        differing += c.Red != rgb[3 * i] || c.Green != rgb[3 * i + 1] || c.Blue != rgb[3 * i + 2];
        painted += rgb[3 * i] || rgb[3 * i + 1] || rgb[3 * i + 2];
    }
    EXPECT_GT(painted, 0);
    EXPECT_EQ(differing, 0);
    DGifCloseFile(gif, &error);
    std::remove(gif_path.c_str());
    std::remove(png_path.c_str());
}

TEST(GifFrameDelay, RoundsSoThatTheTotalKeepsTime) {
    struct Row {
        int period_ms;
        std::vector<int> delays;
    };
    const Row rows[] = {
        {100, {10, 10, 10}},      {33, {3, 4, 3, 3, 4, 3}}, {10, {1, 1, 1}},
        {16, {2, 1, 2, 1, 2, 2}}, {5, {1, 1, 1, 1}}, // a frame shows at least 1/100 s
    };
    for (const Row &row : rows) {
        int64_t shown = 0;
        for (size_t frame = 0; frame < row.delays.size(); ++frame)
            EXPECT_EQ(GifFrameDelay(static_cast<int>(frame), row.period_ms, &shown),
                      row.delays[frame])
                << row.period_ms << " ms, frame " << frame;
    }
}

} // namespace
