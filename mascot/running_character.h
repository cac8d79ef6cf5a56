// The running character's loading: a module made the running character's
// kind of record, with the message the user sees when the module is of
// another version and the random draw of its first action; and the factor
// it is drawn at.
#pragma once

#include "modules/character.h"

#include <cstdint>

// Loads the module at `modulePath` into `target` whole, at `scale`: the
// character (LoadCharacter), then the first action that NextRandom() % 100
// draws over its start actions, with sounds when the user's sound switch is
// on. A module of another format version shows "组件的版本不同。"; every
// other failure is silent. Returns 1; or 0, leaving `target` untouched and
// nothing allocated.
int LoadStartingCharacter(Character* target, const char* modulePath, int32_t scale = 1);

// The whole factor the character is drawn at on a monitor of `dpi` dots per
// inch: the monitor's own (ScaleForDpi) times the user's SizeFactor.
int32_t CharacterScale(int32_t dpi);
