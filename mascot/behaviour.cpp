// Behaviour: advancing steps and loops, sounds at their tick, choosing and switching actions.
#include "mascot/behaviour.h"

#include "mascot/random.h"
#include "mascot/state.h"
#include "modules/scale.h"
#include "platform/sound.h"

#include <cstring>

bool IsWalkingAction(const Action* action) {
    return std::strncmp(action->name, "wkr", 3) == 0 || std::strncmp(action->name, "wkl", 3) == 0;
}
bool IsIdleAction(const Action* action) { return std::strncmp(action->name, "def", 3) == 0; }
bool IsMouseWatchingAction(const Action* action) { return std::strncmp(action->name, "mus", 3) == 0; }

int32_t WeightedSoundPick(const Action* action, int32_t r) {
    int64_t left = r;
    for (int32_t i = 0; i < action->soundCount; i++) {
        left -= action->sounds[i].weight;
        if (left < 0) return i;
    }
    return action->soundCount - 1;
}

void AdvanceStep() {
    Action* action = RunningCharacter.currentAction;
    action->tickCount++;
    if (action->sounds && UserSettings.SndUse != 0 && action->tickCount == action->soundTick) {
        int32_t pick = WeightedSoundPick(action, NextRandom() % 100);
        if (action->sounds[pick].data) SysPlaySound(action->sounds[pick].data, action->sounds[pick].size);
        FrameSound = pick;
    }
    action->stepIndex++;
    if (action->stepIndex > action->loopEnd && action->loopsDone < action->loopRepeat) {
        action->stepIndex = action->loopStart;
        action->loopsDone++;
    }
    if (RunningCharacter.edgeHit) {
        RunningCharacter.edgeHit = 0;
        if (IsWalkingAction(action)) {
            SysStopSound();
            ChooseNextAction();
            return;
        }
    }
    if (action->stepIndex < action->stepCount) return;
    SysStopSound();
    if (IsWalkingAction(action)) {
        // A finished walk goes on four times in five; its inner loop count stays spent.
        if (NextRandom() % 5 != 0) {
            action->stepIndex = action->loopStart;
            return;
        }
    } else if (action->loopRepeat < 0) {
        action->stepIndex = action->loopStart;
        return;
    }
    ChooseNextAction();
}

void ChooseNextAction() {
    SysStopSound();
    Action* action = RunningCharacter.currentAction;
    WeightedList next = {action->nextCount, action->nextActions};
    int32_t range = IsIdleAction(action) && UserSettings.CharActPer > 0 ? UserSettings.CharActPer : 100;
    int32_t r = NextRandom() % range;
    int32_t pick = 0;
    if (r < 100) {
        pick = PickWeighted(&next, r);
    } else {
        // The second block starts at the entry that brings the running total to
        // 100; that entry takes part in both draws.
        int32_t k = next.count - 1;
        int64_t total = 0;
        for (int32_t i = 0; i < next.count; i++) {
            total += next.entries[i].weight;
            if (total >= 100) {
                k = i;
                break;
            }
        }
        pick = PickWeightedFrom(&next, k, NextRandom() % 900);
    }
    char name[kMaxActionName + 1];
    std::strncpy(name, next.entries[pick].name, kMaxActionName);
    name[kMaxActionName] = 0;

    int64_t oldAnchorX = action->anchorX;
    int64_t oldAnchorY = action->anchorY;
    SwitchAction(name);
    PendingShiftX = RunningCharacter.currentAction->anchorX - oldAnchorX;
    PendingShiftY = RunningCharacter.currentAction->anchorY - oldAnchorY;
}

void SwitchAction(const char* name) {
    Action* current = RunningCharacter.currentAction;
    if (std::strcmp(name, current->name) != 0) {
        Action* loaded = LoadScaledAction(RunningCharacter.modulePath, name, RunningCharacter.scale, UserSettings.SndUse);
        if (loaded) {
            SysStopSound();
            ReleaseAction(current);
            RunningCharacter.currentAction = loaded;
            return;
        }
    }
    current->tickCount = 0;
    current->stepIndex = 0;
    current->loopsDone = 0;
}
