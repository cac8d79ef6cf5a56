// Tests of a switch of the running character between frames, on the
// simulated screen: the new character stands on the edge the old one stood on.
#include "mascot/frame.h"
#include "mascot/running_character.h"
#include "platform/portable/hooks.h"
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

TEST_F(ModuleSwitchTest, AMonitorOfAnotherDpiRescalesTheCharacterWhereItStands) {
    // "big" stands at (2, 2) and moves 5 right each step.
    Start(CharacterWithActions({{"big", "ms,2,2,2,0,0,2,0,1,3,0,5,0,100,1,5,0,100,1,stand,100,"}}), "big");
    Monitor monitors[] = {{Rect{0, 0, 1024, 768}, Rect{0, 0, 1024, 740}, 96},
                          {Rect{1024, 0, 2048, 768}, Rect{1024, 0, 2048, 768}, 192}};
    SysTestSetMonitors(monitors, 2);
    EXPECT_EQ(ScaleForMonitorOf(nullptr), 1) << "the primary monitor";
    SysWindow* right = SysTestCreateWindow(Rect{1500, 10, 1600, 20}, "Other", 1);
    EXPECT_EQ(ScaleForMonitorOf(right), 2);

    FrameTick();
    FrameTick();
    Rect before;
    SysWindowRect(MainWindow, &before);
    ASSERT_EQ(before.top, 298);
    ASSERT_EQ(RescaleRunningCharacter(2), 1);
    EXPECT_EQ(RunningCharacter.canvasWidth, 128);
    EXPECT_EQ(RunningCharacter.marginLeft, 40);
    EXPECT_EQ(RunningCharacter.currentAction->stepIndex, 0) << "the action goes on where it was";
    EXPECT_EQ(RunningCharacter.currentAction->loopsDone, 1);
    Rect after;
    SysWindowRect(MainWindow, &after);
    EXPECT_EQ(after, (Rect{before.left + 2 - 4, 298 + 2 - 4, before.left + 2 - 4 + 8, 298 + 2 - 4 + 4}))
        << "twice the size, the standing point kept";
    FrameTick();
    SysWindowRect(MainWindow, &after);
    EXPECT_EQ(after.left, before.left - 2 + 10) << "steps move twice as far";
    EXPECT_EQ(after.bottom - after.top, 4);

    TestCharacter tall = CharacterWithActions({{"tall", StillAction(0, 50)}});
    tall.PutText("info.txt", InfoText("Tall", "1,tall,100,"));
    ASSERT_TRUE(tall.Write("tall.Pkm"));
    ASSERT_EQ(SwitchRunningCharacter("tall.Pkm"), 1);
    FrameTick();
    EXPECT_EQ(WindowTop(), 300 - 100) << "a new module comes at the running scale";
    ASSERT_EQ(RescaleRunningCharacter(1), 1);
    EXPECT_EQ(RunningCharacter.canvasWidth, 64);
    EXPECT_EQ(WindowTop(), 300 - 50);
    SysTestSetMonitors(nullptr, 0);
}

}  // namespace
