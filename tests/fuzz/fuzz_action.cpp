// Fuzz target: the action script. Input: the plain text of an action script,
// loaded from a module that holds 8 cels "a00".."a07", sounds "s00".."s02"
// and the cels and sounds of the small test character; loaded with sound on
// and off, and as a mouse-watching action.
#include "modules/action.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

TestCharacter MakeBase() {
    TestCharacter character = MakeTestCharacter();
    character.AddCels("a", 8);
    character.AddSounds("s", 3);
    return character;
}

void CheckAction(const Action* action) {
    FuzzCheck(action->celCount >= 1 && action->stepCount >= 1 && action->nextCount >= 1, "an action with an empty part");
    for (int32_t i = 0; i < action->stepCount; i++)
        FuzzCheck(action->steps[i].celIndex >= 0 && action->steps[i].celIndex < action->celCount, "a step's cel outside the action");
    FuzzCheck(action->loopStart >= 0 && action->loopStart < action->stepCount && action->loopEnd >= 0 &&
                  action->loopEnd < action->stepCount,
              "a loop outside the steps");
    for (int32_t i = 0; i < action->celCount; i++)
        FuzzCheck(RegionDataIsSound(action->cels[i].regionData, action->cels[i].regionSize), "a cel with unsound region data");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFu) return 0;
    static const TestCharacter base = MakeBase();
    TestCharacter character = base;
    Bytes script = Scramble(Bytes(data, data + size));
    character.Put("act", script);
    character.Put("mus01", script);
    Bytes module = MakeModule(character.entries);
    FuzzUseModule(module);

    for (int32_t sound = 0; sound <= 1; sound++) {
        g_settings.SndUse = sound;
        for (const char* name : {"act", "mus01"}) {
            Action* action = LoadAction(kFuzzModulePath, name);
            if (action) {
                CheckAction(action);
                FuzzCheck(sound == 1 || action->soundCount == 0, "sounds loaded with sound off");
            }
            ReleaseAction(action);
        }
    }
    FuzzForgetModule();
    FuzzCheckNothingLeft();
    return 0;
}
