// Actions, cels and steps: loading an action and everything it names.
#include "modules/action.h"

#include "modules/container.h"
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

// LoadCels and LoadSounds reading from a module opened once for the whole action.
Cel* LoadModuleCels(const ModuleFile* module, const char* baseName, int32_t count) {
    if (count < 1 || count > kMaxCels) return nullptr;
    Cel* cels = static_cast<Cel*>(SysAlloc(sizeof(Cel) * static_cast<size_t>(count)));
    if (!cels) return nullptr;
    std::memset(cels, 0, sizeof(Cel) * static_cast<size_t>(count));
    char name[kNameBuffer];
    for (int32_t i = 0; i < count; i++) {
        bool ok = AssetEntryName(name, sizeof name, baseName, i, ".tw8") &&
                  LoadModuleCelImage(&cels[i].image, module, name) &&
                  AssetEntryName(name, sizeof name, baseName, i, ".rgn");
        if (ok) {
            cels[i].regionData = ReadModuleEntry(module, name, &cels[i].regionSize);
            ok = RegionDataIsSound(cels[i].regionData, cels[i].regionSize);
        }
        if (!ok) {
            ReleaseCels(cels, i + 1);
            return nullptr;
        }
    }
    return cels;
}

WeightedSound* LoadModuleSounds(const ModuleFile* module, const char* baseName, int32_t count) {
    if (count < 1 || count > kMaxSounds) return nullptr;
    WeightedSound* sounds = static_cast<WeightedSound*>(SysAlloc(sizeof(WeightedSound) * static_cast<size_t>(count)));
    if (!sounds) return nullptr;
    std::memset(sounds, 0, sizeof(WeightedSound) * static_cast<size_t>(count));
    char name[kNameBuffer];
    for (int32_t i = 0; i < count; i++) {
        if (!AssetEntryName(name, sizeof name, baseName, i, ".snd") ||
            !(sounds[i].data = ReadScrambledModuleEntry(module, name, &sounds[i].size))) {
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
    Cel* cels = LoadModuleCels(module, baseName, count);
    CloseModuleFile(module);
    return cels;
}

WeightedSound* LoadSounds(const char* modulePath, const char* baseName, int32_t count) {
    ModuleFile* module = OpenModuleFile(modulePath);
    if (!module) return nullptr;
    WeightedSound* sounds = LoadModuleSounds(module, baseName, count);
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

Action* LoadAction(const char* modulePath, const char* actionName, int keepSounds) {
    if (!actionName || std::strlen(actionName) > static_cast<size_t>(kMaxActionName)) return nullptr;
    // The script, the cels and the sounds are read from one opening of the
    // module, closed once the last of them is in.
    ModuleFile* module = OpenModuleFile(modulePath);
    if (!module) return nullptr;
    uint32_t size = 0;
    uint8_t* script = ReadScrambledModuleEntry(module, actionName, &size);
    Action* action = script ? static_cast<Action*>(SysAlloc(sizeof(Action))) : nullptr;
    if (!action) {
        SysFree(script);
        CloseModuleFile(module);
        return nullptr;
    }
    std::memset(action, 0, sizeof(Action));
    auto fail = [&]() -> Action* {
        CloseModuleFile(module);
        ReleaseAction(action);
        SysFree(script);
        return nullptr;
    };

    // Field 1, the image base name, runs verbatim from the first byte to the first comma.
    ScriptCursor cursor;
    if (!ScriptAtComma(&cursor, script, size, 1) || cursor.position >= kNameBuffer - 8) return fail();
    char imageBase[kNameBuffer];
    std::memcpy(imageBase, script, cursor.position);
    imageBase[cursor.position] = 0;

    action->name = SysDupText(actionName);
    if (!action->name) return fail();

    int32_t celCount = ReadNumber(&cursor);
    if (cursor.failed) return fail();
    action->cels = LoadModuleCels(module, imageBase, celCount);
    if (!action->cels) return fail();
    action->celCount = celCount;

    action->anchorX = ReadNumber(&cursor);
    action->anchorY = ReadNumber(&cursor);
    int32_t soundCount = ReadNumber(&cursor);
    if (soundCount > 0) {
        char soundBase[kSoundBaseBuffer];
        if (!ReadTextInto(&cursor, soundBase, sizeof soundBase)) return fail();
        if (keepSounds) {
            action->sounds = LoadModuleSounds(module, soundBase, soundCount);
            if (!action->sounds) return fail();
            action->soundCount = soundCount;
            for (int32_t i = 0; i < soundCount; i++) action->sounds[i].weight = ReadNumber(&cursor);
            action->soundTick = ReadNumber(&cursor);
        } else {
            // With sound off the weights and the tick are read past, never the sounds.
            for (int32_t i = 0; i <= soundCount && !cursor.failed; i++) ReadNumber(&cursor);
        }
    }
    CloseModuleFile(module);
    module = nullptr;
    ReadNumber(&cursor);  // a number this system does not use

    int32_t stepCount = ReadNumber(&cursor);
    // Each step takes four fields of at least a comma each: a count beyond
    // that cannot be real, and is refused before it is allocated.
    if (cursor.failed || stepCount < 1 || static_cast<uint32_t>(stepCount) > cursor.length / 4) return fail();
    action->steps = static_cast<Step*>(SysAlloc(sizeof(Step) * static_cast<size_t>(stepCount)));
    if (!action->steps) return fail();
    action->stepCount = stepCount;
    action->loopStart = ReadNumber(&cursor);
    action->loopEnd = ReadNumber(&cursor);
    action->loopRepeat = ReadNumber(&cursor);
    for (int32_t i = 0; i < stepCount; i++) {
        Step& step = action->steps[i];
        step.celIndex = ReadNumber(&cursor);
        step.dx = ReadNumber(&cursor);
        step.dy = ReadNumber(&cursor);
        step.duration = ReadNumber(&cursor);
        if (step.celIndex < 0 || step.celIndex >= celCount) return fail();
    }
    if (cursor.failed) return fail();
    // The loop's end is only ever compared with the step index, never used as
    // one: an end outside the steps is a loop that never (or always) turns back.
    if (action->loopStart < 0 || action->loopStart >= stepCount) return fail();

    WeightedList next;
    if (!ReadWeightedList(&cursor, &next, kMaxActionName)) return fail();
    action->nextCount = next.count;
    action->nextActions = next.entries;
    if (action->nextCount < 1) return fail();

    if (IsMouseWatching(action->name) && (celCount < kWatchDirections || stepCount < 2)) return fail();

    SysFree(script);
    action->serial = ++g_lastSerial;
    return action;
}
