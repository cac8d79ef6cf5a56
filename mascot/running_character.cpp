// The running character's loading and replacement: the first load with its
// message and first draw, the switch of module and the rescale.
#include "mascot/running_character.h"

#include "mascot/product.h"
#include "mascot/random.h"
#include "mascot/state.h"
#include "modules/scale.h"
#include "platform/graphics.h"
#include "platform/msgbox.h"
#include "platform/sound.h"

#include <cstring>

int LoadStartingCharacter(Character* target, const char* modulePath, int32_t scale) {
    Character loaded = {};
    CharacterLoad result = LoadCharacter(&loaded, modulePath, scale);
    if (result == CharacterLoad::kVersion) SysMessageBox(nullptr, kMsgModuleVersion, kProductCaption, MessageIcon::kError);
    if (result != CharacterLoad::kLoaded) return 0;
    if (!LoadFirstAction(&loaded, NextRandom() % 100, UserSettings.SndUse)) {
        ReleaseCharacter(&loaded);
        return 0;
    }
    *target = loaded;
    return 1;
}

namespace {

// Puts `loaded` in the running character's place. The old canvas leaves the
// back buffer before it is deleted, and the old action's sound, which plays
// from the action's own memory, stops first. The new character's anchors
// differ from the old one's: a shift left over from the old character's last
// change of action no longer applies.
void ReplaceRunningCharacter(const Character& loaded) {
    SysSelectBitmap(BackBufferDC, loaded.canvas.bitmap);
    SysStopSound();
    ReleaseCharacter(&RunningCharacter);
    RunningCharacter = loaded;
    PendingShiftX = 0;
    PendingShiftY = 0;
}

}  // namespace

int SwitchRunningCharacter(const char* fileName) {
    // A name the settings could not hold would be saved and then refused by every later start.
    if (!fileName || std::strlen(fileName) >= kModuleValueBuffer) return 0;
    Character loaded;
    std::memset(&loaded, 0, sizeof loaded);
    if (!LoadStartingCharacter(&loaded, fileName, RunningCharacter.scale)) return 0;
    loaded.onWindowTop = RunningCharacter.onWindowTop;

    ReplaceRunningCharacter(loaded);
    // The next frame snaps the new character onto the supporting window.
    LastSupportRect = Rect{0, 0, 0, 0};
    return 1;
}

int32_t ScaleForMonitorOf(SysWindow* window) {
    Monitor monitor;
    SysWindowMonitor(window, &monitor);
    return ScaleForDpi(monitor.dpi);
}

int RescaleRunningCharacter(int32_t scale) {
    if (scale < 1) scale = 1;
    if (scale == (RunningCharacter.scale < 1 ? 1 : RunningCharacter.scale)) return 1;
    Character loaded;
    std::memset(&loaded, 0, sizeof loaded);
    if (LoadCharacter(&loaded, RunningCharacter.modulePath, scale) != CharacterLoad::kLoaded) return 0;
    const Action* current = RunningCharacter.currentAction;
    Action* action = LoadScaledAction(loaded.modulePath, current->name, scale, UserSettings.SndUse);
    if (!action) {
        ReleaseCharacter(&loaded);
        return 0;
    }
    // The same action goes on where it was, not from its start.
    action->tickCount = current->tickCount;
    action->stepIndex = current->stepIndex;
    action->loopsDone = current->loopsDone;
    loaded.currentAction = action;
    loaded.onWindowTop = RunningCharacter.onWindowTop;
    loaded.edgeHit = RunningCharacter.edgeHit;

    // The standing point: the window still stands for the anchor before the
    // last switch of action while a shift is pending.
    Rect window;
    SysWindowRect(MainWindow, &window);
    int64_t standX = static_cast<int64_t>(window.left) + current->anchorX - PendingShiftX;
    int64_t standY = static_cast<int64_t>(window.top) + current->anchorY - PendingShiftY;

    ReplaceRunningCharacter(loaded);

    const DibImage& image = action->cels[action->steps[CurrentStepIndex(action)].celIndex].image;
    SysPlaceWindow(MainWindow, HoldCoordinate(standX - action->anchorX), HoldCoordinate(standY - action->anchorY),
                   image.width, image.height);
    return 1;
}
