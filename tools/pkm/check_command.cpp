// pkm check: loads a module as the runtime does, then every action reachable
// from the start actions, and explains each problem in an author's words.
//
// The runtime's loaders only say yes or no; where one says no, the check
// walks the same script again field by field to say which field is wrong.
#include "modules/action.h"
#include "modules/character.h"
#include "modules/container.h"
#include "modules/image.h"
#include "modules/script.h"
#include "platform/memory.h"
#include "platform/portable/hooks.h"
#include "settings/settings.h"
#include "tools/pkm/commands.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

int g_problems = 0;  // problems printed so far

void Problem(const std::string& where, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::printf("%s: %s\n", where.c_str(), text);
    g_problems++;
}

// An entry's script text, unscrambled; empty with `found` false when missing.
std::string ReadScript(const char* module, const char* entry, bool* found) {
    uint32_t size = 0;
    uint8_t* data = ReadScrambledEntry(module, entry, &size);
    *found = data != nullptr;
    std::string text;
    if (data) text.assign(reinterpret_cast<char*>(data), size);
    SysFree(data);
    return text;
}

struct Fields {
    ScriptCursor cursor;
    std::string where;
    bool Failed(const char* field) {
        if (!cursor.failed) return false;
        Problem(where, "field '%s' is missing or not ended by a comma", field);
        return true;
    }
};

// Checks a weighted list's weights the way the runtime draws from it.
void CheckWeights(const std::string& where, const char* what, const int32_t* weights, int32_t count, bool idle) {
    int64_t total = 0;
    int32_t k = -1;
    for (int32_t i = 0; i < count; i++) {
        if (weights[i] < 0) Problem(where, "%s: weight %d of entry %d is negative", what, weights[i], i);
        total += weights[i];
        if (k < 0 && total >= 100) k = i;
    }
    if (!idle) {
        if (total != 100) Problem(where, "%s: weights add up to %lld, not 100", what, static_cast<long long>(total));
        return;
    }
    int64_t first = 0;
    for (int32_t i = 0; i <= k; i++) first += weights[i];
    if (k < 0 || first != 100) {
        Problem(where, "%s: the weights of the first block add up to %lld, not 100", what,
                static_cast<long long>(k < 0 ? total : first));
        return;
    }
    int64_t second = 0;
    for (int32_t i = k; i < count; i++) second += weights[i];
    if (second < 900)
        Problem(where, "%s: the second block (from entry %d) covers draws 0 to %lld, not 0 to 899", what, k,
                static_cast<long long>(second - 1));
}

// Says why an action script does not load, field by field.
void ExplainAction(const char* module, const std::string& name, const std::string& script) {
    Fields f{ScriptCursor{}, "action '" + name + "'"};
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(script.data());
    if (!ScriptAtComma(&f.cursor, bytes, static_cast<uint32_t>(script.size()), 1)) {
        Problem(f.where, "the script has no comma after the image base name");
        return;
    }
    std::string base = script.substr(0, f.cursor.position);
    int32_t cels = ReadNumber(&f.cursor);
    if (f.Failed("cel count")) return;
    if (cels < 1 || cels > kMaxCels) {
        Problem(f.where, "cel count %d is not between 1 and %d", cels, kMaxCels);
        return;
    }
    for (int32_t i = 0; i < cels; i++) {
        char entry[264];
        if (!AssetEntryName(entry, sizeof entry, base.c_str(), i, ".tw8")) {
            Problem(f.where, "image base name '%s' is too long", base.c_str());
            return;
        }
        DibImage image;
        uint32_t size = 0;
        uint8_t* raw = ReadEntry(module, entry, &size);
        if (!raw) Problem(f.where, "cel picture '%s' is missing", entry);
        SysFree(raw);
        if (raw && !LoadCelImage(&image, module, entry))
            Problem(f.where, "cel picture '%s' is damaged (short header, too few pixels or bad packing)", entry);
        ReleaseDibImage(&image);
        AssetEntryName(entry, sizeof entry, base.c_str(), i, ".rgn");
        raw = ReadEntry(module, entry, &size);
        if (!raw)
            Problem(f.where, "cel region '%s' is missing", entry);
        else if (!RegionDataIsSound(raw, size))
            Problem(f.where, "cel region '%s' is shorter than its rectangle count says", entry);
        SysFree(raw);
    }
    ReadNumber(&f.cursor);
    ReadNumber(&f.cursor);
    int32_t sounds = ReadNumber(&f.cursor);
    if (f.Failed("anchor x, anchor y or sound count")) return;
    if (sounds > 0) {
        char soundBase[kSoundBaseBuffer];
        if (!ReadTextInto(&f.cursor, soundBase, sizeof soundBase)) {
            Problem(f.where, "the sound base name is missing or longer than %u bytes", kSoundBaseBuffer - 1);
            return;
        }
        for (int32_t i = 0; i < sounds && i < kMaxSounds; i++) {
            char entry[264];
            AssetEntryName(entry, sizeof entry, soundBase, i, ".snd");
            bool found = false;
            ReadScript(module, entry, &found);
            if (!found) Problem(f.where, "sound '%s' is missing", entry);
        }
        for (int32_t i = 0; i <= sounds && !f.cursor.failed; i++) ReadNumber(&f.cursor);
        if (f.Failed("sound weights or sound tick")) return;
    }
    ReadNumber(&f.cursor);
    int32_t steps = ReadNumber(&f.cursor);
    int32_t loopStart = ReadNumber(&f.cursor);
    int32_t loopEnd = ReadNumber(&f.cursor);
    ReadNumber(&f.cursor);
    if (f.Failed("step count or loop")) return;
    if (steps < 1) {
        Problem(f.where, "step count %d is less than 1", steps);
        return;
    }
    if (static_cast<uint32_t>(steps) > f.cursor.length / 4) {
        Problem(f.where, "step count %d is more than the script holds", steps);
        return;
    }
    for (int32_t i = 0; i < steps; i++) {
        int32_t cel = ReadNumber(&f.cursor);
        ReadNumber(&f.cursor);
        ReadNumber(&f.cursor);
        ReadNumber(&f.cursor);
        if (f.Failed("steps")) return;
        if (cel < 0 || cel >= cels) Problem(f.where, "step %d shows cel %d, but there are %d cels", i, cel, cels);
    }
    if (loopStart < 0 || loopStart >= steps || loopEnd < 0 || loopEnd >= steps)
        Problem(f.where, "loop from step %d to %d lies outside the %d steps", loopStart, loopEnd, steps);
    WeightedList next;
    if (!ReadWeightedList(&f.cursor, &next, kMaxActionName)) {
        Problem(f.where, "the next-action list is malformed (count, a name over %d bytes, or a missing field)",
                kMaxActionName);
        return;
    }
    if (next.count < 1) Problem(f.where, "the next-action list is empty");
    ReleaseWeightedList(&next);
    if (name.compare(0, 3, "mus") == 0 && (cels < kWatchDirections || steps < 2))
        Problem(f.where, "a mouse-watching action needs 8 cels and 2 steps (has %d and %d)", cels, steps);
}

// What the check needs of the description script.
struct CharacterInfo {
    int32_t canvasWidth = 0;
    int32_t canvasHeight = 0;
    std::vector<std::string> startNames;
    std::vector<int32_t> startWeights;
};

// Checks one loaded action's content; returns the names it may be followed by.
std::vector<std::string> CheckAction(const CharacterInfo& character, const Action& action) {
    std::string where = "action '" + std::string(action.name) + "'";
    for (int32_t i = 0; i < action.celCount; i++) {
        const DibImage& image = action.cels[i].image;
        if (image.width > character.canvasWidth || image.height > character.canvasHeight)
            Problem(where, "cel %d is %dx%d, larger than the %dx%d canvas", i, image.width, image.height,
                    character.canvasWidth, character.canvasHeight);
    }
    for (int32_t i = 0; i < action.stepCount; i++)
        if (action.steps[i].duration < 0) Problem(where, "step %d has a negative duration", i);
    if (action.soundCount > 0) {
        std::vector<int32_t> weights;
        for (int32_t i = 0; i < action.soundCount; i++) weights.push_back(action.sounds[i].weight);
        CheckWeights(where, "sound list", weights.data(), action.soundCount, false);
        if (action.soundTick < 1) Problem(where, "sound tick %d never comes (ticks count from 1)", action.soundTick);
    }
    std::vector<int32_t> weights;
    std::vector<std::string> names;
    for (int32_t i = 0; i < action.nextCount; i++) {
        weights.push_back(action.nextActions[i].weight);
        names.push_back(action.nextActions[i].name);
    }
    CheckWeights(where, "next-action list", weights.data(), action.nextCount, std::strncmp(action.name, "def", 3) == 0);
    return names;
}

// Reads the description script field by field, naming each problem.
void ExplainCharacter(const char* module, CharacterInfo* info) {
    bool found = false;
    std::string script = ReadScript(module, "info.txt", &found);
    if (!found) {
        Problem("info.txt", "the entry is missing");
        return;
    }
    if (script.empty() || script[0] != '0') {
        Problem("info.txt", "the first byte must be the digit 0 (format version)");
        return;
    }
    Fields f{ScriptCursor{}, "info.txt"};
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(script.data());
    if (!ScriptAtComma(&f.cursor, bytes, static_cast<uint32_t>(script.size()), 3)) {
        Problem("info.txt", "the version, display name and free text must each end with a comma");
        return;
    }
    ScriptCursor second;
    ScriptAtComma(&second, bytes, static_cast<uint32_t>(script.size()), 2);
    ScriptCursor firstComma;
    ScriptAtComma(&firstComma, bytes, static_cast<uint32_t>(script.size()), 1);
    if (second.position - firstComma.position - 1 >= kDisplayNameField)
        Problem("info.txt", "the display name is longer than %u bytes", kDisplayNameField - 1);
    int32_t width = ReadNumber(&f.cursor);
    int32_t height = ReadNumber(&f.cursor);
    for (int i = 0; i < 3; i++) ReadNumber(&f.cursor);
    if (f.Failed("canvas size, margins or boot sound count")) return;
    if (width < 1 || height < 1 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxImagePixels)
        Problem("info.txt", "canvas %dx%d is not a usable size", width, height);
    info->canvasWidth = width;
    info->canvasHeight = height;
    const char* lists[] = {"start list", "second list", "third list"};
    for (const char* list : lists) {
        WeightedList read;
        if (!ReadWeightedList(&f.cursor, &read, kMaxActionName)) {
            Problem("info.txt", "the %s is malformed (count, a name over %d bytes, or a missing field)", list,
                    kMaxActionName);
            return;
        }
        if (list == lists[0] && read.count < 1) Problem("info.txt", "the start list is empty");
        for (int32_t i = 0; list == lists[0] && i < read.count; i++) {
            info->startNames.push_back(read.entries[i].name);
            info->startWeights.push_back(read.entries[i].weight);
        }
        ReleaseWeightedList(&read);
    }
    if (ReadNumber(&f.cursor) != 0) Problem("info.txt", "the check value after the lists must be 0");
    for (int i = 0; i < 11; i++) ReadNumber(&f.cursor);
    if (f.Failed("the three auxiliary and eight extra numbers")) return;
    uint8_t table[kColorTableSize];
    if (!ReadColorTable(module, table)) Problem("palette.tw8", "the entry is missing or shorter than a colour table");
}

}  // namespace

int PkmCheck(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: pkm check MODULE.Pkm\n", stderr);
        return 2;
    }
    const char* module = argv[0];
    uint32_t count = 0;
    ContainerError why = ContainerError::kNone;
    DirectoryRecord* records = ReadModuleDirectory(module, &count, &why);
    if (!records) {
        std::fprintf(stderr, "pkm: %s: %s\n", module,
                     why == ContainerError::kNoModuleFile ? "no such module file" : "not a readable module file");
        return 1;
    }
    SysFree(records);

    g_settings.SndUse = 1;  // check the sounds too
    CharacterInfo info;
    ExplainCharacter(module, &info);
    if (!info.startNames.empty())
        CheckWeights("info.txt", "start list", info.startWeights.data(), static_cast<int32_t>(info.startWeights.size()),
                     false);

    // Every action reachable from the start list, each checked once.
    std::vector<std::string> queue = info.startNames;
    std::set<std::string> seen;
    for (size_t at = 0; at < queue.size(); at++) {
        const std::string name = queue[at];
        if (!seen.insert(name).second) continue;
        Action* action = LoadAction(module, name.c_str());
        if (!action) {
            bool found = false;
            std::string script = ReadScript(module, name.c_str(), &found);
            if (!found)
                Problem("action '" + name + "'", "no such entry in the module");
            else {
                int before = g_problems;
                ExplainAction(module, name, script);
                if (g_problems == before) Problem("action '" + name + "'", "does not load");
            }
            continue;
        }
        for (const std::string& next : CheckAction(info, *action)) queue.push_back(next);
        ReleaseAction(action);
    }
    // Finally the load exactly as the program makes it.
    Character character;
    std::memset(&character, 0, sizeof character);
    if (LoadCharacter(&character, module))
        ReleaseCharacter(&character);
    else if (g_problems == 0)
        Problem(module, "the character does not load");
    SysTestClearMessages();
    if (g_problems == 0) std::printf("%s: no problems (%zu actions checked)\n", module, seen.size());
    return g_problems == 0 ? 0 : 1;
}
