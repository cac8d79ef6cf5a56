// Little-endian numbers read out of a block of bytes without ever leaving it:
// the one reader of the module formats' fixed fields (container header and
// directory, image headers, region data, sound chunks).
//
// A read that would pass the end of the block yields 0 and marks the reader
// failed; the mark stays, so a caller may read a run of fields and test once.
#pragma once

#include <cstdint>

struct LeReader {
    const uint8_t* bytes;
    uint64_t size;  // bytes readable from `bytes`
    int failed;     // a read passed the end
};

// A reader over `size` bytes at `bytes` (none when `bytes` is nullptr).
inline LeReader LeBytes(const uint8_t* bytes, uint64_t size) { return LeReader{bytes, bytes ? size : 0, 0}; }

// The `width`-byte unsigned number at `offset`, or 0 (and the reader failed)
// when it does not lie wholly inside the block.
inline uint32_t LeNumber(LeReader* reader, uint64_t offset, uint32_t width) {
    if (offset > reader->size || reader->size - offset < width) {
        reader->failed = 1;
        return 0;
    }
    uint32_t value = 0;
    for (uint32_t i = width; i-- > 0;) value = value << 8 | reader->bytes[offset + i];
    return value;
}

inline uint32_t LeU16(LeReader* reader, uint64_t offset) { return LeNumber(reader, offset, 2); }
inline uint32_t LeU32(LeReader* reader, uint64_t offset) { return LeNumber(reader, offset, 4); }
inline int32_t LeI32(LeReader* reader, uint64_t offset) { return static_cast<int32_t>(LeNumber(reader, offset, 4)); }
