// Actions, cels and steps: one thing the character does, loaded by name from
// its module with every picture, region and sound its script names.
//
// An action script is comma-ended fields: image base name, cel count, anchor
// x and y, sound count k (then, when k > 0, the sound base name, k weights
// and the sound tick), an unused number, step count, loop start, loop end,
// loop repeat, four numbers per step (cel, dx, dy, duration), then the next
// count and that many name/weight pairs. Cel entries are the base name, the
// cel number in at least two digits and ".tw8" or ".rgn"; sounds likewise
// with ".snd". Sounds are read only while sound is switched on.
#pragma once

#include "modules/image.h"
#include "modules/load_report.h"
#include "modules/script.h"

#include <cstdint>

// One timed frame of an action.
struct Step {
    int32_t celIndex;  // index into the action's cels
    int32_t dx;        // pixels the window moves right (negative: left)
    int32_t dy;        // pixels the window moves down (negative: up)
    int32_t duration;  // milliseconds until the next frame
};

// One picture of an action with its window shape.
struct Cel {
    DibImage image;
    uint8_t* regionData;  // region data, handed whole to the window system
    uint32_t regionSize;
};

// One sound of an action: a whole RIFF WAVE image in memory.
struct WeightedSound {
    int32_t weight;  // percent
    uint8_t* data;   // nullptr for a sound that failed WaveImageIsSound: it plays nothing
    uint32_t size;
};

struct Action {
    char* name;           // also the name of its script entry
    int32_t anchorX;      // from the cels' left edge to the standing point
    int32_t anchorY;      // from the cels' top edge to the line stood on
    int32_t soundTick;    // tick (from 1) at which a sound plays
    int32_t soundCount;   // 0 without sounds or with sound off
    WeightedSound* sounds;
    int32_t celCount;
    Cel* cels;
    int32_t loopRepeat;   // extra runs of the loop; negative: for ever
    int32_t loopStart;
    int32_t loopEnd;      // inclusive; may lie outside the steps
    int32_t stepCount;
    Step* steps;
    int32_t nextCount;
    WeightedName* nextActions;
    int32_t tickCount;    // play state, all 0 after loading
    int32_t stepIndex;
    int32_t loopsDone;
    uint32_t serial;      // unique per load, so an instance can be told from a later one at the same address
};

constexpr int32_t kMaxActionName = 255;     // bytes, without the terminating zero
constexpr uint32_t kSoundBaseBuffer = 40;   // sound base names hold at most 39 bytes
constexpr int32_t kMaxCels = 10000;         // cel and sound numbers stay within four digits
constexpr int32_t kMaxSounds = 10000;
constexpr int32_t kWatchDirections = 8;     // a mouse-watching action's direction cels

// Loads the action `actionName` from the module. Returns a new Action with
// its play state at 0 (release with ReleaseAction), or nullptr, leaving
// nothing allocated. Sounds are loaded only when `keepSounds` is not 0 (the
// user's sound switch); without them the sound fields are read past and the
// action has no sounds. Besides a missing entry or field, a malformed script is
// refused: counts of cels, steps or next actions below 1, a step's cel or the
// loop's start outside their arrays, an action name or next name over 255
// bytes, a sound base name over 39, region data shorter than it announces,
// and a mouse-watching action ("mus…") with fewer than 8 cels or 2 steps.
// `report`, when given, is cleared and told the fault that stopped the load,
// the script's first loose number field and its sound base name; without
// one the load costs nothing more.
Action* LoadAction(const char* modulePath, const char* actionName, int keepSounds, LoadReport* report = nullptr);

// The step the action shows: its step index, or step 0 for an index outside
// the steps (which the behaviour never leaves).
int32_t CurrentStepIndex(const Action* action);

// Loads `count` cels named from `baseName`. Returns a new array (each cel's
// bitmap and region owned by it), or nullptr leaving nothing allocated.
Cel* LoadCels(const char* modulePath, const char* baseName, int32_t count);

// Loads `count` sounds named from `baseName`, weights 0. A sound that is
// there but fails WaveImageIsSound is freed and left with no data. Returns a
// new array, or nullptr (a sound missing) leaving nothing allocated.
WeightedSound* LoadSounds(const char* modulePath, const char* baseName, int32_t count);

// Frees the action and all it owns. nullptr is ignored. The caller stops any
// sound playing from the action's memory first.
void ReleaseAction(Action* action);

// Writes the entry name of asset `number` (base name, at least two digits,
// suffix such as ".tw8") into `out` of `capacity` bytes. The base name is
// taken as plain text, never as a format. Returns 0 when it does not fit.
int AssetEntryName(char* out, uint32_t capacity, const char* baseName, int32_t number, const char* suffix);
