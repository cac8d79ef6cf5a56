// Writing character modules: the container layout, scrambling, .tw8 images
// (plain or run-length packed), region data and the module palette.
#pragma once

#include "tools/pkm/tool_files.h"

#include <cstdint>
#include <string>
#include <vector>

// One named entry of a module being written.
struct ModuleEntry {
    std::string name;
    ByteVector data;
};

// An 8-bit picture: width × height colour indices, top row first.
struct IndexedPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    ByteVector pixels;
};

// 256 colours as a .tw8 colour table stores them: blue, green, red, 0.
using ColorTable = std::vector<uint8_t>;  // 1024 bytes
constexpr uint32_t kColorTableBytes = 1024;

// 1 when `name` fits the directory's 22-byte name field with its NUL
// (1 to 21 bytes, no NUL inside).
int EntryNameFits(const std::string& name);

// The module file's bytes: header (magic, entry count, the rest zero),
// directory in the order given, then the entries' data in the same order.
// Nothing depends on time or memory addresses, so equal input gives equal files.
ByteVector LayOutModule(const std::vector<ModuleEntry>& entries);

// Every byte passed through the container's scrambling (its own inverse).
ByteVector ScrambleBytes(const ByteVector& plain);

// The run-length coding that ExpandRle reads: repeat runs for three or more
// equal bytes, literal runs for the rest, each run at most 127 bytes.
ByteVector PackRle(const uint8_t* data, size_t length);

// A .tw8 image of the picture with the given colour table: rows stored bottom
// row first, packed when the packed pixel data is smaller than the plain one.
// The picture must be at most 65535 pixels each way.
ByteVector EncodeTw8(const IndexedPicture& picture, const ColorTable& colors);

// The palette entry palette.tw8: the colour table with a 16 × 16 picture in
// which pixel i shows colour i, so the entry can also be looked at.
ByteVector EncodePaletteEntry(const ColorTable& colors);

// Region data for a picture's shape: `shown` holds width × height flags, top
// row first, non-zero where the pixel belongs to the shape. Each row's runs of
// shown pixels become rectangles; consecutive rows with the same runs share
// one band of rectangles, as the window system's own regions do; the bounds
// are the smallest rectangle around them (all zero for an empty shape).
ByteVector MakeRegionData(uint32_t width, uint32_t height, const ByteVector& shown);
