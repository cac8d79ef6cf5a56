// Behaviour: what the character does next. Each frame ends in AdvanceStep,
// which counts the frame, plays the action's sound at its tick, runs the
// loop and, at the action's end, repeats it or draws the next action from
// its weighted list, tilted by the personality setting for idle actions.
//
// Kinds of action are told by the first three characters of the name:
// "wkr"/"wkl" walk (end at an edge; repeat four times in five), "def" idle
// (the draw ranges over CharActPer), "mus" mouse-watching (see frame.h),
// "slp" sleep: once the user has given no input for IdleMinutes, the
// character plays its module's sleep action, repeating it, until input comes.
#pragma once

#include "modules/action.h"

#include <cstdint>

bool IsWalkingAction(const Action* action);
bool IsIdleAction(const Action* action);
bool IsMouseWatchingAction(const Action* action);
bool IsSleepAction(const Action* action);

// The sleep action of the module at `modulePath`: the first entry of its
// directory whose name begins with "slp" and has no suffix. Returns 1 with
// its name in `name`; 0 (and `name` empty) when the module has none or
// cannot be read.
int FindSleepAction(const char* modulePath, char (&name)[kMaxActionName + 1]);

// Moves the running character's current action on by one frame. With
// IdleMinutes set it first follows the user: gone that long without input,
// the character switches to its sleep action (when the module has one) and
// plays it over and over instead of ending it; the first frame after input
// came draws the next action from the sleep action's list.
void AdvanceStep();

// Draws the next action from the current action's list and switches to it.
void ChooseNextAction();

// Makes the action `name` current: the same name restarts the current
// instance; another is loaded from the module first, at the running
// character's scale, and replaces the current one only when it loads. When
// it cannot be loaded the current action restarts, so no frame reads past
// its steps.
void SwitchAction(const char* name);

// The walk over weights from entry `start`: the first entry after whose
// weight r drops below 0; the last entry when the weights do not cover r.
int32_t WeightedSoundPick(const Action* action, int32_t r);
