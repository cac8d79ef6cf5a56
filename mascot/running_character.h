// The running character's loading and replacement: a module made the running
// character's kind of record, with the message the user sees when the module
// is of another version and the random draw of its first action; the switch
// to another module and the rescale for a monitor of another DPI, which the
// module dialog and the mascot window ask for between frames.
#pragma once

#include "modules/character.h"

#include <cstdint>

// The largest factor a character is drawn at: 768 DPI, beyond any monitor's.
constexpr int32_t kMaxScale = 8;

// Loads the module at `modulePath` into `target` whole, at the largest factor
// up to `scale` at which its canvas and first action can be made: the
// character (LoadCharacter), then the first action that NextRandom() % 100
// draws over its start actions (drawn once), with sounds when the user's
// sound switch is on. A module of another format version shows
// "组件的版本不同。"; every other failure is silent. Returns 1; or 0, leaving
// `target` untouched and nothing allocated.
int LoadStartingCharacter(Character* target, const char* modulePath, int32_t scale = 1);

// Replaces the running character with the module `fileName`, loaded whole
// first at WantedScale() (or the largest factor below it that loads). On
// success the new canvas is selected into BackBufferDC, any sound is stopped,
// the old character is released and the new one takes its place, standing on
// the same edge of the supporting window, which the next frame snaps it onto
// afresh; returns 1. On failure (after any message of the loader's own) the
// running character is untouched; returns 0. A name over 255 bytes, which
// the settings could not hold, fails without a load.
int SwitchRunningCharacter(const char* fileName);

// The factor the running character is to be drawn at: the one of the DPI of
// the monitor under its standing point (or, before the mascot window stands
// anywhere, of the primary monitor) times the user's SizeFactor; at most
// kMaxScale.
int32_t WantedScale();

// Brings the running character to WantedScale() (or the largest factor
// below it that loads, when that is not the current one): a new canvas and
// margins, and the current action's pictures, anchors and offsets; the
// action goes on at its step with its sounds, which may be playing, and its
// mouse watch. The cel shown is drawn and shaped at once; a visible mascot
// window is placed so the standing point stays, a hidden one stays hidden
// and the frame that shows it keeps the standing point. Returns 1 when the
// factor changed; 0 when it was right already or nothing larger loads, or on
// failure, with the character untouched. Call it between frames only: the
// frame holds the current action.
int RescaleRunningCharacter();
