// Tests of zippit-sim run as an author runs it: its fixed interface, the
// shipped character playing for a long run, and what its PNG frames show.
#include "tests/support/run_tool.h"
#include "tests/support/temp_dir.h"
#include "tools/common/png_io.h"

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
}

TEST(SimTest, BadCommandLinesSayWhatIsWrong) {
    const char* bad[] = {"--seed 4294967296", "--seed -1", "--frames", "--support 1,2,3", "--cursor '1;2'",
                         "--sound 2", "--char-act-per 99", "--wobble 1", "--start 1,2,3"};
    for (const char* arguments : bad) {
        ToolRun run = Sim(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_NE(run.err.find("zippit-sim: "), std::string::npos) << arguments;
    }
    ToolRun missing = RunTool(SIM_PATH, "no-such.Pkm");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no-such.Pkm"), std::string::npos);
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

}  // namespace
