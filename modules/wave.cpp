// Sound images: bounds and format check of a RIFF WAVE image.
#include "modules/wave.h"

#include "modules/le_reader.h"

#include <cstring>

namespace {

constexpr uint32_t kChunkHeader = 8;       // four-letter id, then the body's byte count
constexpr uint32_t kPcmFormatSize = 16;    // tag, channels, rate, bytes per second, block, bits
constexpr uint32_t kFormatExSize = 18;     // the same and the count of extra bytes that follow
constexpr uint16_t kPcmTag = 1;

int Refuse(const char** reason, const char* text) {
    if (reason) *reason = text;
    return 0;
}

}  // namespace

int WaveImageIsSound(const uint8_t* wave, uint32_t size, const char** reason) {
    if (!wave || size < 12 || std::memcmp(wave, "RIFF", 4) != 0 || std::memcmp(wave + 8, "WAVE", 4) != 0)
        return Refuse(reason, "not a RIFF WAVE image");
    LeReader image = LeBytes(wave, size);
    // 64-bit offsets: no size field, however large, can wrap the walk. A RIFF
    // size past the entry is common in written-out files and harmless (the
    // player reads only the chunks): the walk stops at the entry's end.
    uint64_t end = kChunkHeader + static_cast<uint64_t>(LeU32(&image, 4));
    if (end > size) end = size;
    bool format = false;
    uint64_t at = 12;
    while (at + kChunkHeader <= end) {
        const uint8_t* chunk = wave + at;
        uint64_t length = LeU32(&image, at + 4);
        if (at + kChunkHeader + length > end) return Refuse(reason, "a chunk reaches past the end of the entry");
        const uint64_t body = at + kChunkHeader;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !format) {
            if (length < kPcmFormatSize) return Refuse(reason, "the format chunk is shorter than a PCM format");
            if (LeU16(&image, body) != kPcmTag &&
                (length < kFormatExSize || kFormatExSize + static_cast<uint64_t>(LeU16(&image, body + 16)) > length))
                return Refuse(reason, "the format's extra bytes reach past its chunk");
            if (LeU16(&image, body + 2) == 0 || LeU32(&image, body + 4) == 0 || LeU16(&image, body + 12) == 0)
                return Refuse(reason, "the format has no channels, no sample rate or no block size");
            format = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            // The player takes the first data chunk after the format.
            if (!format) return Refuse(reason, "the data chunk comes before the format chunk");
            return 1;
        }
        // Chunk bodies of odd length are followed by a pad byte.
        at += kChunkHeader + length + (length & 1);
    }
    return Refuse(reason, format ? "no data chunk" : "no format chunk");
}
