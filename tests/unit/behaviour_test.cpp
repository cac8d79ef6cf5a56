// Tests of the behaviour: loops, walking and idle kinds, sounds at their
// tick, the personality's two-block draw, switching actions, and sleep
// while the user is away.
#include "mascot/behaviour.h"
#include "mascot/random.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "platform/portable/hooks.h"
#include "settings/settings.h"
#include "tests/support/mascot_fixture.h"

#include <string>
#include <vector>

namespace {

// Six steps showing cels 0..5, a loop over steps 2..4 repeated `repeat` more times.
std::string SixSteps(const char* repeat, const char* next = "1,stand,100,") {
    return std::string("ms,8,10,20,0,0,6,2,4,") + repeat + ",0,0,0,10,1,0,0,10,2,0,0,10,3,0,0,10,4,0,0,10,5,0,0,10," + next;
}

// Steps shown by `frames` calls of AdvanceStep, and whether the action stayed.
std::vector<int> Shown(int frames, std::string* endedIn) {
    std::vector<int> shown;
    for (int i = 0; i < frames; i++) {
        shown.push_back(RunningCharacter.currentAction->stepIndex);
        AdvanceStep();
        if (endedIn && std::string(RunningCharacter.currentAction->name) != "loopy") {
            *endedIn = RunningCharacter.currentAction->name;
            break;
        }
    }
    return shown;
}

class BehaviourTest : public MascotTest {};

TEST_F(BehaviourTest, LoopsRunTheirRepeatsThenTheRest) {
    Start(CharacterWithActions({{"loopy", SixSteps("1")}}), "loopy");
    std::string ended;
    EXPECT_EQ(Shown(20, &ended), (std::vector<int>{0, 1, 2, 3, 4, 2, 3, 4, 5}));
    EXPECT_EQ(ended, "stand");
}

TEST_F(BehaviourTest, ANegativeRepeatLoopsForEver) {
    Start(CharacterWithActions({{"loopy", SixSteps("-1")}}), "loopy");
    std::string ended;
    EXPECT_EQ(Shown(14, &ended), (std::vector<int>{0, 1, 2, 3, 4, 5, 2, 3, 4, 5, 2, 3, 4, 5}));
    EXPECT_EQ(ended, "");
}

TEST_F(BehaviourTest, WalkingEndsAtAnEdgeOtherActionsGoOn) {
    Start(CharacterWithActions({{"wkrun", SixSteps("0")}, {"loopy", SixSteps("0")}}), "wkrun");
    AdvanceStep();
    RunningCharacter.edgeHit = 1;
    AdvanceStep();
    EXPECT_STREQ(RunningCharacter.currentAction->name, "stand") << "a clamped walk ends after that frame";
    EXPECT_EQ(RunningCharacter.edgeHit, 0);

    SwitchAction("loopy");
    AdvanceStep();
    RunningCharacter.edgeHit = 1;
    AdvanceStep();
    EXPECT_STREQ(RunningCharacter.currentAction->name, "loopy");
    EXPECT_EQ(RunningCharacter.currentAction->stepIndex, 2);
    EXPECT_EQ(RunningCharacter.edgeHit, 0) << "the flag is cleared all the same";
}

TEST_F(BehaviourTest, AFinishedWalkRepeatsFourTimesInFive) {
    Start(CharacterWithActions({{"wklrun", SixSteps("1")}}), "wklrun");
    // Find seeds whose draw modulo 5 is 0 and 3.
    for (int wanted : {3, 0}) {
        uint32_t seed = 0;
        for (;; seed++) {
            SeedRandom(seed);
            if (NextRandom() % 5 == wanted) break;
        }
        SwitchAction("wklrun");
        for (int i = 0; i < 8; i++) AdvanceStep();  // 0 1 2 3 4 2 3 4: the next shows step 5
        SeedRandom(seed);
        AdvanceStep();
        if (wanted != 0) {
            EXPECT_STREQ(RunningCharacter.currentAction->name, "wklrun");
            EXPECT_EQ(RunningCharacter.currentAction->stepIndex, 2);
            EXPECT_EQ(RunningCharacter.currentAction->loopsDone, 1) << "the inner loop stays spent";
        } else {
            EXPECT_STREQ(RunningCharacter.currentAction->name, "stand");
        }
    }
}

TEST_F(BehaviourTest, TheSoundPlaysOnceAtItsTick) {
    Start(MakeTestCharacter(), "stand");  // one sound, tick 1
    AdvanceStep();
    EXPECT_EQ(SysTestSoundsPlayed(), 1);
    EXPECT_EQ(FrameSound, 0);
    FrameSound = -1;
    AdvanceStep();
    EXPECT_EQ(SysTestSoundsPlayed(), 1);
    EXPECT_EQ(FrameSound, -1);

    SwitchAction("stand");  // a restart counts ticks again
    UserSettings.SndUse = 0;
    AdvanceStep();
    EXPECT_EQ(SysTestSoundsPlayed(), 1) << "nothing plays with sound off";

    // A sound refused at loading (no data) is drawn as before but not played.
    UserSettings.SndUse = 1;
    SwitchAction("stand");
    SysFree(RunningCharacter.currentAction->sounds[0].data);
    RunningCharacter.currentAction->sounds[0].data = nullptr;
    SeedRandom(9);
    AdvanceStep();
    EXPECT_EQ(FrameSound, 0);
    EXPECT_EQ(SysTestSoundsPlayed(), 1);
    auto after = NextRandom();
    SeedRandom(9);
    NextRandom();
    EXPECT_EQ(after, NextRandom()) << "the pick still takes its draw";
}

TEST_F(BehaviourTest, IdleActionsDrawOverThePersonality) {
    // Weights 30, 30, 40, 900: the first block is entries 0 to 2, the second starts at entry 2.
    Start(CharacterWithActions({{"defidle", "ms,8,0,0,0,0,1,0,0,0,0,0,0,10,4,wka,30,wkb,30,wkc,40,wkd,900,"},
                                {"wka", SixSteps("0")}, {"wkb", SixSteps("0")}, {"wkc", SixSteps("0")},
                                {"wkd", SixSteps("0")}}),
          "defidle");
    auto pickWith = [&](int32_t charActPer, uint32_t seed) {
        UserSettings.CharActPer = charActPer;
        SwitchAction("defidle");
        if (std::string(RunningCharacter.currentAction->name) != "defidle") {
            Action* idle = LoadAction("m.Pkm", "defidle", UserSettings.SndUse);
            ReleaseAction(RunningCharacter.currentAction);
            RunningCharacter.currentAction = idle;
        }
        SeedRandom(seed);
        ChooseNextAction();
        return std::string(RunningCharacter.currentAction->name);
    };
    // Search seeds for each case the draws decide.
    struct Want {
        int32_t charActPer;
        bool (*first)(int32_t);
        bool (*second)(int32_t);
        const char* action;
    } wants[] = {
        {550, [](int32_t r) { return r % 550 == 29; }, nullptr, "wka"},
        {550, [](int32_t r) { return r % 550 == 99; }, nullptr, "wkc"},
        {550, [](int32_t r) { return r % 550 >= 100; }, [](int32_t r) { return r % 900 <= 39; }, "wkc"},
        {550, [](int32_t r) { return r % 550 >= 100; }, [](int32_t r) { return r % 900 >= 40; }, "wkd"},
        {100, [](int32_t r) { return r % 100 == 99; }, nullptr, "wkc"},
    };
    for (const Want& want : wants) {
        uint32_t seed = 0;
        for (;; seed++) {
            SeedRandom(seed);
            int32_t r1 = NextRandom();
            int32_t r2 = NextRandom();
            if (want.first(r1) && (!want.second || want.second(r2))) break;
        }
        EXPECT_EQ(pickWith(want.charActPer, seed), want.action);
    }
    // With CharActPer 100 the second block is never reached.
    for (uint32_t seed = 0; seed < 200; seed++) EXPECT_NE(pickWith(100, seed), "wkd");
}

TEST_F(BehaviourTest, AwayTheCharacterSleepsUntilInputComes) {
    // A walk that never ends by itself; the sleep action (anchor 4, 6) loops
    // over steps 1 and 2 once and then would end. A cel named like it comes
    // first in the directory and is no action.
    TestCharacter character = CharacterWithActions({{"wkrun", SixSteps("-1")}});
    character.AddCels("slpcel", 1);
    character.PutText("slpnap", "ms,8,4,6,0,0,3,1,2,1,0,0,0,10,1,0,0,10,2,0,0,10,1,stand,100,");
    Start(character, "wkrun");
    UserSettings.IdleMinutes = 5;
    SysTestSetLastInput(1000);
    SysTestSetClock(1000 + 299999);
    AdvanceStep();
    EXPECT_STREQ(RunningCharacter.currentAction->name, "wkrun") << "not yet five minutes";
    SysTestSetClock(1000 + 300000);
    AdvanceStep();
    EXPECT_STREQ(RunningCharacter.currentAction->name, "slpnap");
    EXPECT_EQ(PendingShiftX, -6) << "standing where the walk stood";
    std::vector<int> shown;
    for (int i = 0; i < 9; i++) {
        shown.push_back(RunningCharacter.currentAction->stepIndex);
        AdvanceStep();
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 1, 2, 1, 2, 1, 2})) << "asleep it never ends";
    SysTestSetLastInput(SysNow());
    AdvanceStep();
    EXPECT_STREQ(RunningCharacter.currentAction->name, "stand") << "input wakes it at once";
    UserSettings.IdleMinutes = 0;
}

TEST_F(BehaviourTest, SwitchingKeepsTheStandingPointAndRestartsByName) {
    // stand: anchor (2, 2); far: anchor (10, 20)
    Start(CharacterWithActions({{"far", SixSteps("0", "1,stand,100,")},
                                {"stand", "st,2,2,2,0,0,1,0,0,0,0,0,0,100,1,far,100,"}}),
          "stand");
    uint32_t serial = RunningCharacter.currentAction->serial;
    ChooseNextAction();
    EXPECT_STREQ(RunningCharacter.currentAction->name, "far");
    EXPECT_EQ(PendingShiftX, 8);
    EXPECT_EQ(PendingShiftY, 18);
    EXPECT_NE(RunningCharacter.currentAction->serial, serial);

    RunningCharacter.currentAction->stepIndex = 3;
    RunningCharacter.currentAction->tickCount = 3;
    serial = RunningCharacter.currentAction->serial;
    SwitchAction("far");
    EXPECT_EQ(RunningCharacter.currentAction->serial, serial) << "the same instance, not reloaded";
    EXPECT_EQ(RunningCharacter.currentAction->stepIndex, 0);
    EXPECT_EQ(RunningCharacter.currentAction->tickCount, 0);

    RunningCharacter.currentAction->stepIndex = 6;  // past its last step, as at an action's end
    SwitchAction("absent");
    EXPECT_STREQ(RunningCharacter.currentAction->name, "far") << "an action that does not load is not switched to";
    EXPECT_EQ(RunningCharacter.currentAction->stepIndex, 0) << "and the current one restarts inside its steps";
}

}  // namespace
