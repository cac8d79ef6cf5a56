// Behaviour: advancing steps and loops, sounds at their tick, choosing and switching actions.
#include "mascot/behaviour.h"

#include "mascot/random.h"
#include "mascot/state.h"
#include "modules/container.h"
#include "modules/scale.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "platform/sound.h"

#include <cstring>

namespace {

constexpr char kSleepPrefix[] = "slp";
constexpr int64_t kMillisecondsPerMinute = 60000;

// Switches to `name` so that the old action's anchor point and the new
// one's fall on the same screen point at the next frame.
void SwitchKeepingStandingPoint(const char* name) {
    int64_t oldAnchorX = RunningCharacter.currentAction->anchorX;
    int64_t oldAnchorY = RunningCharacter.currentAction->anchorY;
    SwitchAction(name);
    PendingShiftX = RunningCharacter.currentAction->anchorX - oldAnchorX;
    PendingShiftY = RunningCharacter.currentAction->anchorY - oldAnchorY;
}

// Notes the user going away or coming back. Returns true when the
// character fell asleep or woke up, which switched its action.
bool FollowTheUser() {
    if (UserSettings.IdleMinutes <= 0) return false;
    int away = SysIdleTime() >= UserSettings.IdleMinutes * kMillisecondsPerMinute ? 1 : 0;
    if (away == UserAway) return false;
    UserAway = away;
    if (away) {
        // Already asleep of its own accord: it now stays so.
        if (IsSleepAction(RunningCharacter.currentAction)) return false;
        // Looked for once per absence: a module without one goes on as it was.
        char name[kMaxActionName + 1];
        if (!FindSleepAction(RunningCharacter.modulePath, name)) return false;
        SysStopSound();
        SwitchKeepingStandingPoint(name);
        return true;
    }
    if (!IsSleepAction(RunningCharacter.currentAction)) return false;
    ChooseNextAction();
    return true;
}

}  // namespace

bool IsWalkingAction(const Action* action) {
    return std::strncmp(action->name, "wkr", 3) == 0 || std::strncmp(action->name, "wkl", 3) == 0;
}
bool IsIdleAction(const Action* action) { return std::strncmp(action->name, "def", 3) == 0; }
bool IsMouseWatchingAction(const Action* action) { return std::strncmp(action->name, "mus", 3) == 0; }
bool IsSleepAction(const Action* action) { return std::strncmp(action->name, kSleepPrefix, 3) == 0; }

int FindSleepAction(const char* modulePath, char (&name)[kMaxActionName + 1]) {
    name[0] = 0;
    uint32_t count = 0;
    DirectoryRecord* records = ReadModuleDirectory(modulePath, &count);
    if (!records) return 0;
    for (uint32_t i = 0; i < count && !name[0]; i++) {
        const char* entry = records[i].name;
        if (std::strncmp(entry, kSleepPrefix, 3) == 0 && !std::strchr(entry, '.')) std::strcpy(name, entry);
    }
    SysFree(records);
    return name[0] != 0;
}

int32_t WeightedSoundPick(const Action* action, int32_t r) {
    int64_t left = r;
    for (int32_t i = 0; i < action->soundCount; i++) {
        left -= action->sounds[i].weight;
        if (left < 0) return i;
    }
    return action->soundCount - 1;
}

void AdvanceStep() {
    if (FollowTheUser()) return;
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
    } else if (action->loopRepeat < 0 || (UserAway && IsSleepAction(action))) {
        // Asleep while the user is away: the loop's part again, not the way in.
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
    SwitchKeepingStandingPoint(name);
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
