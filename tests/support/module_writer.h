// Test support: makes module files (*.Pkm) in memory and on disk, so tests can
// build well-formed modules and then damage their bytes on purpose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct TestEntry {
    std::string name;  // written into the 22-byte field, NUL-padded (cut at 22 bytes)
    Bytes data;
};

// Header, directory in the given order, then the entries' data in the same order.
Bytes MakeModule(const std::vector<TestEntry>& entries);

// Each byte passed through the container's scrambling (its own inverse).
Bytes Scramble(const Bytes& plain);
Bytes ScrambleText(const std::string& text);

// A .tw8 image: header, colour table (entry i = i, i, i), and `pixels` stored
// plain or packed as given. For packed images `pixels` is the packed stream.
Bytes MakeImage(uint16_t width, uint16_t height, const Bytes& pixels, bool packed);

void PutLe32(Bytes* bytes, size_t at, uint32_t value);

// Writes the bytes to a file; returns false on failure.
bool WriteFileBytes(const std::string& path, const Bytes& bytes);
