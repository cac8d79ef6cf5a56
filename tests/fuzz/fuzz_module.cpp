// Fuzz target: a whole module file, read the way the runtime and the module
// tool read it: the directory, every entry by name (plain, unscrambled, as an
// image, as a cel, as region data), then the whole character, then pkm check,
// which must say something is wrong whenever the program refuses the module.
#include "mascot/random.h"
#include "mascot/running_character.h"
#include "modules/character.h"
#include "modules/container.h"
#include "platform/memory.h"
#include "platform/portable/hooks.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/pkm/commands.h"

#include <cstdio>
#include <cstring>

namespace {

bool EndsWith(const char* name, const char* suffix) {
    size_t length = std::strlen(name);
    size_t suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(name + length - suffixLength, suffix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFu) return 0;
    FuzzUseModule(data, static_cast<uint32_t>(size));

    uint32_t count = 0;
    DirectoryRecord* records = ReadModuleDirectory(kFuzzModulePath, &count);
    // A few dozen entries show every way an entry can be read; more only slow the run.
    for (uint32_t i = 0; i < count && i < 48; i++) {
        const char* name = records[i].name;
        uint32_t length = 0;
        uint8_t* entry = ReadEntry(kFuzzModulePath, name, &length);
        if (entry) FuzzCheck(length <= size, "an entry larger than its file");
        if (entry && EndsWith(name, ".rgn")) RegionDataIsSound(entry, length);
        SysFree(entry);
        SysFree(ReadScrambledEntry(kFuzzModulePath, name, &length));
        SysFree(ReadImageEntry(kFuzzModulePath, name, &length));
        if (EndsWith(name, ".tw8")) {
            DibImage image;
            if (LoadCelImage(&image, kFuzzModulePath, name)) ReleaseDibImage(&image);
        }
    }
    SysFree(records);

    // The same input must take the same path: a fixed draw of the first action.
    SeedRandom(1);
    UserSettings.SndUse = 1;
    Character character;
    std::memset(&character, 0, sizeof character);
    int loads = LoadStartingCharacter(&character, kFuzzModulePath);
    if (loads) ReleaseCharacter(&character);
    SysTestClearMessages();
    static FILE* const nowhere = std::fopen("/dev/null", "w");
    CheckResult result = CheckModule(kFuzzModulePath, "fuzz", nullptr, nowhere);
    FuzzCheck(loads || result.errors > 0, "pkm check passed a module the program refuses");
    FuzzForgetModule();
    FuzzCheckNothingLeft();
    return 0;
}
