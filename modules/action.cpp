// Actions, cels and steps: loading an action and everything it names.
#include "modules/action.h"

#include "modules/container.h"
#include "modules/load_report.h"
#include "modules/wave.h"
#include "platform/memory.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kNameBuffer = 264;  // room for any base name the script may give, digits and suffix

uint32_t g_lastSerial = 0;  // serial of the most recently loaded action

void ReleaseCels(Cel* cels, int32_t count) {
    if (!cels) return;
    for (int32_t i = 0; i < count; i++) {
        ReleaseDibImage(&cels[i].image);
        SysFree(cels[i].regionData);
    }
    SysFree(cels);
}

void ReleaseSounds(WeightedSound* sounds, int32_t count) {
    if (!sounds) return;
    for (int32_t i = 0; i < count; i++) SysFree(sounds[i].data);
    SysFree(sounds);
}

bool IsMouseWatching(const char* name) { return std::strncmp(name, "mus", 3) == 0; }

}  // namespace

int AssetEntryName(char* out, uint32_t capacity, const char* baseName, int32_t number, const char* suffix) {
    // The base name is an argument, never part of the format: a '%' in it stays a '%'.
    int written = std::snprintf(out, capacity, "%s%02d%s", baseName, static_cast<int>(number), suffix);
    return written >= 0 && static_cast<uint32_t>(written) < capacity;
}

namespace {

// LoadCels and LoadSounds reading from a module opened once for the whole
// action; the report, when given, names the cel or sound that fails.
Cel* LoadModuleCels(const ModuleFile* module, const char* baseName, int32_t count, LoadReport* report) {
    if (count < 1 || count > kMaxCels) return nullptr;
    Cel* cels = static_cast<Cel*>(SysAlloc(sizeof(Cel) * static_cast<size_t>(count)));
    if (!cels) return nullptr;
    std::memset(cels, 0, sizeof(Cel) * static_cast<size_t>(count));
    char name[kNameBuffer];
    for (int32_t i = 0; i < count; i++) {
        const char* problem = "does not load";
        const char* part = "picture";
        bool ok = AssetEntryName(name, sizeof name, baseName, i, ".tw8") &&
                  LoadModuleCelImage(&cels[i].image, module, name, &problem);
        if (ok) {
            ContainerError why = ContainerError::kNone;
            part = "region";
            ok = AssetEntryName(name, sizeof name, baseName, i, ".rgn") &&
                 (cels[i].regionData = ReadModuleEntry(module, name, &cels[i].regionSize, &why)) != nullptr &&
                 RegionDataIsSound(cels[i].regionData, cels[i].regionSize);
            problem = !cels[i].regionData                    ? EntryProblem(why)
                      : cels[i].regionSize < kRegionHeaderSize ? "is shorter than its 32-byte header"
                                                               : "is shorter than its rectangle count says";
        }
        if (!ok) {
            if (report) {
                char celPart[32];
                std::snprintf(celPart, sizeof celPart, "cel %d's %s", static_cast<int>(i), part);
                ReportFault(report, name, celPart, 0, "%s", problem);
            }
            ReleaseCels(cels, i + 1);
            return nullptr;
        }
    }
    return cels;
}

WeightedSound* LoadModuleSounds(const ModuleFile* module, const char* baseName, int32_t count, LoadReport* report) {
    if (count < 1 || count > kMaxSounds) return nullptr;
    WeightedSound* sounds = static_cast<WeightedSound*>(SysAlloc(sizeof(WeightedSound) * static_cast<size_t>(count)));
    if (!sounds) return nullptr;
    std::memset(sounds, 0, sizeof(WeightedSound) * static_cast<size_t>(count));
    char name[kNameBuffer];
    for (int32_t i = 0; i < count; i++) {
        ContainerError why = ContainerError::kNone;
        if (!AssetEntryName(name, sizeof name, baseName, i, ".snd") ||
            !(sounds[i].data = ReadScrambledModuleEntry(module, name, &sounds[i].size, &why))) {
            char part[32];
            std::snprintf(part, sizeof part, "sound %d", static_cast<int>(i));
            ReportFault(report, name, part, 0, "%s", EntryProblem(why));
            ReleaseSounds(sounds, i);
            return nullptr;
        }
        // A sound the player could not read within its bytes is kept as an
        // empty slot: it plays nothing, and the draw over the weights is unchanged.
        if (!WaveImageIsSound(sounds[i].data, sounds[i].size)) {
            SysFree(sounds[i].data);
            sounds[i].data = nullptr;
            sounds[i].size = 0;
        }
    }
    return sounds;
}

}  // namespace

Cel* LoadCels(const char* modulePath, const char* baseName, int32_t count) {
    ModuleFile* module = OpenModuleFile(modulePath);
    if (!module) return nullptr;
    Cel* cels = LoadModuleCels(module, baseName, count, nullptr);
    CloseModuleFile(module);
    return cels;
}

WeightedSound* LoadSounds(const char* modulePath, const char* baseName, int32_t count) {
    ModuleFile* module = OpenModuleFile(modulePath);
    if (!module) return nullptr;
    WeightedSound* sounds = LoadModuleSounds(module, baseName, count, nullptr);
    CloseModuleFile(module);
    return sounds;
}

void ReleaseAction(Action* action) {
    if (!action) return;
    ReleaseCels(action->cels, action->celCount);
    ReleaseSounds(action->sounds, action->soundCount);
    SysFree(action->steps);
    WeightedList next = {action->nextCount, action->nextActions};
    ReleaseWeightedList(&next);
    SysFree(action->name);
    SysFree(action);
}

int32_t CurrentStepIndex(const Action* action) {
    return action->stepIndex >= 0 && action->stepIndex < action->stepCount ? action->stepIndex : 0;
}

Action* LoadAction(const char* modulePath, const char* actionName, int keepSounds, LoadReport* report) {
    ClearLoadReport(report);
    if (!actionName || std::strlen(actionName) > static_cast<size_t>(kMaxActionName)) {
        ReportFault(report, "", "", 0, "the action name is missing or longer than %d bytes", kMaxActionName);
        return nullptr;
    }
    // The script, the cels and the sounds are read from one opening of the
    // module, closed once the last of them is in.
    ModuleFile* module = OpenModuleFile(modulePath);
    uint32_t size = 0;
    ContainerError why = ContainerError::kNoMemory;
    uint8_t* script = module ? ReadScrambledModuleEntry(module, actionName, &size, &why) : nullptr;
    Action* action = script ? static_cast<Action*>(SysAlloc(sizeof(Action))) : nullptr;
    if (!action) {
        ReportFault(report, actionName, "the script", 0, "%s",
                    script ? "cannot be read: no memory left" : EntryProblem(why));
        SysFree(script);
        CloseModuleFile(module);
        return nullptr;
    }
    std::memset(action, 0, sizeof(Action));
    ScriptCursor cursor;
    auto fail = [&]() -> Action* {
        ReportFault(report, actionName, "", 0, "does not load");
        ReportLooseNumber(report, cursor);
        CloseModuleFile(module);
        ReleaseAction(action);
        SysFree(script);
        return nullptr;
    };
    auto number = [&](const char* field, int32_t index = 0) {
        return ReadReportedNumber(&cursor, report, actionName, field, index);
    };

    // Field 1, the image base name, runs verbatim from the first byte to the first comma.
    if (!ScriptAtComma(&cursor, script, size, 1)) {
        ReportFault(report, actionName, "", ScriptLine(&cursor, cursor.length),
                    "the image base name is not ended by a comma");
        return fail();
    }
    if (cursor.position >= kNameBuffer - 8) {
        ReportFault(report, actionName, "", 1, "the image base name is longer than %u bytes", kNameBuffer - 9);
        return fail();
    }
    char imageBase[kNameBuffer];
    std::memcpy(imageBase, script, cursor.position);
    imageBase[cursor.position] = 0;

    action->name = SysDupText(actionName);
    if (!action->name) return fail();

    int32_t celCount = number("the cel count");
    if (cursor.failed) return fail();
    if (celCount < 1 || celCount > kMaxCels) {
        ReportField(report, actionName, cursor, "the cel count is not between 1 and 10000");
        return fail();
    }
    action->cels = LoadModuleCels(module, imageBase, celCount, report);
    if (!action->cels) {
        if (report && StartsWithByteOrderMark(script, size)) {
            // The missing cel is only the symptom.
            report->what[0] = 0;
            ReportFault(report, actionName, "", 1,
                        "the script starts with a UTF-8 byte-order mark, which the program takes for part of the "
                        "image base name: no cel is found");
        }
        return fail();
    }
    action->celCount = celCount;

    action->anchorX = number("the anchor x");
    action->anchorY = number("the anchor y");
    int32_t soundCount = number("the sound count");
    if (soundCount > 0) {
        char soundBase[kSoundBaseBuffer];
        if (!ReadTextInto(&cursor, soundBase, sizeof soundBase)) {
            ReportField(report, actionName, cursor,
                        cursor.position >= cursor.fieldStart && cursor.position < cursor.length
                            ? "the sound base name is longer than 39 bytes"
                            : "the sound base name is missing or not ended by a comma");
            return fail();
        }
        if (report) std::snprintf(report->soundBase, sizeof report->soundBase, "%s", soundBase);
        if (keepSounds) {
            if (soundCount > kMaxSounds) {
                ReportField(report, actionName, cursor, "the sound count is more than 10000");
                return fail();
            }
            action->sounds = LoadModuleSounds(module, soundBase, soundCount, report);
            if (!action->sounds) return fail();
            action->soundCount = soundCount;
            for (int32_t i = 0; i < soundCount; i++) action->sounds[i].weight = number("sound %d's weight", i);
            action->soundTick = number("the sound tick");
        } else {
            // With sound off the weights and the tick are read past, never the sounds.
            for (int32_t i = 0; i <= soundCount && !cursor.failed; i++) number("a sound weight or the sound tick");
        }
    }
    CloseModuleFile(module);
    module = nullptr;
    number("the unused number after the sounds");  // a number this system does not use

    int32_t stepCount = number("the step count");
    if (cursor.failed) return fail();
    // Each step takes four fields of at least a comma each: a count beyond
    // that cannot be real, and is refused before it is allocated.
    if (stepCount < 1 || static_cast<uint32_t>(stepCount) > cursor.length / 4) {
        ReportField(report, actionName, cursor,
                    stepCount < 1 ? "the step count is less than 1" : "the step count is more than the script holds");
        return fail();
    }
    action->steps = static_cast<Step*>(SysAlloc(sizeof(Step) * static_cast<size_t>(stepCount)));
    if (!action->steps) return fail();
    action->stepCount = stepCount;
    action->loopStart = number("the loop start");
    uint32_t loopStartField = cursor.fieldStart;
    action->loopEnd = number("the loop end");
    action->loopRepeat = number("the loop repeat");
    for (int32_t i = 0; i < stepCount; i++) {
        Step& step = action->steps[i];
        step.celIndex = number("step %d's cel", i);
        if (!cursor.failed && (step.celIndex < 0 || step.celIndex >= celCount)) {
            if (report) {
                char what[96];
                std::snprintf(what, sizeof what, "step %d shows cel %d, but the action has %d cels",
                              static_cast<int>(i), static_cast<int>(step.celIndex), static_cast<int>(celCount));
                ReportField(report, actionName, cursor, what);
            }
            return fail();
        }
        step.dx = number("step %d's dx", i);
        step.dy = number("step %d's dy", i);
        step.duration = number("step %d's duration", i);
    }
    if (cursor.failed) return fail();
    // The loop's end is only ever compared with the step index, never used as
    // one: an end outside the steps is a loop that never (or always) turns back.
    if (action->loopStart < 0 || action->loopStart >= stepCount) {
        if (report) {
            char what[96];
            std::snprintf(what, sizeof what, "the loop start %d is not one of the %d steps",
                          static_cast<int>(action->loopStart), static_cast<int>(stepCount));
            ReportFault(report, actionName, "", ScriptLine(&cursor, loopStartField), "%s", what);
        }
        return fail();
    }

    WeightedList next;
    if (!ReadReportedList(&cursor, &next, kMaxActionName, report, actionName, "the next-action list")) return fail();
    action->nextCount = next.count;
    action->nextActions = next.entries;
    if (action->nextCount < 1) {
        ReportField(report, actionName, cursor, "the next-action list is empty");
        return fail();
    }

    if (IsMouseWatching(action->name) && (celCount < kWatchDirections || stepCount < 2)) {
        ReportFault(report, actionName, "", 0,
                    "a mouse-watching action needs 8 cels and 2 steps; this one has %d and %d",
                    static_cast<int>(celCount), static_cast<int>(stepCount));
        return fail();
    }

    ReportLooseNumber(report, cursor);
    SysFree(script);
    action->serial = ++g_lastSerial;
    return action;
}
