// pkm check: loads a module as the runtime does, then every action reachable
// from the start actions and the sleep action, and explains each problem in an author's words.
//
// The runtime's loaders only say yes or no; where one says no, the check
// walks the same script again field by field to say which field is wrong.
// Errors are what the program refuses or gets wrong; warnings are what it
// plays as written but an author hardly meant (weights that do not make 100,
// a sound tick that never comes).
#include "mascot/behaviour.h"
#include "mascot/running_character.h"
#include "modules/action.h"
#include "modules/character.h"
#include "modules/container.h"
#include "modules/image.h"
#include "modules/script.h"
#include "modules/wave.h"
#include "platform/memory.h"
#include "platform/portable/hooks.h"
#include "settings/settings.h"
#include "tools/pkm/commands.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

int g_problems = 0;  // errors printed so far
int g_warnings = 0;  // warnings printed so far

void Report(const char* kind, const std::string& where, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::printf("%s: %s: %s\n", kind, where.c_str(), text);
}

// Something the program refuses or gets wrong: the check fails.
void Problem(const std::string& where, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Report("error", where, format, args);
    va_end(args);
    g_problems++;
}

// Something the program plays as written that is likely a slip.
void Warning(const std::string& where, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Report("warning", where, format, args);
    va_end(args);
    g_warnings++;
}

// What a failed read of an entry means for an author.
const char* Unreadable(ContainerError why) {
    return why == ContainerError::kDamaged ? "lies partly outside the module file" : "is missing";
}

// An entry's script text, unscrambled; empty with `found` false when it
// cannot be read (`why`, when given, says why).
std::string ReadScript(const char* module, const char* entry, bool* found, ContainerError* why = nullptr) {
    uint32_t size = 0;
    uint8_t* data = ReadScrambledEntry(module, entry, &size, why);
    *found = data != nullptr;
    std::string text;
    if (data) text.assign(reinterpret_cast<char*>(data), size);
    SysFree(data);
    return text;
}

// Names a sound entry that is missing, cut off, or that the player could not read within its bytes.
void CheckSound(const char* module, const std::string& where, const char* entry) {
    bool found = false;
    ContainerError why = ContainerError::kNone;
    std::string wave = ReadScript(module, entry, &found, &why);
    const char* reason = nullptr;
    if (!found)
        Problem(where, "sound '%s' %s", entry, Unreadable(why));
    else if (!WaveImageIsSound(reinterpret_cast<const uint8_t*>(wave.data()), static_cast<uint32_t>(wave.size()),
                               &reason))
        Problem(where, "sound '%s' is not played: %s", entry, reason);
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
        if (weights[i] < 0) Warning(where, "%s: weight %d of entry %d is negative", what, weights[i], i);
        total += weights[i];
        if (k < 0 && total >= 100) k = i;
    }
    if (!idle) {
        if (total != 100) Warning(where, "%s: weights add up to %lld, not 100", what, static_cast<long long>(total));
        return;
    }
    int64_t first = 0;
    for (int32_t i = 0; i <= k; i++) first += weights[i];
    if (k < 0 || first != 100) {
        Warning(where, "%s: the weights of the first block add up to %lld, not 100", what,
                static_cast<long long>(k < 0 ? total : first));
        return;
    }
    int64_t second = 0;
    for (int32_t i = k; i < count; i++) second += weights[i];
    if (second < 900)
        Warning(where, "%s: the second block (from entry %d) covers draws 0 to %lld, not 0 to 899", what, k,
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
        ContainerError why = ContainerError::kNone;
        uint8_t* raw = ReadEntry(module, entry, &size, &why);
        if (!raw) Problem(f.where, "cel picture '%s' %s", entry, Unreadable(why));
        SysFree(raw);
        if (raw && !LoadCelImage(&image, module, entry))
            Problem(f.where, "cel picture '%s' is damaged (short header, too few pixels or bad packing)", entry);
        ReleaseDibImage(&image);
        AssetEntryName(entry, sizeof entry, base.c_str(), i, ".rgn");
        raw = ReadEntry(module, entry, &size, &why);
        if (!raw)
            Problem(f.where, "cel region '%s' %s", entry, Unreadable(why));
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
            CheckSound(module, f.where, entry);
        }
        for (int32_t i = 0; i <= sounds && !f.cursor.failed; i++) ReadNumber(&f.cursor);
        if (f.Failed("sound weights or sound tick")) return;
    }
    ReadNumber(&f.cursor);
    int32_t steps = ReadNumber(&f.cursor);
    int32_t loopStart = ReadNumber(&f.cursor);
    ReadNumber(&f.cursor);  // the loop's end: any value loads
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
    if (loopStart < 0 || loopStart >= steps)
        Problem(f.where, "loop start %d lies outside the %d steps", loopStart, steps);
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
    int32_t bootSoundCount = 0;
    std::vector<std::string> startNames;
    std::vector<int32_t> startWeights;
};

// The sound base name of a loaded action's script (the field after the
// fifth comma) into `base`; left as it was when it cannot be read.
void SoundBaseName(const char* module, const char* action, char (&base)[kSoundBaseBuffer]) {
    uint32_t size = 0;
    uint8_t* script = ReadScrambledEntry(module, action, &size);
    ScriptCursor cursor;
    if (script && ScriptAtComma(&cursor, script, size, 5)) ReadTextInto(&cursor, base, sizeof base);
    SysFree(script);
}

// Checks one loaded action's content; returns the names it may be followed by.
std::vector<std::string> CheckAction(const char* module, const CharacterInfo& character, const Action& action) {
    std::string where = "action '" + std::string(action.name) + "'";
    for (int32_t i = 0; i < action.celCount; i++) {
        const DibImage& image = action.cels[i].image;
        if (image.width > character.canvasWidth || image.height > character.canvasHeight)
            Problem(where, "cel %d is %dx%d, larger than the %dx%d canvas", i, image.width, image.height,
                    character.canvasWidth, character.canvasHeight);
    }
    for (int32_t i = 0; i < action.stepCount; i++)
        if (action.steps[i].duration < 0) Warning(where, "step %d has a negative duration (shown for no time)", i);
    if (action.loopRepeat > 0 && (action.loopEnd < action.loopStart || action.loopEnd >= action.stepCount))
        Warning(where, "loop end %d lies outside steps %d to %d: the loop does not run as written", action.loopEnd,
                action.loopStart, action.stepCount - 1);
    if (action.soundCount > 0) {
        std::vector<int32_t> weights;
        for (int32_t i = 0; i < action.soundCount; i++) weights.push_back(action.sounds[i].weight);
        CheckWeights(where, "sound list", weights.data(), action.soundCount, false);
        if (action.soundTick < 1) Warning(where, "sound tick %d never comes (ticks count from 1)", action.soundTick);
        // The loader keeps a sound the player could not read as an empty slot; say which and why.
        char base[kSoundBaseBuffer] = "";
        SoundBaseName(module, action.name, base);
        for (int32_t i = 0; i < action.soundCount; i++) {
            char entry[264];
            if (!action.sounds[i].data && AssetEntryName(entry, sizeof entry, base, i, ".snd"))
                CheckSound(module, where, entry);
        }
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
    ContainerError why = ContainerError::kNone;
    std::string script = ReadScript(module, "info.txt", &found, &why);
    if (!found) {
        Problem("info.txt", "the entry %s", Unreadable(why));
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
    ReadNumber(&f.cursor);
    ReadNumber(&f.cursor);
    int32_t bootSounds = ReadNumber(&f.cursor);
    if (f.Failed("canvas size, margins or boot sound count")) return;
    info->bootSoundCount = bootSounds;
    if (width < 1 || height < 1 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxImagePixels)
        Problem("info.txt", "canvas %dx%d is not a usable size", width, height);
    info->canvasWidth = width;
    info->canvasHeight = height;
    const char* lists[] = {"start list", "second list", "third list"};
    for (const char* list : lists) {
        // Only the start list's names are looked up; the other two lists are stored as they are.
        uint32_t longest = list == lists[0] ? kMaxActionName : kMaxStoredListName;
        WeightedList read;
        if (!ReadWeightedList(&f.cursor, &read, longest)) {
            Problem("info.txt", "the %s is malformed (count, a name over %u bytes, or a missing field)", list, longest);
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
    uint32_t size = 0;
    uint8_t* palette = ReadEntry(module, "palette.tw8", &size, &why);
    bool read = palette != nullptr;
    SysFree(palette);
    if (!read && why == ContainerError::kDamaged)
        Problem("palette.tw8", "the entry lies partly outside the module file");
    else if (!ReadColorTable(module, table))
        Problem("palette.tw8", "the entry is missing or shorter than a colour table");
}

// The boot sounds against the count info.txt gives: one of boot00.snd up to
// the count is drawn at start (the draw is below 32768), a missing one is a
// silent start, one past the count is never played.
void CheckBootSounds(const char* module, const DirectoryRecord* records, uint32_t recordCount, int32_t count) {
    int32_t drawn = count < 32768 ? count : 32768;
    int32_t missing = 0;
    std::string firstMissing;
    for (int32_t i = 0; i < drawn; i++) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "boot%02d.snd", static_cast<int>(i));
        bool found = false;
        ContainerError why = ContainerError::kNone;
        ReadScript(module, entry, &found, &why);
        if (found || why == ContainerError::kNoSuchEntry) {
            if (found) CheckSound(module, "info.txt", entry);
            if (!found && missing++ == 0) firstMissing = entry;
        } else {
            Problem("info.txt", "boot sound '%s' %s", entry, Unreadable(why));
        }
    }
    if (missing == 1)
        Warning("info.txt", "boot sound count is %d, but '%s' is missing: that start is silent", count,
                firstMissing.c_str());
    else if (missing > 1)
        Warning("info.txt", "boot sound count is %d, but %d of them are missing ('%s' first): those starts are silent",
                count, missing, firstMissing.c_str());
    for (uint32_t i = 0; i < recordCount; i++) {
        const char* name = records[i].name;
        size_t length = std::strlen(name);
        if (length < 10 || std::strncmp(name, "boot", 4) != 0 || std::strcmp(name + length - 4, ".snd") != 0) continue;
        std::string digits(name + 4, length - 8);
        if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        int number = std::atoi(digits.c_str());
        char canonical[24];
        std::snprintf(canonical, sizeof canonical, "boot%02d.snd", number);
        if (std::strcmp(canonical, name) != 0 || number < drawn) continue;
        Warning("info.txt", "boot sound '%s' is never played: the boot sound count is %d", name, count);
    }
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
    UserSettings.SndUse = 1;  // check the sounds too
    CharacterInfo info;
    ExplainCharacter(module, &info);
    CheckBootSounds(module, records, count, info.bootSoundCount);
    SysFree(records);
    if (!info.startNames.empty())
        CheckWeights("info.txt", "start list", info.startWeights.data(), static_cast<int32_t>(info.startWeights.size()),
                     false);

    // Every action reachable from the start list, and from the sleep action
    // the program plays while the user is away, each checked once.
    std::vector<std::string> queue = info.startNames;
    char sleep[kMaxActionName + 1];
    if (FindSleepAction(module, sleep)) queue.push_back(sleep);
    std::set<std::string> seen;
    for (size_t at = 0; at < queue.size(); at++) {
        const std::string name = queue[at];
        if (!seen.insert(name).second) continue;
        Action* action = LoadAction(module, name.c_str(), UserSettings.SndUse);
        if (!action) {
            bool found = false;
            ContainerError why = ContainerError::kNone;
            std::string script = ReadScript(module, name.c_str(), &found, &why);
            if (!found && why == ContainerError::kDamaged)
                Problem("action '" + name + "'", "the entry lies partly outside the module file");
            else if (!found)
                Problem("action '" + name + "'", "no such entry in the module");
            else {
                int before = g_problems;
                ExplainAction(module, name, script);
                if (g_problems == before) Problem("action '" + name + "'", "does not load");
            }
            continue;
        }
        for (const std::string& next : CheckAction(module, info, *action)) queue.push_back(next);
        ReleaseAction(action);
    }
    // Finally the load exactly as the program makes it.
    Character character;
    std::memset(&character, 0, sizeof character);
    if (LoadStartingCharacter(&character, module))
        ReleaseCharacter(&character);
    else if (g_problems == 0)
        Problem(module, "the character does not load");
    SysTestClearMessages();
    if (g_problems == 0 && g_warnings == 0)
        std::printf("%s: no problems (%zu actions checked)\n", module, seen.size());
    else if (g_problems == 0)
        std::printf("%s: no errors, %d warning%s (%zu actions checked)\n", module, g_warnings,
                    g_warnings == 1 ? "" : "s", seen.size());
    return g_problems == 0 ? 0 : 1;
}
