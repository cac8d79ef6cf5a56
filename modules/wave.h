// Sound images: the check a module's RIFF WAVE image passes before the
// system's player is given it. The player reads the image from memory and
// trusts every size written in it, so each one is checked against the entry.
#pragma once

#include <cstdint>

// Checks that `size` bytes at `wave` are a RIFF WAVE image the player can
// read without leaving them: the "RIFF" header with form type "WAVE"; chunks
// walked one by one, each inside the RIFF chunk and the bytes; a "fmt " chunk
// before the first "data" chunk, at least the 16 bytes of a PCM format (any
// other tag: its 18-byte header and the extra bytes it announces), with
// channels, sample rate and block size not 0; and the "data" chunk inside.
// Returns 1; or 0 with *reason (when given) set to a static English text
// saying what is wrong.
int WaveImageIsSound(const uint8_t* wave, uint32_t size, const char** reason = nullptr);
