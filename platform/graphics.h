// Platform graphics service: 256-colour logical palettes and 8-bit
// device-independent bitmaps (DIB sections).
//
// A bitmap's pixel storage is bottom-up (the picture's last row first), one
// byte per pixel, each row padded to a multiple of 4 bytes. On Windows the
// bitmap is a DIB section made for the screen; the portable build keeps the
// same storage in memory, so tools and tests see exactly the pixels the
// Windows program draws. New storage is zero-filled on both.
#pragma once

#include <cstdint>

struct SysPalette;  // opaque logical palette
struct SysBitmap;   // opaque bitmap; deleting it frees its pixel storage

constexpr int kColorTableSize = 1024;  // 256 entries of blue, green, red, unused
constexpr uint8_t kPaletteNoCollapse = 4;  // each colour gets its own system entry

// Bytes per row of an 8-bit bitmap `width` pixels wide.
constexpr uint32_t DibStride(uint32_t width) { return (width + 3u) & ~3u; }

// Makes a logical palette (version 0x300, 256 entries) from a colour table:
// entry i gets red, green and blue from bytes 2, 1, 0 of table entry i and the
// no-collapse flag. Returns nullptr on failure; free with SysDeletePalette.
SysPalette* SysCreatePalette(const uint8_t colorTable[kColorTableSize]);
void SysDeletePalette(SysPalette* palette);  // nullptr is ignored

// Makes an 8-bit bottom-up bitmap of width x height (both 1 or more) with the
// given colour table. On success returns the bitmap and sets *bits to its
// zero-filled pixel storage (DibStride(width) * height bytes), owned by the
// bitmap. Returns nullptr on failure.
SysBitmap* SysCreateDib(int32_t width, int32_t height, const uint8_t colorTable[kColorTableSize], uint8_t** bits);
void SysDeleteBitmap(SysBitmap* bitmap);  // nullptr is ignored

// Copies the bitmap's colour table (blue, green, red, unused per entry) into
// `table`. Returns 1, or 0 for nullptr or a table that cannot be read.
int SysGetDibColorTable(SysBitmap* bitmap, uint8_t table[kColorTableSize]);

// Reads back a palette's entries as red, green, blue, flags (1024 bytes), for
// tests and tools. Returns 1, or 0 for nullptr.
int SysGetPaletteEntries(SysPalette* palette, uint8_t entries[kColorTableSize]);

// Palettes, bitmaps and drawing contexts made and not yet deleted.
int64_t SysLiveGraphicsObjects();

struct SysDC;      // opaque memory drawing context, compatible with the screen
struct SysWindow;  // see platform/window.h

// Makes a memory drawing context compatible with the screen, or nullptr.
SysDC* SysCreateMemoryDC();
void SysDeleteDC(SysDC* dc);  // nullptr is ignored

// Selects a bitmap into the context and returns the one selected before (a
// new context holds a default bitmap of its own, to be selected back).
SysBitmap* SysSelectBitmap(SysDC* dc, SysBitmap* bitmap);

// Copies width x height pixels from the top-left corner of the source
// context's bitmap to the top-left corner of the target's.
void SysCopyPixels(SysDC* target, SysDC* source, int32_t width, int32_t height);

// Draws width x height pixels from the top-left corner of `source` into the
// window's top-left corner, with `palette` selected as a foreground palette
// and realised first.
void SysPaintWindow(SysWindow* window, SysPalette* palette, SysDC* source, int32_t width, int32_t height);
