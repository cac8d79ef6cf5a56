// Fuzz target: the description script. Input: the plain text of info.txt,
// placed in a small well-formed character whose actions are "stand" and "walk".
#include "mascot/random.h"
#include "mascot/running_character.h"
#include "modules/character.h"
#include "platform/portable/hooks.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFu) return 0;
    static const TestCharacter base = MakeTestCharacter();
    TestCharacter character = base;
    character.Put("info.txt", Scramble(Bytes(data, data + size)));
    Bytes module = MakeModule(character.entries);
    FuzzUseModule(module);

    // The same input must take the same path: a fixed draw of the first action.
    SeedRandom(1);
    UserSettings.SndUse = 1;
    Character loaded;
    std::memset(&loaded, 0, sizeof loaded);
    if (LoadStartingCharacter(&loaded, kFuzzModulePath)) {
        FuzzCheck(std::strlen(loaded.name) < kDisplayNameField, "display name too long");
        FuzzCheck(loaded.startActions.count >= 1 && loaded.currentAction, "a character without a first action");
        FuzzCheck(loaded.canvas.bitmap && loaded.palette, "a character without canvas or palette");
        ReleaseCharacter(&loaded);
    } else {
        FuzzCheck(loaded.modulePath == nullptr && loaded.currentAction == nullptr, "a failed load touched its target");
    }
    SysTestClearMessages();
    FuzzForgetModule();
    FuzzCheckNothingLeft();
    return 0;
}
