// Portable graphics: palettes and 8-bit bitmaps kept in memory with the
// Windows row layout (bottom-up, rows padded to 4 bytes).
#include "platform/graphics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

struct SysPalette {
    uint8_t entries[kColorTableSize];  // red, green, blue, flags
};

struct SysBitmap {
    int32_t width;
    int32_t height;
    uint8_t colorTable[kColorTableSize];
    uint8_t* bits;
};

static int64_t g_liveObjects = 0;  // palettes and bitmaps not yet deleted

SysPalette* SysCreatePalette(const uint8_t colorTable[kColorTableSize]) {
    SysPalette* palette = static_cast<SysPalette*>(std::malloc(sizeof(SysPalette)));
    if (!palette) return nullptr;
    for (int i = 0; i < 256; i++) {
        palette->entries[4 * i] = colorTable[4 * i + 2];
        palette->entries[4 * i + 1] = colorTable[4 * i + 1];
        palette->entries[4 * i + 2] = colorTable[4 * i];
        palette->entries[4 * i + 3] = kPaletteNoCollapse;
    }
    g_liveObjects++;
    return palette;
}

void SysDeletePalette(SysPalette* palette) {
    if (!palette) return;
    std::free(palette);
    g_liveObjects--;
}

SysBitmap* SysCreateDib(int32_t width, int32_t height, const uint8_t colorTable[kColorTableSize], uint8_t** bits) {
    *bits = nullptr;
    if (width < 1 || height < 1 || width > 65535 || height > 65535) return nullptr;
    SysBitmap* bitmap = static_cast<SysBitmap*>(std::malloc(sizeof(SysBitmap)));
    if (!bitmap) return nullptr;
    bitmap->bits = static_cast<uint8_t*>(std::calloc(DibStride(static_cast<uint32_t>(width)), static_cast<size_t>(height)));
    if (!bitmap->bits) {
        std::free(bitmap);
        return nullptr;
    }
    bitmap->width = width;
    bitmap->height = height;
    std::memcpy(bitmap->colorTable, colorTable, kColorTableSize);
    *bits = bitmap->bits;
    g_liveObjects++;
    return bitmap;
}

void SysDeleteBitmap(SysBitmap* bitmap) {
    if (!bitmap) return;
    std::free(bitmap->bits);
    std::free(bitmap);
    g_liveObjects--;
}

int SysGetDibColorTable(SysBitmap* bitmap, uint8_t table[kColorTableSize]) {
    if (!bitmap) return 0;
    std::memcpy(table, bitmap->colorTable, kColorTableSize);
    return 1;
}

int SysGetPaletteEntries(SysPalette* palette, uint8_t entries[kColorTableSize]) {
    if (!palette) return 0;
    std::memcpy(entries, palette->entries, kColorTableSize);
    return 1;
}

int64_t SysLiveGraphicsObjects() { return g_liveObjects; }

// ---- Memory drawing contexts ----

struct SysDC {
    SysBitmap* selected;
};

// What a new context holds until something else is selected: a bitmap of its own.
static SysBitmap g_defaultBitmap = {1, 1, {}, nullptr};

SysDC* SysCreateMemoryDC() {
    SysDC* dc = static_cast<SysDC*>(std::malloc(sizeof(SysDC)));
    if (!dc) return nullptr;
    dc->selected = &g_defaultBitmap;
    g_liveObjects++;
    return dc;
}

void SysDeleteDC(SysDC* dc) {
    if (!dc) return;
    std::free(dc);
    g_liveObjects--;
}

SysBitmap* SysSelectBitmap(SysDC* dc, SysBitmap* bitmap) {
    if (!dc || !bitmap) return nullptr;
    SysBitmap* previous = dc->selected;
    dc->selected = bitmap;
    return previous;
}

// The storage row of picture row y (counted from the top) of a bottom-up bitmap.
static uint8_t* RowFromTop(SysBitmap* bitmap, int32_t y) {
    return bitmap->bits + static_cast<size_t>(bitmap->height - 1 - y) * DibStride(static_cast<uint32_t>(bitmap->width));
}

void SysCopyPixels(SysDC* target, SysDC* source, int32_t width, int32_t height) {
    if (!target || !source || !target->selected->bits || !source->selected->bits) return;
    SysBitmap* to = target->selected;
    SysBitmap* from = source->selected;
    int32_t w = std::min(width, std::min(to->width, from->width));
    int32_t h = std::min(height, std::min(to->height, from->height));
    for (int32_t y = 0; y < h; y++)
        if (w > 0) std::memcpy(RowFromTop(to, y), RowFromTop(from, y), static_cast<size_t>(w));
}

// Painting is part of the simulated screen (platform/portable/window.cpp):
// the window keeps the colour indices and the colour table of the paint.
uint8_t* SysPortablePaintTarget(SysWindow* window, const uint8_t* colorTable, int32_t width, int32_t height,
                                int32_t paintedWidth, int32_t paintedHeight);

void SysPaintWindow(SysWindow* window, SysPalette*, SysDC* source, int32_t width, int32_t height) {
    if (!window || !source || !source->selected->bits || width < 1 || height < 1) return;
    // A modern screen shows a DIB's pixels in the colours of its own colour table.
    SysBitmap* from = source->selected;
    int32_t w = std::min(width, from->width);
    int32_t h = std::min(height, from->height);
    uint8_t* indices = SysPortablePaintTarget(window, from->colorTable, width, height, w, h);
    for (int32_t y = 0; y < h; y++) std::memcpy(indices + static_cast<size_t>(y) * width, RowFromTop(from, y), static_cast<size_t>(w));
}
