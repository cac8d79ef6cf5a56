// Portable sound player: plays nothing, counts what it was asked to do.
#include "platform/portable/hooks.h"
#include "platform/sound.h"

static int g_played = 0;                      // SysPlaySound calls
static int g_stops = 0;                       // SysStopSound calls
static const uint8_t* g_lastSound = nullptr;  // the last image asked to play

void SysPlaySound(const uint8_t* wave, uint32_t) {
    g_played++;
    g_lastSound = wave;
}

void SysStopSound() { g_stops++; }

int SysTestSoundsPlayed() { return g_played; }
int SysTestSoundStops() { return g_stops; }
const uint8_t* SysTestLastSound() { return g_lastSound; }

void SysTestResetSounds() {
    g_played = 0;
    g_stops = 0;
    g_lastSound = nullptr;
}
