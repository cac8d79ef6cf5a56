// Images, palettes and regions of a character module: .tw8 pictures turned
// into 8-bit bitmaps, palette.tw8 turned into the character's palette and
// canvas, and the checks that make a cel's region data safe to hand on.
//
// A .tw8 image is a 12-byte header (compression flag at byte 1, stored size
// at 4, width and height at 8 and 10), a 256-entry colour table (blue, green,
// red, unused) and 8-bit pixels, bottom row first, each row exactly `width`
// bytes; packed with the container's run-length coding when byte 1 is 1.
#pragma once

#include "modules/container.h"
#include "platform/graphics.h"

#include <cstdint>

// A decoded picture held as a platform bitmap.
struct DibImage {
    SysBitmap* bitmap;  // deleting it frees `bits`
    uint8_t* bits;      // bottom row first, rows padded to DibStride(width)
    uint16_t width;
    uint16_t height;
};

constexpr uint32_t kRegionHeaderSize = 32;
constexpr uint32_t kRegionRectSize = 16;

// Copies the colour table of the module's palette.tw8 into `table`. Returns
// 1, or 0 when the entry is missing or too short to hold a colour table;
// `why`, when given, receives the reason the entry could not be read (kNone
// when it was read but is too short).
int ReadColorTable(const char* modulePath, uint8_t table[kColorTableSize], ContainerError* why = nullptr);

// The character's 256-colour palette from palette.tw8, or nullptr (`why` as
// for ReadColorTable).
SysPalette* LoadPalette(const char* modulePath, ContainerError* why = nullptr);

// Makes `target` a width x height picture with palette.tw8's colours (pixels
// zero). Returns 1, or 0 with `target` zeroed (bad size, missing palette,
// no bitmap).
int CreateCanvas(DibImage* target, const char* modulePath, int32_t width, int32_t height);

// Fills `target` from a .tw8 entry with the entry's own colour table. Rows of
// any width land in their padded rows. Fails, leaving `target` zeroed and
// nothing allocated, when the entry is missing, shorter than its header and
// colour table, has no pixels, holds fewer plain pixels than width x height,
// or its packed data overruns the picture or does not end exactly at its
// stored length. Packed data that ends early leaves the rest at colour 0.
int LoadCelImage(DibImage* target, const char* modulePath, const char* entryName);

// As LoadCelImage, reading the entry from a module opened once for many
// reads. On failure `problem`, when given, receives a static English text
// saying what is wrong with the entry ("is missing", "has no pixels", ...).
int LoadModuleCelImage(DibImage* target, const ModuleFile* module, const char* entryName,
                       const char** problem = nullptr);

// Deletes the bitmap and zeroes the image. Safe on a zeroed image.
void ReleaseDibImage(DibImage* image);

// True when `data` of `size` bytes is region data that can be handed to the
// window system whole: at least its 32-byte header, and room for every
// rectangle its count announces.
bool RegionDataIsSound(const uint8_t* data, uint32_t size);
