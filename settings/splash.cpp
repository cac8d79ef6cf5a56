// The loading splash's logic: display name, ticks, character load and boot sound.
#include "settings/splash.h"

#include "mascot/random.h"
#include "mascot/running_character.h"
#include "mascot/state.h"
#include "modules/character.h"
#include "modules/container.h"
#include "modules/wave.h"
#include "platform/memory.h"
#include "platform/sound.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kDescriptionEntry[] = "info.txt";

}  // namespace

char* ModuleDisplayName(const char* module, int* noModule) {
    *noModule = 0;
    uint32_t size = 0;
    uint8_t* text = ReadScrambledEntry(module ? module : "", kDescriptionEntry, &size);
    if (!text) {
        *noModule = 1;
        return nullptr;
    }
    const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(text, 0, size));
    uint32_t length = zero ? static_cast<uint32_t>(zero - text) : size;
    const uint8_t* first = static_cast<const uint8_t*>(std::memchr(text, ',', length));
    const uint8_t* second = nullptr;
    if (first) second = static_cast<const uint8_t*>(std::memchr(first + 1, ',', length - (first + 1 - text)));
    char* name = nullptr;
    if (second) {
        size_t nameLength = static_cast<size_t>(second - first - 1);
        name = static_cast<char*>(SysAlloc(nameLength + 1));
        if (name) {
            std::memcpy(name, first + 1, nameLength);
            name[nameLength] = 0;
        }
    }
    SysFree(text);
    return name;
}

void MissingModuleMessage(char* out, uint32_t capacity, const char* module) {
    std::snprintf(out, capacity, "没有组件文件\"%s\"。", module ? module : "");
}

void SplashOpen(SplashState* splash) {
    SplashReleaseSound(splash);
    splash->ticks = 0;
    splash->loaded = 0;
}

SplashTick SplashOnTick(SplashState* splash, const char* module) {
    splash->ticks++;
    if (splash->ticks >= kSplashEndTick) return SplashTick::kEnd;
    if (splash->ticks != kSplashLoadTick) return SplashTick::kNothing;

    // The character starts at the primary monitor's scale; the mascot window
    // rescales it when it comes to stand on a monitor of another DPI.
    if (!LoadStartingCharacter(&RunningCharacter, module, WantedScale())) return SplashTick::kLoadFailed;
    splash->loaded = 1;
    int32_t count = RunningCharacter.bootSoundCount;
    if (count > 0) {
        char entry[24];  // "boot" and up to 10 digits (the draw is below 32768) and ".snd"
        std::snprintf(entry, sizeof entry, "boot%02d.snd", static_cast<int>(NextRandom() % count));
        uint32_t size = 0;
        splash->bootSound = ReadScrambledEntry(RunningCharacter.modulePath, entry, &size);
        if (splash->bootSound && !WaveImageIsSound(splash->bootSound, size)) {
            SysFree(splash->bootSound);
            splash->bootSound = nullptr;
        }
        if (splash->bootSound) SysPlaySound(splash->bootSound, size);
    }
    return SplashTick::kLoaded;
}

int SplashTryEnd(SplashState* splash) {
    if (!splash->loaded) return 0;
    SplashReleaseSound(splash);
    return 1;
}

void SplashReleaseSound(SplashState* splash) {
    if (!splash->bootSound) return;
    SysStopSound();
    SysFree(splash->bootSound);
    splash->bootSound = nullptr;
}
