// Tests of the switch of the running character to another module: the new
// character is loaded whole before the running one is released. The same
// tests run against Win32 under Wine.
#include "mascot/running_character.h"
#include "mascot/state.h"
#include "platform/graphics.h"
#include "platform/memory.h"
#include "tests/support/module_writer.h"
#include "tests/support/platform_support.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

// The switch of the running character: a second character is loaded whole
// before the running one is released.
class SwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        blocks_ = SysLiveBlocks();
        objects_ = SysLiveGraphicsObjects();
        UserSettings.SndUse = 1;
        TestCharacter first = MakeTestCharacter();
        first.PutText("info.txt", InfoText("First", "1,stand,100,"));
        ASSERT_TRUE(first.Write("first.Pkm"));
        TestCharacter second = MakeTestCharacter();
        second.PutText("info.txt", InfoText("Second", "1,walk,100,"));
        ASSERT_TRUE(second.Write("second.Pkm"));
        ASSERT_EQ(LoadStartingCharacter(&RunningCharacter, "first.Pkm"), 1);
        BackBufferDC = SysCreateMemoryDC();
        ASSERT_NE(BackBufferDC, nullptr);
        defaultBitmap_ = SysSelectBitmap(BackBufferDC, RunningCharacter.canvas.bitmap);
    }
    void TearDown() override {
        SysSelectBitmap(BackBufferDC, defaultBitmap_);
        SysDeleteDC(BackBufferDC);
        BackBufferDC = nullptr;
        ReleaseCharacter(&RunningCharacter);
        ClearRecordedMessages();
        EXPECT_EQ(SysLiveBlocks(), blocks_) << "blocks leaked";
        EXPECT_EQ(SysLiveGraphicsObjects(), objects_) << "palettes or bitmaps leaked";
    }
    // The bitmap selected in the back buffer now.
    static SysBitmap* SelectedCanvas() {
        SysBitmap* selected = SysSelectBitmap(BackBufferDC, RunningCharacter.canvas.bitmap);
        return selected;
    }
    ScopedTempDir dir_;
    int64_t blocks_ = 0;
    int64_t objects_ = 0;
    SysBitmap* defaultBitmap_ = nullptr;
};

TEST_F(SwitchTest, ReplacesTheRunningCharacterWhole) {
    RunningCharacter.onWindowTop = 1;
    PendingShiftX = 5;
    PendingShiftY = -3;
    ASSERT_EQ(SwitchRunningCharacter("second.Pkm"), 1);
    EXPECT_STREQ(RunningCharacter.name, "Second");
    EXPECT_STREQ(RunningCharacter.modulePath, "second.Pkm");
    EXPECT_STREQ(RunningCharacter.currentAction->name, "walk");
    EXPECT_EQ(SelectedCanvas(), RunningCharacter.canvas.bitmap) << "the new canvas is in the back buffer";
    EXPECT_EQ(RunningCharacter.onWindowTop, 1) << "it stands on the same edge";
    EXPECT_EQ(PendingShiftX, 0) << "the old character's anchor shift no longer applies";
    EXPECT_EQ(PendingShiftY, 0);
}

TEST_F(SwitchTest, SwitchingToTheRunningModuleLoadsItAfresh) {
    Action* before = RunningCharacter.currentAction;
    uint32_t serial = before->serial;
    ASSERT_EQ(SwitchRunningCharacter("first.Pkm"), 1);
    EXPECT_STREQ(RunningCharacter.name, "First");
    EXPECT_NE(RunningCharacter.currentAction->serial, serial);
}

TEST_F(SwitchTest, AFailedLoadLeavesTheRunningCharacterUntouched) {
    TestCharacter broken = MakeTestCharacter();
    broken.Remove("palette.tw8");
    ASSERT_TRUE(broken.Write("broken.Pkm"));
    Character before = RunningCharacter;
    EXPECT_EQ(SwitchRunningCharacter("broken.Pkm"), 0);
    EXPECT_EQ(SwitchRunningCharacter("missing.Pkm"), 0);
    // A valid module whose name the settings could not hold: saved, it would
    // make every later start refuse the key.
    std::error_code error;
    std::string longName;
    while (longName.size() < 250) {
        longName += std::string(40, 'd') + "/";
        std::filesystem::create_directory(longName, error);
    }
    longName += "second.Pkm";
    std::filesystem::copy_file("second.Pkm", longName, error);
    EXPECT_EQ(SwitchRunningCharacter(longName.c_str()), 0) << longName.size();
    EXPECT_EQ(std::memcmp(&before, &RunningCharacter, sizeof before), 0);
    EXPECT_EQ(SelectedCanvas(), RunningCharacter.canvas.bitmap);
}

}  // namespace
