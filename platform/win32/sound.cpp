// Win32 sound player: sndPlaySoundA with in-memory WAV images.
#include "platform/sound.h"

#include <windows.h>
#include <mmsystem.h>

void SysPlaySound(const uint8_t* wave, uint32_t) {
    sndPlaySoundA(reinterpret_cast<const char*>(wave), SND_ASYNC | SND_MEMORY | SND_NOSTOP);
}

void SysStopSound() { sndPlaySoundA(nullptr, 0); }
