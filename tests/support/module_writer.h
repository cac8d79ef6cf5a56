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

// A playable RIFF WAVE image: a 16-byte PCM format (mono, 8 kHz, 8 bits) at
// offset 20 and a data chunk of `dataBytes` bytes of silence at offset 36.
Bytes MakeWave(uint32_t dataBytes);

// Writes the bytes to a file; returns false on failure.
bool WriteFileBytes(const std::string& path, const Bytes& bytes);

// Region data: the 32-byte header (size 32, type 1, count, bytes, bounds)
// and the rectangles, each left, top, right, bottom.
struct TestRect {
    int32_t left, top, right, bottom;
};
Bytes MakeRegion(const std::vector<TestRect>& rects);

// A small well-formed character to change piece by piece: palette.tw8,
// info.txt and actions whose cels are 4 x 2 plain pictures with a full region.
struct TestCharacter {
    std::vector<TestEntry> entries;

    // Replaces or adds an entry.
    void Put(const std::string& name, const Bytes& data);
    void PutText(const std::string& name, const std::string& text) { Put(name, ScrambleText(text)); }
    void Remove(const std::string& name);
    // Adds `count` cels named base00.tw8/.rgn ... with pixel value = cel number.
    void AddCels(const std::string& base, int count, uint16_t width = 4, uint16_t height = 2);
    // Adds `count` sounds base00.snd ... (MakeWave(4), scrambled).
    void AddSounds(const std::string& base, int count);
    bool Write(const std::string& path) const { return WriteFileBytes(path, MakeModule(entries)); }
};

// info.txt text for a character named `name` with a 64 x 48 canvas whose
// first action is drawn from `startList` (e.g. "1,stand,100,").
std::string InfoText(const std::string& name, const std::string& startList);

// A character with actions "stand" (2 cels, 2 steps, one sound "beep") and
// "walk" (3 cels, looping), starting with "stand".
TestCharacter MakeTestCharacter();
