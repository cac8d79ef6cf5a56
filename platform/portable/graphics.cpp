// Portable graphics: palettes and 8-bit bitmaps kept in memory with the
// Windows row layout (bottom-up, rows padded to 4 bytes).
#include "platform/graphics.h"

#include <cstdlib>
#include <cstring>

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

int SysGetPaletteEntries(SysPalette* palette, uint8_t entries[kColorTableSize]) {
    if (!palette) return 0;
    std::memcpy(entries, palette->entries, kColorTableSize);
    return 1;
}

int64_t SysLiveGraphicsObjects() { return g_liveObjects; }
