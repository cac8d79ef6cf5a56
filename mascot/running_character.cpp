// The running character's loading and replacement: the first load with its
// message and first draw, the switch of module, and the rescale for the
// monitor the character stands on.
#include "mascot/running_character.h"

#include "mascot/frame.h"
#include "mascot/product.h"
#include "mascot/random.h"
#include "mascot/state.h"
#include "modules/scale.h"
#include "platform/graphics.h"
#include "platform/msgbox.h"
#include "platform/sound.h"

#include <cstring>
#include <utility>

int LoadStartingCharacter(Character* target, const char* modulePath, int32_t scale) {
    int32_t percent = -1;  // the first action is drawn once, whichever factor loads
    for (int32_t factor = scale < 1 ? 1 : scale; factor >= 1; factor--) {
        Character loaded = {};
        CharacterLoad result = LoadCharacter(&loaded, modulePath, factor);
        if (result == CharacterLoad::kVersion)
            SysMessageBox(nullptr, kMsgModuleVersion, kProductCaption, MessageIcon::kError);
        // A canvas too large at this factor may fit at a smaller one.
        if (result == CharacterLoad::kNoCanvas) continue;
        if (result != CharacterLoad::kLoaded) return 0;
        if (percent < 0) percent = NextRandom() % 100;
        if (LoadFirstAction(&loaded, percent, UserSettings.SndUse)) {
            *target = loaded;
            return 1;
        }
        // So may a first action whose pictures are too large.
        ReleaseCharacter(&loaded);
    }
    return 0;
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
    if (!LoadStartingCharacter(&loaded, fileName, WantedScale())) return 0;
    loaded.onWindowTop = RunningCharacter.onWindowTop;

    ReplaceRunningCharacter(loaded);
    // The next frame snaps the new character onto the supporting window.
    LastSupportRect = Rect{0, 0, 0, 0};
    return 1;
}

int32_t WantedScale() {
    Monitor monitor;
    const Action* action = RunningCharacter.currentAction;
    Rect window;
    if (action && SysWindowRect(MainWindow, &window)) {
        // While a shift of anchor is pending the window still stands for the previous action's anchor.
        Point stand = {HoldCoordinate(static_cast<int64_t>(window.left) + action->anchorX - PendingShiftX),
                       HoldCoordinate(static_cast<int64_t>(window.top) + action->anchorY - PendingShiftY)};
        SysMonitorAt(stand, &monitor);
    } else {
        SysWindowMonitor(nullptr, &monitor);
    }
    int32_t size = UserSettings.SizeFactor < 1 ? 1 : UserSettings.SizeFactor;
    int32_t scale = ScaleForDpi(monitor.dpi) * size;
    return scale < kMaxScale ? scale : kMaxScale;
}

int RescaleRunningCharacter() {
    Character& character = RunningCharacter;
    Action* action = character.currentAction;
    Rect window;
    if (!action || !SysWindowRect(MainWindow, &window)) return 0;
    int32_t current = character.scale < 1 ? 1 : character.scale;
    int32_t wanted = WantedScale();
    if (wanted == current) return 0;

    // The current action's pictures once more, without its sounds: those stay
    // with the running action, which may be playing one from its memory.
    Action* fresh = LoadAction(character.modulePath, action->name, 0);
    if (!fresh) return 0;
    // The largest factor up to the wanted one at which the canvas and the
    // pictures can be made; none above the current one leaves all as it is.
    int32_t width = character.canvasWidth / current;  // at most 65535, and factors at most kMaxScale
    int32_t height = character.canvasHeight / current;
    DibImage canvas = {};
    int32_t factor = wanted;
    for (; factor >= 1 && factor != current; factor--) {
        if (!CreateCanvas(&canvas, character.modulePath, width * factor, height * factor)) continue;
        if (ScaleAction(fresh, factor)) break;
        ReleaseDibImage(&canvas);
    }
    if (factor < 1 || factor == current) {
        ReleaseAction(fresh);
        return 0;
    }

    // The shift that keeps the standing point: the window stands for the old
    // anchor less any pending shift.
    int64_t shiftX = PendingShiftX + fresh->anchorX - action->anchorX;
    int64_t shiftY = PendingShiftY + fresh->anchorY - action->anchorY;
    SysSelectBitmap(BackBufferDC, canvas.bitmap);
    ReleaseDibImage(&character.canvas);
    character.canvas = canvas;
    character.canvasWidth = canvas.width;
    character.canvasHeight = canvas.height;
    // The margins were multiplied at load (a margin held to the coordinate
    // range comes back smaller; any such margin is off every screen).
    character.marginLeft = ScaleDistance(character.marginLeft / current, factor);
    character.marginRight = ScaleDistance(character.marginRight / current, factor);
    character.scale = factor;
    // The action goes on where it was, with its sounds and its watch, in the new pictures.
    std::swap(action->cels, fresh->cels);
    std::swap(action->celCount, fresh->celCount);
    std::swap(action->steps, fresh->steps);
    std::swap(action->stepCount, fresh->stepCount);
    std::swap(action->anchorX, fresh->anchorX);
    std::swap(action->anchorY, fresh->anchorY);
    ReleaseAction(fresh);

    const Cel* cel = RedrawShownCel();
    if (!SysIsVisible(MainWindow)) {
        // Hidden by the frame: the frame that shows it again keeps the standing point.
        PendingShiftX = shiftX;
        PendingShiftY = shiftY;
        return 1;
    }
    SysPlaceWindow(MainWindow, HoldCoordinate(window.left - shiftX), HoldCoordinate(window.top - shiftY),
                   cel->image.width, cel->image.height);
    PendingShiftX = 0;
    PendingShiftY = 0;
    SysPaintWindow(MainWindow, character.palette, BackBufferDC, cel->image.width, cel->image.height);
    return 1;
}

