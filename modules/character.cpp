// The character model: loading a character from its description script.
#include "modules/character.h"

#include "mascot/product.h"
#include "mascot/random.h"
#include "modules/container.h"
#include "modules/scale.h"
#include "platform/memory.h"
#include "platform/msgbox.h"

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

int LoadCharacter(Character* target, const char* modulePath, int32_t scale) {
    if (!modulePath) return 0;
    if (scale < 1) scale = 1;
    Character loaded;
    std::memset(&loaded, 0, sizeof loaded);
    loaded.modulePath = SysDupText(modulePath);
    if (!loaded.modulePath) return 0;

    uint32_t size = 0;
    uint8_t* script = ReadScrambledEntry(loaded.modulePath, kDescriptionEntry, &size);
    auto fail = [&]() {
        SysFree(script);
        ReleaseCharacter(&loaded);
        return 0;
    };
    if (!script) return fail();
    if (size == 0 || script[0] != '0') {
        SysFree(script);
        script = nullptr;
        ReleaseCharacter(&loaded);
        SysMessageBox(nullptr, kMsgModuleVersion, kProductCaption, MessageIcon::kError);
        return 0;
    }

    // Fields 1 to 3 are cut at their commas directly: the display name is
    // taken verbatim (line breaks and spaces included) and field 3 is free text.
    ScriptCursor cursor;
    if (!ScriptAtComma(&cursor, script, size, 1)) return fail();
    uint32_t length = cursor.length;
    int64_t first = cursor.position;
    int64_t second = NthComma(script, length, 2);
    if (second < 0 || NthComma(script, length, 3) < 0) return fail();
    int32_t formatVersion = ParseNumber(script, static_cast<uint32_t>(first));
    loaded.formatVersion = formatVersion;
    uint64_t nameLength = static_cast<uint64_t>(second - first - 1);
    if (nameLength >= kDisplayNameField) return fail();
    std::memcpy(loaded.name, script + first + 1, static_cast<size_t>(nameLength));
    loaded.name[nameLength] = 0;

    ScriptAtComma(&cursor, script, size, 3);
    loaded.canvasWidth = ReadNumber(&cursor);
    loaded.canvasHeight = ReadNumber(&cursor);
    loaded.marginLeft = ReadNumber(&cursor);
    loaded.marginRight = ReadNumber(&cursor);
    loaded.bootSoundCount = ReadNumber(&cursor);
    if (cursor.failed) return fail();
    // Only the start list's names are looked up as actions; the other two
    // lists are kept as they are and only bounded.
    if (!ReadWeightedList(&cursor, &loaded.startActions, kMaxActionName) ||
        !ReadWeightedList(&cursor, &loaded.listTwo, kMaxStoredListName) ||
        !ReadWeightedList(&cursor, &loaded.listThree, kMaxStoredListName))
        return fail();
    if (ReadNumber(&cursor) != 0) return fail();
    for (int32_t& value : loaded.auxValues) value = ReadNumber(&cursor);
    for (int32_t& value : loaded.extraValues) value = ReadNumber(&cursor);
    if (cursor.failed || loaded.startActions.count < 1) return fail();

    loaded.palette = LoadPalette(loaded.modulePath);
    if (!loaded.palette) return fail();
    loaded.scale = scale;
    if (scale > 1) {
        int64_t width = static_cast<int64_t>(loaded.canvasWidth) * scale;
        int64_t height = static_cast<int64_t>(loaded.canvasHeight) * scale;
        if (width < 1 || height < 1 || width > 65535 || height > 65535) return fail();
        loaded.canvasWidth = static_cast<int32_t>(width);
        loaded.canvasHeight = static_cast<int32_t>(height);
        loaded.marginLeft = ScaleDistance(loaded.marginLeft, scale);
        loaded.marginRight = ScaleDistance(loaded.marginRight, scale);
    }
    if (!CreateCanvas(&loaded.canvas, loaded.modulePath, loaded.canvasWidth, loaded.canvasHeight)) return fail();

    int32_t pick = PickWeighted(&loaded.startActions, NextRandom() % 100);
    char firstAction[kMaxActionName + 1];
    std::strcpy(firstAction, loaded.startActions.entries[pick].name);
    SysFree(script);
    script = nullptr;

    loaded.currentAction = LoadScaledAction(loaded.modulePath, firstAction, scale);
    if (!loaded.currentAction) return fail();
    loaded.edgeHit = 0;
    *target = loaded;
    return 1;
}
