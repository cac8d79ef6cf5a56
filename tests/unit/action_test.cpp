// Tests of action loading: the script's fields, asset naming, sound on and
// off, and malformed scripts that must be refused without leaving anything.
#include "mascot/frame.h"
#include "modules/action.h"
#include "modules/scale.h"
#include "platform/memory.h"
#include "settings/settings.h"
#include "tests/support/module_writer.h"
#include "tests/support/platform_support.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

class ActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        blocks_ = SysLiveBlocks();
        objects_ = SysLiveGraphicsObjects();
        UserSettings.SndUse = 1;
    }
    void TearDown() override {
        InjectAllocFailureAfter(-1);
        EXPECT_EQ(SysLiveBlocks(), blocks_) << "blocks leaked";
        EXPECT_EQ(SysLiveGraphicsObjects(), objects_) << "bitmaps leaked";
        UserSettings.SndUse = 1;
    }
    Action* Load(const TestCharacter& c, const char* name) {
        EXPECT_TRUE(c.Write("m.Pkm"));
        return LoadAction("m.Pkm", name, UserSettings.SndUse);
    }
    ScopedTempDir dir_;
    int64_t blocks_ = 0;
    int64_t objects_ = 0;
};

TEST_F(ActionTest, LoadsEveryFieldOfTheScript) {
    TestCharacter c = MakeTestCharacter();
    c.PutText("walk", "\r\nwk,3,\r\n40,90,2,step,30,70,5,\r\n9,2,0,1,3,0,4,0,150,\n1,-4,2,150,2,stand,60,walk,40,trailing junk");
    c.AddSounds("step", 2);
    Action* action = Load(c, "walk");
    EXPECT_EQ(action, nullptr) << "a base name starting with a line break names entries that do not exist";

    c.PutText("walk", "wk,3,\r\n40,90,2,step,30,70,5,\r\n9,2,0,1,3,0,4,0,150,\n1,-4,2,150,2,stand,60,walk,40,trailing junk");
    action = Load(c, "walk");
    ASSERT_NE(action, nullptr);
    EXPECT_STREQ(action->name, "walk");
    EXPECT_EQ(action->celCount, 3);
    EXPECT_EQ(action->cels[2].image.bits[0], 2) << "cel 2 is wk02.tw8";
    EXPECT_EQ(action->cels[0].regionSize, 48u);
    EXPECT_EQ(action->anchorX, 40);
    EXPECT_EQ(action->anchorY, 90);
    ASSERT_EQ(action->soundCount, 2);
    EXPECT_EQ(action->sounds[0].weight, 30);
    EXPECT_EQ(action->sounds[1].weight, 70);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(action->sounds[1].data), 4), "RIFF") << "sounds come unscrambled";
    EXPECT_EQ(action->soundTick, 5);
    EXPECT_EQ(action->stepCount, 2);
    EXPECT_EQ(action->loopStart, 0);
    EXPECT_EQ(action->loopEnd, 1);
    EXPECT_EQ(action->loopRepeat, 3);
    EXPECT_EQ(action->steps[1].celIndex, 1);
    EXPECT_EQ(action->steps[1].dx, -4);
    EXPECT_EQ(action->steps[1].dy, 2);
    EXPECT_EQ(action->steps[1].duration, 150);
    ASSERT_EQ(action->nextCount, 2);
    EXPECT_STREQ(action->nextActions[0].name, "stand");
    EXPECT_EQ(action->nextActions[1].weight, 40);
    EXPECT_EQ(action->tickCount + action->stepIndex + action->loopsDone, 0);

    Action* again = LoadAction("m.Pkm", "walk", UserSettings.SndUse);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->serial, action->serial) << "every load is a new instance";
    ReleaseAction(again);
    ReleaseAction(action);
    ReleaseAction(nullptr);
}

TEST_F(ActionTest, SoundsAreReadOnlyWhileSoundIsOn) {
    TestCharacter c = MakeTestCharacter();
    c.Remove("beep00.snd");
    UserSettings.SndUse = 0;
    Action* action = Load(c, "stand");
    ASSERT_NE(action, nullptr) << "missing sounds do not matter with sound off";
    EXPECT_EQ(action->soundCount, 0);
    EXPECT_EQ(action->sounds, nullptr);
    EXPECT_EQ(action->stepCount, 2) << "the weights and tick were read past";
    ReleaseAction(action);

    UserSettings.SndUse = 7;  // any non-zero value is on
    EXPECT_EQ(Load(c, "stand"), nullptr);

    Bytes unreadable = MakeWave(4);
    PutLe32(&unreadable, 40, 400);  // data past the entry
    c.Put("beep00.snd", Scramble(unreadable));
    action = Load(c, "stand");
    ASSERT_NE(action, nullptr) << "an unreadable sound does not stop the action";
    ASSERT_EQ(action->soundCount, 1) << "its slot stays, so the draws over the weights stay the same";
    EXPECT_EQ(action->sounds[0].data, nullptr);
    EXPECT_EQ(action->sounds[0].size, 0u);
    ReleaseAction(action);
}

TEST_F(ActionTest, AssetNamesTakeTheBaseNameAsPlainText) {
    char name[264];
    ASSERT_EQ(AssetEntryName(name, sizeof name, "walk", 100, ".tw8"), 1);
    EXPECT_STREQ(name, "walk100.tw8");
    ASSERT_EQ(AssetEntryName(name, sizeof name, "w%s%d", 7, ".rgn"), 1);
    EXPECT_STREQ(name, "w%s%d07.rgn");
    EXPECT_EQ(AssetEntryName(name, 8, "walk", 1, ".tw8"), 0);

    TestCharacter c = MakeTestCharacter();
    c.PutText("pct", "p%n,1,0,0,0,0,1,0,0,0,0,0,0,100,1,pct,100,");
    c.AddCels("p%n", 1);
    Action* action = Load(c, "pct");
    ASSERT_NE(action, nullptr);
    ReleaseAction(action);

    // Cel 100 is looked up as base name plus 100.
    std::string steps;
    c.PutText("many", "m,101,0,0,0,0,1,0,0,0,100,0,0,10,1,many,100,");
    c.AddCels("m", 101, 1, 1);
    action = Load(c, "many");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->cels[100].image.bits[0], 100);
    ReleaseAction(action);
    c.Remove("m100.rgn");
    EXPECT_EQ(Load(c, "many"), nullptr);
}

TEST_F(ActionTest, MalformedScriptsAreRefused) {
    const char* scripts[] = {
        "nocomma",
        "wk,0,0,0,0,0,1,0,0,0,0,0,0,100,1,walk,100,",          // no cels
        "wk,-2,0,0,0,0,1,0,0,0,0,0,0,100,1,walk,100,",         // negative cel count
        "wk,3,0,0,0,0,0,0,0,0,1,walk,100,",                    // no steps
        "wk,3,0,0,0,0,1,0,0,0,3,0,0,100,1,walk,100,",          // step shows cel 3 of 3
        "wk,3,0,0,0,0,1,0,0,0,-1,0,0,100,1,walk,100,",         // negative cel index
        "wk,3,0,0,0,0,2,-1,1,0,0,0,0,100,1,0,0,100,1,walk,100,", // loop start before the steps
        "wk,3,0,0,0,0,2,2,1,0,0,0,0,100,1,0,0,100,1,walk,100,",  // loop start past the steps
        "wk,3,0,0,0,0,1,0,0,0,0,0,0,100,0,",                   // no next action
        "wk,3,0,0,0,0,1,0,0,0,0,0,0,100,2,walk,100,",          // next list cut short
        "wk,3,0,0,0,0,1,0,0,0,0,0,0,100,",                     // next count missing
        "wk,3,0,0,0,0,2147483647,0,0,0,0,0,0,100,1,walk,100,", // step count beyond the text
        "wk,3,0,0,2,0123456789012345678901234567890123456789,50,50,1,0,1,0,0,0,0,0,0,100,1,walk,100,",
        "wk,3,0,0,0,0,1,0,0,0,0,0,0,100,1,", // next name missing
    };
    for (const char* script : scripts) {
        TestCharacter c = MakeTestCharacter();
        c.PutText("walk", script);
        EXPECT_EQ(Load(c, "walk"), nullptr) << script;
    }
    TestCharacter c = MakeTestCharacter();
    c.PutText("walk", "wk,3,0,0,0,0,1,0,0,0,0,0,0,100,1," + std::string(256, 'n') + ",100,");
    EXPECT_EQ(Load(c, "walk"), nullptr) << "next action name over 255 bytes";
    EXPECT_EQ(LoadAction("m.Pkm", std::string(256, 'a').c_str(), UserSettings.SndUse), nullptr);
    EXPECT_EQ(LoadAction("m.Pkm", "absent", UserSettings.SndUse), nullptr);

    c = MakeTestCharacter();
    c.Put("wk01.rgn", Bytes(31, 0));
    EXPECT_EQ(Load(c, "walk"), nullptr) << "region shorter than its header";
    Bytes lying = MakeRegion({{0, 0, 4, 2}});
    PutLe32(&lying, 8, 2);
    c.Put("wk01.rgn", lying);
    EXPECT_EQ(Load(c, "walk"), nullptr) << "region announcing more rectangles than it holds";
    c = MakeTestCharacter();
    c.Remove("wk02.tw8");
    EXPECT_EQ(Load(c, "walk"), nullptr) << "missing cel picture";
}

TEST_F(ActionTest, ALoopEndOutsideTheStepsLoads) {
    // The end is only compared with the step index: -1 with no repeat is an action without a loop.
    for (const char* loop : {"0,-1,0,", "0,2,1,", "1,-2147483648,-1,", "1,2147483647,3,"}) {
        TestCharacter c = MakeTestCharacter();
        c.PutText("walk", std::string("wk,3,0,0,0,0,2,") + loop + "0,0,0,100,1,0,0,100,1,walk,100,");
        Action* action = Load(c, "walk");
        ASSERT_NE(action, nullptr) << loop;
        ReleaseAction(action);
    }
}

TEST_F(ActionTest, MouseWatchingNeedsEightCelsAndTwoSteps) {
    TestCharacter c = MakeTestCharacter();
    c.AddCels("ms", 8);
    c.PutText("mus", "ms,8,0,0,0,0,2,0,1,-1,0,30,20,0,0,0,0,100,1,stand,100,");
    Action* action = Load(c, "mus");
    ASSERT_NE(action, nullptr);
    ReleaseAction(action);
    c.PutText("mus", "ms,7,0,0,0,0,2,0,1,-1,0,30,20,0,0,0,0,100,1,stand,100,");
    EXPECT_EQ(Load(c, "mus"), nullptr);
    c.PutText("mus", "ms,8,0,0,0,0,1,0,0,-1,0,30,20,0,1,stand,100,");
    EXPECT_EQ(Load(c, "mus"), nullptr);
    c.PutText("Mus", "ms,7,0,0,0,0,1,0,0,-1,0,30,20,0,1,stand,100,");
    action = Load(c, "Mus");
    EXPECT_NE(action, nullptr) << "kinds are told case-sensitively";
    ReleaseAction(action);
}

TEST_F(ActionTest, ScalingRepeatsPixelsAndMultipliesEveryDistance) {
    struct DpiCase {
        int32_t dpi, factor;
    };
    for (const DpiCase& k : std::vector<DpiCase>{{0, 1}, {96, 1}, {143, 1}, {144, 2}, {192, 2}, {239, 2}, {240, 3}, {336, 4}})
        EXPECT_EQ(ScaleForDpi(k.dpi), k.factor) << k.dpi << " DPI";

    TestCharacter c = MakeTestCharacter();
    // A 3 x 2 cel (rows padded to 4 bytes, 12 at factor 3), pixels bottom row first.
    c.Put("sc00.tw8", MakeImage(3, 2, {1, 2, 3, 4, 5, 6}, false));
    c.Put("sc00.rgn", MakeRegion({{0, 0, 2, 1}, {1, 1, 3, 2}}));
    c.PutText("big", "sc,1,2,-5,0,0,2,0,0,0,0,4,-1,150,0,1073741824,0,20,1,stand,100,");
    ASSERT_TRUE(c.Write("m.Pkm"));
    Action* action = LoadScaledAction("m.Pkm", "big", 3, UserSettings.SndUse);
    ASSERT_NE(action, nullptr);
    const DibImage& image = action->cels[0].image;
    ASSERT_EQ(image.width, 9);
    ASSERT_EQ(image.height, 6);
    for (uint32_t y = 0; y < 6; y++)
        for (uint32_t x = 0; x < 9; x++)
            EXPECT_EQ(image.bits[y * DibStride(9) + x], 1 + (y / 3) * 3 + x / 3) << x << "," << y << ": nearest neighbour";
    uint8_t table[kColorTableSize];
    ASSERT_EQ(SysGetDibColorTable(image.bitmap, table), 1);
    EXPECT_EQ(table[4 * 200], 200) << "the cel's own colours";
    const uint8_t* region = action->cels[0].regionData;
    ASSERT_EQ(action->cels[0].regionSize, 64u);
    auto at = [&](uint32_t offset) { return static_cast<int32_t>(region[offset] | region[offset + 1] << 8 | region[offset + 2] << 16 | region[offset + 3] << 24); };
    EXPECT_EQ(at(8), 2) << "the count stays";
    const int32_t expected[] = {0, 0, 9, 6, 0, 0, 6, 3, 3, 3, 9, 6};  // bounds, then both rectangles
    for (int i = 0; i < 12; i++) EXPECT_EQ(at(16 + 4 * i), expected[i]) << "number " << i;
    EXPECT_EQ(action->anchorX, 6);
    EXPECT_EQ(action->anchorY, -15);
    EXPECT_EQ(action->steps[0].dx, 12);
    EXPECT_EQ(action->steps[0].dy, -3);
    EXPECT_EQ(action->steps[0].duration, 150) << "time does not scale";
    EXPECT_EQ(action->steps[1].dx, kCoordinateLimit) << "held, never wrapped";
    ReleaseAction(action);

    action = LoadScaledAction("m.Pkm", "big", 1, UserSettings.SndUse);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->steps[1].dx, 1073741824) << "factor 1 leaves the module's numbers as they are";
    ReleaseAction(action);

    c.Put("sc00.tw8", MakeImage(40000, 1, Bytes(40000, 7), false));
    ASSERT_TRUE(c.Write("m.Pkm"));
    EXPECT_EQ(LoadScaledAction("m.Pkm", "big", 2, UserSettings.SndUse), nullptr) << "80000 pixels are too wide for a bitmap";
}

TEST_F(ActionTest, RefusedAllocationsLeaveNothing) {
    if (!InjectAllocFailureAfter(-1)) GTEST_SKIP() << "no fault injection on this platform";
    TestCharacter c = MakeTestCharacter();
    ASSERT_TRUE(c.Write("m.Pkm"));
    // Fail each allocation in turn until the load needs no more than it gets;
    // at factor 2 the scaling's own allocations come after the load's.
    for (int32_t factor : {1, 2}) {
        int failAt = 0;
        for (; failAt < 200; failAt++) {
            InjectAllocFailureAfter(failAt);
            Action* action = LoadScaledAction("m.Pkm", "stand", factor, UserSettings.SndUse);
            InjectAllocFailureAfter(-1);
            if (action) {
                ReleaseAction(action);
                EXPECT_GT(failAt, 5);
                break;
            }
        }
        EXPECT_LT(failAt, 200) << "the load at factor " << factor << " never succeeded";
    }
}

}  // namespace
