// The settings store: the user's choices in the product key of the machine's
// configuration (the registry on Windows), read once at start-up into the one
// in-memory Settings record and written back once at shutdown or at the end
// of the session. Where the machine's key refuses the writes (a standard
// account), the same key of the user takes them, and is read first while it
// was written after the machine's.
#pragma once

#include "mascot/state.h"

#include <cstdint>

// The product key, under the machine root (Setup writes `Module` there too)
// and, where the program could not write that, under the user's root.
constexpr char kProductKey[] = "Software\\Tallowmere\\PocopalDemo";

// Reads the product key into UserSettings, each value from the key written
// last (the user's or the machine's) when it is readable there, else from the
// other; the values no save writes (`HideOverFullScreen`, `HideHotKey`,
// `IdleMinutes`, `SizeFactor`) from the user's first. A `Module` from the
// user's key that names no file gives way to the machine's. Returns 1, or 0
// when neither key exists or neither holds a `Module` of at most 255 bytes;
// when no key can be opened nothing in UserSettings changes. `CharActPer`
// missing, unreadable or outside 100..1000 becomes 550; `SndUse` and
// `HideOverFullScreen` missing or unreadable become 1. `HideHotKey` missing,
// unreadable or not a key (kDefaultHideHotKey's form) becomes Ctrl+Alt+Z;
// `IdleMinutes` missing, unreadable or negative becomes 0; `SizeFactor`
// missing, unreadable or outside 1..4 becomes 1.
int LoadSettings();

// Writes `module` (as text with its terminating zero), `CharActPer` and
// `SndUse` to the machine's product key, creating it when absent. When any of
// that is refused, the values go to the user's product key (created when
// absent); a user's key that exists is written too. `HideOverFullScreen` is
// only ever read. Failures are silent: what cannot be written keeps its old
// value.
void SaveSettings(const char* module);

// Frees the record's `Module` text and clears the record.
void ReleaseSettings();
