// Test support: a running mascot on the portable simulated screen.
#include "tests/support/mascot_fixture.h"

#include "mascot/behaviour.h"
#include "mascot/frame.h"
#include "mascot/frame_loop.h"
#include "mascot/running_character.h"
#include "platform/memory.h"
#include "platform/portable/hooks.h"
#include "settings/settings.h"

void MascotTest::Start(const TestCharacter& character, const char* first) {
    blocks_ = SysLiveBlocks();
    objects_ = SysLiveGraphicsObjects();
    UserSettings.SndUse = 1;
    UserSettings.CharActPer = 550;
    UserSettings.IdleMinutes = 0;
    SysTestSetLastInput(0);
    ASSERT_TRUE(character.Write("m.Pkm"));
    ASSERT_EQ(LoadStartingCharacter(&RunningCharacter, "m.Pkm"), 1);
    if (first) {
        Action* action = LoadAction("m.Pkm", first, UserSettings.SndUse);
        ASSERT_NE(action, nullptr) << first;
        ReleaseAction(RunningCharacter.currentAction);
        RunningCharacter.currentAction = action;
    }
    SysTestSetClock(0);
    SysTestResetWaits();
    SysTestResetSounds();
    SysTestClearMessageQueue();
    support_ = SysTestCreateWindow(Rect{0, 300, 1024, 768}, "Notepad", 1);
    SysTestSetForeground(support_);
    MainWindow = SysTestCreateWindow(Rect{100, 100, 164, 148}, "PK32MainWClass", 0);
    BackBufferDC = SysCreateMemoryDC();
    CelDC = SysCreateMemoryDC();
    defaultBitmap_ = SysSelectBitmap(BackBufferDC, RunningCharacter.canvas.bitmap);
    ResetFrameState();
    PendingShiftX = PendingShiftY = 0;
}

void MascotTest::TearDown() {
    if (BackBufferDC) SysSelectBitmap(BackBufferDC, defaultBitmap_);
    SysDeleteDC(CelDC);
    SysDeleteDC(BackBufferDC);
    CelDC = BackBufferDC = nullptr;
    ReleaseCharacter(&RunningCharacter);
    MainWindow = nullptr;
    SysTestDestroyAllWindows();
    SysTestClearMessageQueue();
    AfterFrame = nullptr;
    ResetFrameState();
    EXPECT_EQ(SysLiveBlocks(), blocks_) << "blocks leaked";
    EXPECT_EQ(SysLiveGraphicsObjects(), objects_) << "graphics objects leaked";
}

TestCharacter CharacterWithActions(const std::vector<std::pair<std::string, std::string>>& actions) {
    TestCharacter c = MakeTestCharacter();
    c.AddCels("ms", 8);
    for (const auto& [name, script] : actions) c.PutText(name, script);
    return c;
}
