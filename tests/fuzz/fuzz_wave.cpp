// Fuzz target: the sound image check. Input: a whole RIFF WAVE image. An
// image the check passes is then read as the system's player reads it,
// trusting its own sizes, from a block of exactly its length: any read past
// the end is a finding of the sanitizer.
#include "modules/wave.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Walks chunks from `at` to the first one named `id`, as the player does
// (no bounds of its own); returns its offset.
size_t FindChunk(const uint8_t* wave, size_t at, const char* id) {
    while (std::memcmp(wave + at, id, 4) != 0) {
        uint32_t length = Le32(wave + at + 4);
        at += 8 + static_cast<size_t>(length) + (length & 1);
    }
    return at;
}

// Sums every byte of a chunk's body, so each one is read.
uint32_t ReadBody(const uint8_t* wave, size_t chunk) {
    uint32_t length = Le32(wave + chunk + 4);
    uint32_t sum = 0;
    for (uint32_t i = 0; i < length; i++) sum += wave[chunk + 8 + i];
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFu) return 0;
    std::vector<uint8_t> wave(data, data + size);  // a block of exactly the input's length
    const char* reason = nullptr;
    if (!WaveImageIsSound(wave.data(), static_cast<uint32_t>(size), &reason)) {
        FuzzCheck(reason != nullptr, "a refusal without a reason");
        return 0;
    }
    size_t format = FindChunk(wave.data(), 12, "fmt ");
    volatile uint32_t sum = ReadBody(wave.data(), format);
    size_t body = FindChunk(wave.data(), format + 8 + Le32(&wave[format + 4]) + (Le32(&wave[format + 4]) & 1), "data");
    sum = sum + ReadBody(wave.data(), body);
    (void)sum;
    return 0;
}
