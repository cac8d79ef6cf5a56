// Tests of a switch of the running character between frames, on the
// simulated screen: the new character stands on the edge the old one stood on.
#include "mascot/frame.h"
#include "platform/portable/hooks.h"
#include "settings/module_library.h"
#include "tests/support/mascot_fixture.h"

#include <string>

namespace {

int32_t WindowTop() {
    Rect rect;
    SysWindowRect(MainWindow, &rect);
    return rect.top;
}

// An action of one 4x2 cel standing still, anchored at (ax, ay).
std::string StillAction(int ax, int ay) {
    return "ms,1," + std::to_string(ax) + "," + std::to_string(ay) + ",0,0,1,0,0,-1,0,0,0,100,1,stand,100,";
}

class ModuleSwitchTest : public MascotTest {
protected:
    // Runs the old character on the support's top edge (300), then switches
    // to one whose standing line is 50 pixels down its picture.
    void RunThenSwitch() {
        Start(CharacterWithActions({{"still", StillAction(2, 2)}}), "still");
        FrameTick();
        FrameTick();
        ASSERT_EQ(WindowTop(), 298);
        TestCharacter tall = CharacterWithActions({{"tall", StillAction(0, 50)}});
        tall.PutText("info.txt", InfoText("Tall", "1,tall,100,"));
        ASSERT_TRUE(tall.Write("tall.Pkm"));
        SysTestResetSounds();
        ASSERT_EQ(SwitchRunningCharacter("tall.Pkm"), 1);
        EXPECT_EQ(SysTestSoundStops(), 1);
    }
};

TEST_F(ModuleSwitchTest, TheNextFrameSnapsTheNewCharacterOntoTheSupport) {
    RunThenSwitch();
    for (int frame = 0; frame < 3; frame++) {
        FrameTick();
        EXPECT_EQ(WindowTop(), 300 - 50) << "frame " << frame;
    }
}

TEST_F(ModuleSwitchTest, WithTheMascotInFrontItStillKeepsToTheTopEdge) {
    RunThenSwitch();
    SysTestSetForeground(MainWindow);  // as after its own dialog closed
    FrameTick();
    FrameTick();  // the new action's resnap
    EXPECT_EQ(WindowTop(), 300 - 50) << "not inside the support's bottom edge";
}

}  // namespace
