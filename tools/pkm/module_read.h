// Reading back what the authoring commands write: .tw8 images and region
// data, each checked against its own sizes before use. (Sounds pass the
// program's own check, WaveImageIsSound in modules/wave.h.)
#pragma once

#include "tools/pkm/module_write.h"

#include <string>

// Decodes a .tw8 entry (plain, or packed when byte 1 is 1) into a top-down
// picture and its colour table. Returns 1, or 0 with *error set when the entry
// is shorter than its header, its pixel data is short, or its packing is
// malformed.
int DecodeTw8(const ByteVector& entry, IndexedPicture* picture, ColorTable* colors, std::string* error);

// Turns region data into width × height flags (top row first), 1 for the
// pixels inside a rectangle; rectangle parts outside the picture are dropped.
// Returns 1, or 0 with *error set when the data is shorter than its header,
// is not of the rectangle type, or its rectangle count disagrees with its size.
int RegionMask(const ByteVector& region, uint32_t width, uint32_t height, ByteVector* shown, std::string* error);
