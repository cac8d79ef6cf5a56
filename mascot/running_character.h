// The running character's loading and replacement: a module made the running
// character's kind of record, with the message the user sees when the module
// is of another version and the random draw of its first action; the switch
// to another module and the rescale for a monitor of another DPI, which the
// module dialog and the mascot window ask for between frames.
#pragma once

#include "modules/character.h"
#include "platform/window.h"

#include <cstdint>

// Loads the module at `modulePath` into `target` whole, at `scale`: the
// character (LoadCharacter), then the first action that NextRandom() % 100
// draws over its start actions, with sounds when the user's sound switch is
// on. A module of another format version shows "组件的版本不同。"; every
// other failure is silent. Returns 1; or 0, leaving `target` untouched and
// nothing allocated.
int LoadStartingCharacter(Character* target, const char* modulePath, int32_t scale = 1);

// Replaces the running character with the module `fileName`, loaded whole
// first at the running character's scale. On success the new canvas is selected into BackBufferDC, any sound is
// stopped, the old character is released and the new one takes its place,
// standing on the same edge of the supporting window, which the next frame
// snaps it onto afresh; returns 1. On failure (after any message of the
// loader's own) the running character is untouched; returns 0. A name over
// 255 bytes, which the settings could not hold, fails without a load.
int SwitchRunningCharacter(const char* fileName);

// The character's scale on the monitor that holds most of `window` (the
// primary monitor for nullptr), from that monitor's DPI.
int32_t ScaleForMonitorOf(SysWindow* window);

// Loads the running character anew at `scale` (values below 1 count as 1):
// canvas, margins and the current action, which goes on at the same step.
// On success the new canvas is selected into BackBufferDC, any sound is
// stopped, the old character released, and the mascot window resized so the
// character's standing point stays where it was; returns 1. The same scale
// as now does nothing and returns 1. On failure the running character is
// untouched; returns 0. Never call it while a frame is running: the frame
// holds the current action.
int RescaleRunningCharacter(int32_t scale);
