// The loading splash's logic: the start-up module's display name, the
// one-second ticks that load the running character at the second tick and
// end the splash at the sixth, the boot sound, and when a click may end it.
// The dialog itself (settings/win32/) only shows what this decides.
#pragma once

#include <cstdint>

constexpr int32_t kSplashLoadTick = 2;  // the tick that loads the character
constexpr int32_t kSplashEndTick = 6;   // from this tick on the splash ends itself
constexpr uint32_t kSplashTickMs = 1000;

constexpr char kSplashLoading[] = "正在加载...";
constexpr char kSplashLoaded[] = "正在加载...完成";
constexpr char kSplashVersion[] = "1.00";

struct SplashState {
    int32_t ticks;       // timer ticks seen since the splash opened
    int loaded;          // the running character has been loaded
    uint8_t* bootSound;  // the boot sound playing (owned), or nullptr
};

// The display name of module `module`: the text between the first and the
// second comma of its info.txt (the text ends at its last byte or its first
// zero byte). Returns a new text (caller frees it with SysFree), or nullptr
// with *noModule set when info.txt cannot be read at all, or clear when it
// has fewer than two commas.
char* ModuleDisplayName(const char* module, int* noModule);

// The message shown when the module's info.txt cannot be read:
// 没有组件文件"NAME"。 with the name between ASCII quotes, cut to fit
// `capacity` bytes.
void MissingModuleMessage(char* out, uint32_t capacity, const char* module);

// Resets the state for a newly opened splash.
void SplashOpen(SplashState* splash);

enum class SplashTick {
    kNothing,     // nothing to show
    kLoaded,      // the character was loaded: show the loaded status
    kLoadFailed,  // the character could not be loaded: end the splash with 0
    kEnd,         // time is up: end the splash as the OK command would
};

// One timer tick: counts it; at the sixth and later asks for the end; at the
// second loads RunningCharacter from `module` and starts one of its boot
// sounds (NextRandom modulo the boot sound count picks "bootNN.snd"; a
// missing entry, or one that fails WaveImageIsSound, plays nothing).
SplashTick SplashOnTick(SplashState* splash, const char* module);

// The OK command, a click or the end of time: returns 1 when the splash may
// end with success (the character is loaded), after stopping and freeing the
// boot sound; 0 when it must stay.
int SplashTryEnd(SplashState* splash);

// Stops and frees the boot sound, if any. Safe on a zeroed state.
void SplashReleaseSound(SplashState* splash);
