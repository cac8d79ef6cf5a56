// Platform sound service: plays a whole WAV file image from memory, at once
// and asynchronously, and stops it.
//
// The image must stay in memory while it plays: owners stop the sound before
// they free it. The portable build plays nothing and counts what it was asked.
#pragma once

#include <cstdint>

// Starts playing a WAV image; a sound already playing is not interrupted (the
// new one is then dropped).
void SysPlaySound(const uint8_t* wave, uint32_t size);

// Stops any sound that is playing.
void SysStopSound();
