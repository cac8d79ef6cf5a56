// The character model: a whole character loaded from its module's
// description script (info.txt), with palette, canvas, weighted lists and
// its first action.
//
// info.txt holds comma-ended fields: the format version (its very first
// byte must be the digit 0), the display name (verbatim, up to 127 bytes), a
// free text, canvas width and height, left and right margins, the boot sound
// count, three weighted lists (start actions first), a check value that must
// be 0, three auxiliary numbers and eight extra numbers.
#pragma once

#include "modules/action.h"
#include "modules/image.h"
#include "modules/script.h"
#include "platform/graphics.h"

#include <cstdint>

constexpr uint32_t kDisplayNameField = 128;  // the display name holds at most 127 bytes
constexpr uint32_t kMaxStoredListName = 65535;  // names of the two stored lists, against absurd sizes

struct Character {
    char name[kDisplayNameField];  // display name
    char* modulePath;              // the module file every later read uses (owned)
    SysPalette* palette;
    int32_t formatVersion;
    int32_t canvasWidth;
    int32_t canvasHeight;
    int32_t marginLeft;            // least distance from the supporting window's left edge to the anchor
    int32_t marginRight;           // least distance from the anchor to its right edge
    int32_t extraValues[8];        // stored, not used
    int32_t bootSoundCount;
    int32_t auxValues[3];          // stored, not used
    int32_t edgeHit;               // the placement held the window inside the edges
    DibImage canvas;               // every frame is drawn here
    int32_t scale;                 // whole factor every picture and distance was multiplied by at load
    int32_t onWindowTop;           // standing on the supporting window's top edge (1) or near its bottom (0)
    Action* currentAction;
    WeightedList startActions;
    WeightedList listTwo;          // stored, not used
    WeightedList listThree;        // stored, not used
};

// What LoadCharacter made of a module.
enum class CharacterLoad {
    kLoaded,
    kUnreadable,  // no such module file, or no readable info.txt in it
    kVersion,     // info.txt's first byte is not the digit 0: a version of the format this program cannot read
    kMalformed,   // a field missing, too long or out of range, a check value other than 0, no start action
    kNoPalette,   // palette.tw8 missing or unreadable
    kNoCanvas,    // no canvas bitmap: too large at the scale, or no memory
    kNoMemory,
};

// Loads the module at `modulePath` into `target`, all but its first action:
// description, palette and canvas; currentAction stays nullptr (see
// LoadFirstAction). Returns kLoaded; or the reason, leaving `target`
// untouched and nothing allocated. Nothing is shown to the user. Malformed:
// missing entries or fields, a check value other than 0, a display name over
// 127 bytes, a start action name over 255 bytes (a name in the two stored
// lists over 65535), no start action. With a `scale` above 1 the canvas and
// the margins are multiplied by it, and a canvas too large for a bitmap at
// that scale fails the load. `report`, when given, is cleared and told the
// fault that stopped the load and info.txt's first loose number field;
// without one the load costs nothing more.
CharacterLoad LoadCharacter(Character* target, const char* modulePath, int32_t scale = 1,
                            LoadReport* report = nullptr);

// Loads the character's first action: the start action that `percent` (0 to
// 99, the caller's draw) picks, at the character's scale, with sounds when
// `keepSounds` is not 0. Returns 1; or 0 with the character as it was.
int LoadFirstAction(Character* character, int32_t percent, int keepSounds);

// Deletes the canvas bitmap and the palette (and forgets them). The mascot's
// shutdown does this first, while the rest of the character is still needed.
void ReleaseCharacterDrawing(Character* character);

// Frees everything the character owns and zeroes it; safe on a zeroed or
// partly released character. The caller has taken the canvas out of any
// drawing context and stopped any sound playing from the current action.
void ReleaseCharacter(Character* character);
