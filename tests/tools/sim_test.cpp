// Tests of zippit-sim run as an author runs it: its fixed interface, the
// shipped character playing for a long run, and what its PNG frames show.
#include "tests/support/module_writer.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_dir.h"
#include "tools/common/png_io.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

ToolRun Sim(const std::string& arguments) { return RunTool(SIM_PATH, std::string(ZIPPY_MODULE) + " " + arguments); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(SimTest, PrintsOneLinePerFrameReproducibly) {
    ToolRun run = Sim("--frames 5 --support 100,300,900,700 --start -50,0");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("frame=0 t=0 action=", 0), 0u) << lines[0];
    // The character stands on the supporting window's top edge (300) from the first frame.
    EXPECT_NE(lines[0].find(" y=221 w=72 h=80 sound="), std::string::npos) << lines[0];
    EXPECT_EQ(Sim("--frames 5 --support 100,300,900,700 --start -50,0").out, run.out) << "same seed, same run";
    EXPECT_NE(Sim("--frames 200 --seed 4294967295").out, Sim("--frames 200 --seed 2").out);
    EXPECT_EQ(Sim("--frames 0").out, "");
    EXPECT_EQ(Sim("--frames 5 --support 100,300,900,700 --start -50,0 --scale 1").out, run.out);
    std::string scaled = Lines(Sim("--frames 5 --support 100,300,900,700 --start -50,0 --scale 2").out)[0];
    EXPECT_NE(scaled.find(" y=142 w=144 h=160 sound="), std::string::npos) << "twice the size, on the edge: " << scaled;
}

TEST(SimTest, BadCommandLinesSayWhatIsWrong) {
    const char* bad[] = {"--seed 4294967296", "--seed -1", "--frames", "--support 1,2,3", "--cursor '1;2'",
                         "--sound 2", "--char-act-per 99", "--wobble 1", "--start 1,2,3",
                         "--scale 0", "--scale 9"};
    for (const char* arguments : bad) {
        ToolRun run = Sim(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_NE(run.err.find("zippit-sim: "), std::string::npos) << arguments;
    }
    EXPECT_NE(Sim("--scale 9").err.find("--scale: 9 (a whole number from 1 to 8)"), std::string::npos);
    ToolRun missing = RunTool(SIM_PATH, "no-such.Pkm");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no-such.Pkm"), std::string::npos);

    ToolRun help = RunTool(SIM_PATH, "--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--seed N", "--frames N", "--support L,T,R,B", "--cursor X,Y", "--char-act-per N",
                               "--sound 0|1", "--start X,Y", "--png DIR", "--gif FILE", "--scale N", "--help, -h"})
        EXPECT_NE(help.out.find(std::string("\n  ") + option + " "), std::string::npos) << option;
}

TEST(SimTest, TheDefaultCharacterPlaysALongRunEveryActionInTime) {
    ToolRun run = Sim("--frames 100000 --cursor 500,100");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 100000u);
    std::set<std::string> actions;
    uint32_t lastTime = 0;
    for (const std::string& line : lines) {
        size_t at = line.find(" action=");
        actions.insert(line.substr(at + 8, line.find(' ', at + 8) - at - 8));
        uint32_t time = static_cast<uint32_t>(std::stoul(line.substr(line.find(" t=") + 3)));
        ASSERT_GE(time, lastTime) << line;
        lastTime = time;
    }
    EXPECT_GE(actions.size(), 8u) << "a long run visits most of the character's actions";
}

TEST(SimTest, PngFramesShowTheCharacterOnTheGreyWindow) {
    ScopedTempDir dir;
    ToolRun run = Sim("--frames 3 --support 100,300,900,700 --png .");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    RgbaPicture picture;
    std::string error;
    ASSERT_EQ(ReadPng("frame-00002.png", &picture, &error), 1) << error;
    ASSERT_EQ(picture.width, 1024u);
    auto pixel = [&](int x, int y) {
        const uint8_t* p = &picture.rgba[(static_cast<size_t>(y) * picture.width + x) * 4];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    };
    EXPECT_EQ(pixel(500, 500), 0xC0C0C0) << "the supporting window is grey";
    EXPECT_EQ(pixel(50, 50), 0xFFFFFF) << "the screen around it is white";
    // The character's feet touch the window's top edge: some pixel in the row
    // just above it is neither screen white nor window grey.
    std::vector<std::string> lines = Lines(run.out);
    int left = std::stoi(lines[2].substr(lines[2].find(" x=") + 3));
    int coloured = 0;
    for (int x = left; x < left + 72; x++) {
        int c = pixel(x, 299);
        if (c != 0xFFFFFF && c != 0xC0C0C0) coloured++;
    }
    EXPECT_GT(coloured, 5);
    int above = 0;
    for (int x = 0; x < 1024; x++)
        if (pixel(x, 300 - 81) != 0xFFFFFF) above++;
    EXPECT_EQ(above, 0) << "nothing above the character's top";
}

// The sum of a GIF's frame delays, in hundredths of a second; -1 when it cannot be read.
int64_t GifDuration(const char* path, int* frames) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path, &error);
    if (!gif) return -1;
    int64_t total = DGifSlurp(gif) == GIF_OK ? 0 : -1;
    for (int i = 0; total >= 0 && i < gif->ImageCount; i++) {
        GraphicsControlBlock control;
        total = DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK ? total + control.DelayTime : -1;
    }
    *frames = gif->ImageCount;
    DGifCloseFile(gif, &error);
    return total;
}

uint32_t LastTime(const std::string& out) {
    std::vector<std::string> lines = Lines(out);
    return lines.empty() ? 0 : static_cast<uint32_t>(std::stoul(lines.back().substr(lines.back().find(" t=") + 3)));
}

// The GIF holds the frames the PNGs show: the character's pixels in its own
// colours, nothing outside its shape, and delays whose total is the run's time.
TEST(SimTest, GifFramesMatchThePngFramesAndKeepTheRunsTime) {
    ScopedTempDir dir;
    const std::string options = "--frames 300 --support 100,300,900,700 --cursor 500,100";
    ToolRun run = Sim(options + " --gif run.gif --png .");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, Sim(options).out) << "the frame lines do not change";
    uint32_t end = LastTime(Sim("--frames 301 --support 100,300,900,700 --cursor 500,100").out);

    int error = 0;
    GifFileType* gif = DGifOpenFileName("run.gif", &error);
    ASSERT_NE(gif, nullptr) << error;
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->SWidth, 1024);
    ASSERT_NE(gif->SColorMap, nullptr);
    ASSERT_EQ(gif->ImageCount, 300) << "no step of this run is shorter than 5 ms";
    int64_t total = 0;
    for (int i = 0; i < gif->ImageCount; i++) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        EXPECT_EQ(control.DisposalMode, DISPOSE_BACKGROUND);
        total += control.DelayTime;
        if (i % 50 != 0) continue;
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", i);
        RgbaPicture screen;
        std::string why;
        ASSERT_EQ(ReadPng(name, &screen, &why), 1) << why;
        const SavedImage& frame = gif->SavedImages[i];
        const GifImageDesc& at = frame.ImageDesc;
        int drawn = 0;
        for (int y = 0; y < at.Height; y++) {
            for (int x = 0; x < at.Width; x++) {
                int index = frame.RasterBits[y * at.Width + x];
                const uint8_t* p = &screen.rgba[(static_cast<size_t>(at.Top + y) * 1024 + at.Left + x) * 4];
                int png = (p[0] << 16) | (p[1] << 8) | p[2];
                if (index == control.TransparentColor) {
                    EXPECT_TRUE(png == 0xFFFFFF || png == 0xC0C0C0 || png == 0x606060) << i << " " << x << "," << y;
                    continue;
                }
                const GifColorType& c = gif->SColorMap->Colors[index];
                EXPECT_EQ((c.Red << 16) | (c.Green << 8) | c.Blue, png) << i << " " << x << "," << y;
                drawn++;
            }
        }
        EXPECT_GT(drawn, 500) << i;
    }
    EXPECT_EQ(total, (end + 5) / 10);
    DGifCloseFile(gif, &error);

    // Steps of 35 ms and 4 ms: rounding each delay on its own would drift,
    // and a 4 ms frame is too short for a GIF to show.
    TestCharacter ticking = MakeTestCharacter();
    ticking.PutText("info.txt", InfoText("Ticker", "1,tick,100,"));
    ticking.PutText("tick", "st,2,2,2,0,0,3,0,2,0,0,0,0,35,1,0,0,4,0,0,0,35,1,tick,100,");
    ASSERT_TRUE(ticking.Write("tick.Pkm"));
    ASSERT_EQ(RunTool(SIM_PATH, "tick.Pkm --frames 99 --gif tick.gif").exitCode, 0);
    int frames = 0;
    EXPECT_EQ(GifDuration("tick.gif", &frames), (LastTime(RunTool(SIM_PATH, "tick.Pkm --frames 100").out) + 5) / 10);
    EXPECT_TRUE(frames > 60 && frames < 99) << frames << ": only the frames a GIF cannot show are left out";

    ToolRun unwritable = Sim("--frames 3 --gif no-such-folder/run.gif");
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("no-such-folder/run.gif"), std::string::npos) << unwritable.err;
}

}  // namespace
