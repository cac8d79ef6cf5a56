// Behaviour: what the character does next. Each frame ends in AdvanceStep,
// which counts the frame, plays the action's sound at its tick, runs the
// loop and, at the action's end, repeats it or draws the next action from
// its weighted list, tilted by the personality setting for idle actions.
//
// Kinds of action are told by the first three characters of the name:
// "wkr"/"wkl" walk (end at an edge; repeat four times in five), "def" idle
// (the draw ranges over CharActPer), "mus" mouse-watching (see frame.h).
#pragma once

#include "modules/action.h"

#include <cstdint>

bool IsWalkingAction(const Action* action);
bool IsIdleAction(const Action* action);
bool IsMouseWatchingAction(const Action* action);

// Moves the running character's current action on by one frame.
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
