// The character model: loading a character from its description script.
#include "modules/character.h"

#include "modules/container.h"
#include "modules/scale.h"
#include "platform/memory.h"

#include <cstring>

namespace {

constexpr char kDescriptionEntry[] = "info.txt";

// Finds the index of the n-th comma in the text, or -1.
int64_t NthComma(const uint8_t* text, uint32_t length, int n) {
    for (uint32_t i = 0; i < length; i++)
        if (text[i] == ',' && --n == 0) return i;
    return -1;
}

}  // namespace

void ReleaseCharacterDrawing(Character* character) {
    ReleaseDibImage(&character->canvas);
    SysDeletePalette(character->palette);
    character->palette = nullptr;
}

void ReleaseCharacter(Character* character) {
    ReleaseCharacterDrawing(character);
    SysFree(character->modulePath);
    ReleaseAction(character->currentAction);
    ReleaseWeightedList(&character->startActions);
    ReleaseWeightedList(&character->listTwo);
    ReleaseWeightedList(&character->listThree);
    std::memset(character, 0, sizeof(Character));
}

CharacterLoad LoadCharacter(Character* target, const char* modulePath, int32_t scale) {
    if (!modulePath) return CharacterLoad::kUnreadable;
    if (scale < 1) scale = 1;
    Character loaded;
    std::memset(&loaded, 0, sizeof loaded);
    loaded.modulePath = SysDupText(modulePath);
    if (!loaded.modulePath) return CharacterLoad::kNoMemory;

    uint32_t size = 0;
    uint8_t* script = ReadScrambledEntry(loaded.modulePath, kDescriptionEntry, &size);
    auto fail = [&](CharacterLoad why) {
        SysFree(script);
        ReleaseCharacter(&loaded);
        return why;
    };
    if (!script) return fail(CharacterLoad::kUnreadable);
    if (size == 0 || script[0] != '0') return fail(CharacterLoad::kVersion);

    // Fields 1 to 3 are cut at their commas directly: the display name is
    // taken verbatim (line breaks and spaces included) and field 3 is free text.
    ScriptCursor cursor;
    if (!ScriptAtComma(&cursor, script, size, 1)) return fail(CharacterLoad::kMalformed);
    uint32_t length = cursor.length;
    int64_t first = cursor.position;
    int64_t second = NthComma(script, length, 2);
    if (second < 0 || NthComma(script, length, 3) < 0) return fail(CharacterLoad::kMalformed);
    int32_t formatVersion = ParseNumber(script, static_cast<uint32_t>(first));
    loaded.formatVersion = formatVersion;
    uint64_t nameLength = static_cast<uint64_t>(second - first - 1);
    if (nameLength >= kDisplayNameField) return fail(CharacterLoad::kMalformed);
    std::memcpy(loaded.name, script + first + 1, static_cast<size_t>(nameLength));
    loaded.name[nameLength] = 0;

    ScriptAtComma(&cursor, script, size, 3);
    loaded.canvasWidth = ReadNumber(&cursor);
    loaded.canvasHeight = ReadNumber(&cursor);
    loaded.marginLeft = ReadNumber(&cursor);
    loaded.marginRight = ReadNumber(&cursor);
    loaded.bootSoundCount = ReadNumber(&cursor);
    if (cursor.failed) return fail(CharacterLoad::kMalformed);
    // Only the start list's names are looked up as actions; the other two
    // lists are kept as they are and only bounded.
    if (!ReadWeightedList(&cursor, &loaded.startActions, kMaxActionName) ||
        !ReadWeightedList(&cursor, &loaded.listTwo, kMaxStoredListName) ||
        !ReadWeightedList(&cursor, &loaded.listThree, kMaxStoredListName))
        return fail(CharacterLoad::kMalformed);
    if (ReadNumber(&cursor) != 0) return fail(CharacterLoad::kMalformed);
    for (int32_t& value : loaded.auxValues) value = ReadNumber(&cursor);
    for (int32_t& value : loaded.extraValues) value = ReadNumber(&cursor);
    if (cursor.failed || loaded.startActions.count < 1) return fail(CharacterLoad::kMalformed);
    SysFree(script);
    script = nullptr;

    loaded.palette = LoadPalette(loaded.modulePath);
    if (!loaded.palette) return fail(CharacterLoad::kNoPalette);
    loaded.scale = scale;
    if (scale > 1) {
        int64_t width = static_cast<int64_t>(loaded.canvasWidth) * scale;
        int64_t height = static_cast<int64_t>(loaded.canvasHeight) * scale;
        if (width < 1 || height < 1 || width > 65535 || height > 65535) return fail(CharacterLoad::kNoCanvas);
        loaded.canvasWidth = static_cast<int32_t>(width);
        loaded.canvasHeight = static_cast<int32_t>(height);
        loaded.marginLeft = ScaleDistance(loaded.marginLeft, scale);
        loaded.marginRight = ScaleDistance(loaded.marginRight, scale);
    }
    if (!CreateCanvas(&loaded.canvas, loaded.modulePath, loaded.canvasWidth, loaded.canvasHeight))
        return fail(CharacterLoad::kNoCanvas);
    loaded.edgeHit = 0;
    *target = loaded;
    return CharacterLoad::kLoaded;
}

int LoadFirstAction(Character* character, int32_t percent, int keepSounds) {
    int32_t pick = PickWeighted(&character->startActions, percent);
    Action* action = LoadScaledAction(character->modulePath, character->startActions.entries[pick].name,
                                      character->scale < 1 ? 1 : character->scale, keepSounds);
    if (!action) return 0;
    character->currentAction = action;
    return 1;
}
