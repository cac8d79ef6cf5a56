// The character model: loading a character from its description script.
#include "modules/character.h"

#include "modules/container.h"
#include "modules/scale.h"
#include "platform/memory.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kDescriptionEntry[] = "info.txt";
constexpr char kPaletteEntry[] = "palette.tw8";

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

CharacterLoad LoadCharacter(Character* target, const char* modulePath, int32_t scale, LoadReport* report) {
    ClearLoadReport(report);
    if (!modulePath) return CharacterLoad::kUnreadable;
    if (scale < 1) scale = 1;
    Character loaded;
    std::memset(&loaded, 0, sizeof loaded);
    loaded.modulePath = SysDupText(modulePath);
    if (!loaded.modulePath) return CharacterLoad::kNoMemory;

    uint32_t size = 0;
    ContainerError why = ContainerError::kNone;
    uint8_t* script = ReadScrambledEntry(loaded.modulePath, kDescriptionEntry, &size, &why);
    ScriptCursor cursor;
    auto fail = [&](CharacterLoad result) {
        ReportFault(report, kDescriptionEntry, "", 0, "does not load");
        ReportLooseNumber(report, cursor);
        SysFree(script);
        ReleaseCharacter(&loaded);
        return result;
    };
    auto number = [&](const char* field, int32_t index = 0) {
        return ReadReportedNumber(&cursor, report, kDescriptionEntry, field, index);
    };
    auto field = [&](const char* what) { ReportField(report, kDescriptionEntry, cursor, what); };
    if (!script) {
        ReportFault(report, kDescriptionEntry, "the description", 0, "%s", EntryProblem(why));
        return fail(CharacterLoad::kUnreadable);
    }
    if (size == 0 || script[0] != '0') {
        ReportFault(report, kDescriptionEntry, "", 1,
                    "%s: the program says the module is of another version",
                    StartsWithByteOrderMark(script, size) ? "starts with a UTF-8 byte-order mark where the format version, the digit 0, belongs"
                         : "the first byte must be the digit 0 (the format version)");
        return fail(CharacterLoad::kVersion);
    }

    // Fields 1 to 3 are cut at their commas directly: the display name is
    // taken verbatim (line breaks and spaces included) and field 3 is free text.
    if (!ScriptAtComma(&cursor, script, size, 1)) {
        ReportFault(report, kDescriptionEntry, "", ScriptLine(&cursor, cursor.length),
                    "the format version is not ended by a comma");
        return fail(CharacterLoad::kMalformed);
    }
    uint32_t length = cursor.length;
    int64_t first = cursor.position;
    int64_t second = NthComma(script, length, 2);
    if (second < 0 || NthComma(script, length, 3) < 0) {
        ReportFault(report, kDescriptionEntry, "", ScriptLine(&cursor, length), "the %s is not ended by a comma",
                    second < 0 ? "display name" : "free text");
        return fail(CharacterLoad::kMalformed);
    }
    int32_t formatVersion = ParseNumber(script, static_cast<uint32_t>(first));
    loaded.formatVersion = formatVersion;
    uint64_t nameLength = static_cast<uint64_t>(second - first - 1);
    if (nameLength >= kDisplayNameField) {
        ReportFault(report, kDescriptionEntry, "", ScriptLine(&cursor, static_cast<uint32_t>(first)),
                    "the display name is %u bytes; at most %u fit", static_cast<unsigned>(nameLength),
                    kDisplayNameField - 1);
        return fail(CharacterLoad::kMalformed);
    }
    std::memcpy(loaded.name, script + first + 1, static_cast<size_t>(nameLength));
    loaded.name[nameLength] = 0;

    ScriptAtComma(&cursor, script, size, 3);
    loaded.canvasWidth = number("the canvas width");
    uint32_t canvasField = cursor.fieldStart;
    loaded.canvasHeight = number("the canvas height");
    loaded.marginLeft = number("the left margin");
    loaded.marginRight = number("the right margin");
    loaded.bootSoundCount = number("the boot sound count");
    if (cursor.failed) return fail(CharacterLoad::kMalformed);
    // Only the start list's names are looked up as actions; the other two
    // lists are kept as they are and only bounded.
    if (!ReadReportedList(&cursor, &loaded.startActions, kMaxActionName, report, kDescriptionEntry, "the start list") ||
        !ReadReportedList(&cursor, &loaded.listTwo, kMaxStoredListName, report, kDescriptionEntry, "the second list") ||
        !ReadReportedList(&cursor, &loaded.listThree, kMaxStoredListName, report, kDescriptionEntry, "the third list"))
        return fail(CharacterLoad::kMalformed);
    if (int32_t check = number("the check value"); check != 0) {
        if (report) {
            char what[96];
            std::snprintf(what, sizeof what, "the check value after the three lists is %d; it must be 0",
                          static_cast<int>(check));
            field(what);
        }
        return fail(CharacterLoad::kMalformed);
    }
    int32_t unused = 1;
    for (int32_t& value : loaded.auxValues) value = number("unused number %d (of 11)", unused++);
    for (int32_t& value : loaded.extraValues) value = number("unused number %d (of 11)", unused++);
    if (cursor.failed) return fail(CharacterLoad::kMalformed);
    if (loaded.startActions.count < 1) {
        ReportFault(report, kDescriptionEntry, "", 0, "the start list is empty");
        return fail(CharacterLoad::kMalformed);
    }
    ReportLooseNumber(report, cursor);
    int32_t canvasLine = report ? ScriptLine(&cursor, canvasField) : 0;
    SysFree(script);
    script = nullptr;
    cursor = ScriptCursor{};  // it read the script just freed

    loaded.palette = LoadPalette(loaded.modulePath, &why);
    if (!loaded.palette) {
        ReportFault(report, kPaletteEntry, "the palette", 0, "%s",
                    why == ContainerError::kNone ? "is shorter than its colour table" : EntryProblem(why));
        return fail(CharacterLoad::kNoPalette);
    }
    loaded.scale = scale;
    int32_t width = loaded.canvasWidth;
    int32_t height = loaded.canvasHeight;
    auto noCanvas = [&](const char* what) {
        ReportFault(report, kDescriptionEntry, "", canvasLine, "the canvas %dx%d %s",
                    static_cast<int>(width), static_cast<int>(height), what);
        return fail(CharacterLoad::kNoCanvas);
    };
    if (scale > 1) {
        int64_t scaledWidth = static_cast<int64_t>(width) * scale;
        int64_t scaledHeight = static_cast<int64_t>(height) * scale;
        if (scaledWidth < 1 || scaledHeight < 1 || scaledWidth > 65535 || scaledHeight > 65535)
            return noCanvas("is too large at the screen's scale");
        loaded.canvasWidth = static_cast<int32_t>(scaledWidth);
        loaded.canvasHeight = static_cast<int32_t>(scaledHeight);
        loaded.marginLeft = ScaleDistance(loaded.marginLeft, scale);
        loaded.marginRight = ScaleDistance(loaded.marginRight, scale);
    }
    if (!CreateCanvas(&loaded.canvas, loaded.modulePath, loaded.canvasWidth, loaded.canvasHeight)) {
        bool usable = width >= 1 && height >= 1 && static_cast<uint64_t>(width) * height <= kMaxImagePixels;
        return noCanvas(usable ? "could not be made a bitmap"
                               : "is not a usable size (at least 1 pixel each way, at most 4096 x 4096 in all)");
    }
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
