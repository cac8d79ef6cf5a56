// Tests of a switch of the running character between frames, on the
// simulated screen: the new character stands on the edge the old one stood on.
#include "mascot/frame.h"
#include "mascot/running_character.h"
#include "platform/portable/hooks.h"
#include "tests/support/mascot_fixture.h"

#include <cstring>
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

// Two monitors, 96 DPI left of x 1024 and 192 right of it. The window
// system reports a change of DPI whenever most of the mascot window lands
// on the other monitor, the rescale's own move included; the mascot then
// asks for a rescale. Here it asks three times after every placement.
TEST_F(ModuleSwitchTest, TheMonitorUnderTheStandingPointDecidesTheFactorOnce) {
    // "wide": a 40 x 20 cel of colour 1, standing at (30, 20), with a sound.
    TestCharacter wide = CharacterWithActions({{"wide", "wd,2,30,20,1,beep,100,1,0,1,0,0,-1,1,0,0,100,1,wide,100,"}});
    wide.AddCels("wd", 2, 40, 20);
    Start(wide, "wide");
    wide.Remove("stand");  // a broken start action holds no rescale back
    ASSERT_TRUE(wide.Write("m.Pkm"));
    Monitor monitors[] = {{Rect{0, 0, 1024, 768}, Rect{0, 0, 1024, 740}, 96},
                          {Rect{1024, 0, 2048, 768}, Rect{1024, 0, 2048, 768}, 192}};
    SysTestSetMonitors(monitors, 2);
    const Action* action = RunningCharacter.currentAction;
    const WeightedSound* sounds = action->sounds;
    SysTestResetSounds();
    struct Case {
        const char* what;
        Rect window;  // where the window is put first
        bool hidden;
        int32_t scale;
        Rect settled;
    } cases[] = {
        {"standing right of the boundary, most of the window left of it", {1010, 280, 1050, 300}, false, 2,
         {980, 260, 1060, 300}},
        {"standing left of it again", {940, 260, 1020, 300}, false, 1, {970, 280, 1010, 300}},
        {"hidden: it stays hidden where it is", {1010, 280, 1050, 300}, true, 2, {1010, 280, 1050, 300}},
    };
    for (const Case& c : cases) {
        SysPlaceWindow(MainWindow, c.window.left, c.window.top, c.window.right - c.window.left,
                       c.window.bottom - c.window.top);
        if (c.hidden) SysHideWindow(MainWindow);
        int changes = 0;
        for (int ask = 0; ask < 3; ask++) changes += RescaleRunningCharacter();
        EXPECT_EQ(changes, 1) << c.what;
        EXPECT_EQ(RunningCharacter.scale, c.scale) << c.what;
        EXPECT_EQ(RunningCharacter.canvasWidth, 64 * c.scale) << c.what;
        EXPECT_EQ(RunningCharacter.marginLeft, 20 * c.scale) << c.what;
        SysTestWindowView view;
        SysTestViewWindow(MainWindow, &view);
        EXPECT_EQ(view.rect, c.settled) << c.what;
        EXPECT_EQ(view.visible, !c.hidden) << c.what;
        ASSERT_TRUE(view.shape && view.pixels) << c.what;
        int32_t shapeRight = 0;
        std::memcpy(&shapeRight, view.shape + 40, 4);
        EXPECT_EQ(shapeRight, 40 * c.scale) << c.what << ": shaped to the cel at once";
        if (!c.hidden) {
            EXPECT_EQ(view.pixels[(view.pixelWidth * 10 + 20) * 3], 1) << c.what << ": the cel, not a blank";
        }
    }
    EXPECT_EQ(PendingShiftX, 30) << "the frame that shows it again keeps the standing point";
    EXPECT_EQ(PendingShiftY, 20);
    EXPECT_EQ(RunningCharacter.currentAction, action) << "the action goes on, with its mouse watch";
    EXPECT_EQ(action->sounds, sounds);
    EXPECT_EQ(SysTestSoundStops(), 0) << "its sound plays on";
    UserSettings.SizeFactor = 2;
    EXPECT_EQ(WantedScale(), 4) << "the user's size multiplies the monitor's";
    UserSettings.SizeFactor = 1;

    TestCharacter tall = CharacterWithActions({{"tall", StillAction(0, 50)}});
    tall.PutText("info.txt", InfoText("Tall", "1,tall,100,"));
    ASSERT_TRUE(tall.Write("tall.Pkm"));
    ASSERT_EQ(SwitchRunningCharacter("tall.Pkm"), 1);
    EXPECT_EQ(RunningCharacter.scale, 2) << "a new module comes at the factor where the character stands";
}

TEST_F(ModuleSwitchTest, ACanvasTooLargeAtTheFactorComesAtTheLargestThatFits) {
    // 25000 pixels wide: 75000 at factor 3, over the limit of 65535.
    TestCharacter wide = MakeTestCharacter();
    std::string info = InfoText("Wide", "1,stand,100,");
    wide.PutText("info.txt", info.replace(info.find("64,48"), 5, "25000,1"));
    Start(wide);
    Character loaded = {};
    ASSERT_EQ(LoadStartingCharacter(&loaded, "m.Pkm", 3), 1);
    EXPECT_EQ(loaded.scale, 2);
    ReleaseCharacter(&loaded);
    Monitor monitor = {Rect{0, 0, 1024, 768}, Rect{0, 0, 1024, 768}, 288};
    SysTestSetMonitors(&monitor, 1);
    SysPlaceWindow(MainWindow, 100, 298, 4, 2);
    EXPECT_EQ(RescaleRunningCharacter(), 1);
    EXPECT_EQ(RunningCharacter.scale, 2);
    EXPECT_EQ(RescaleRunningCharacter(), 0) << "nothing larger loads: left as it is";
}

}  // namespace
