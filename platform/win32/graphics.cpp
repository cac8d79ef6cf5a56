// Win32 graphics: logical palettes (CreatePalette) and 8-bit DIB sections
// made for the screen's device context.
#include "platform/graphics.h"

#include <windows.h>

#include <cstring>

static int64_t g_liveObjects = 0;  // palettes and bitmaps not yet deleted

SysPalette* SysCreatePalette(const uint8_t colorTable[kColorTableSize]) {
    // LOGPALETTE declares one entry; the other 255 follow it in the same block.
    struct {
        LOGPALETTE header;
        PALETTEENTRY more[255];
    } description;
    description.header.palVersion = 0x300;
    description.header.palNumEntries = 256;
    PALETTEENTRY* entries = description.header.palPalEntry;
    for (int i = 0; i < 256; i++) {
        entries[i].peRed = colorTable[4 * i + 2];
        entries[i].peGreen = colorTable[4 * i + 1];
        entries[i].peBlue = colorTable[4 * i];
        entries[i].peFlags = PC_NOCOLLAPSE;
    }
    HPALETTE palette = CreatePalette(&description.header);
    if (!palette) return nullptr;
    g_liveObjects++;
    return reinterpret_cast<SysPalette*>(palette);
}

void SysDeletePalette(SysPalette* palette) {
    if (!palette) return;
    DeleteObject(reinterpret_cast<HPALETTE>(palette));
    g_liveObjects--;
}

SysBitmap* SysCreateDib(int32_t width, int32_t height, const uint8_t colorTable[kColorTableSize], uint8_t** bits) {
    *bits = nullptr;
    if (width < 1 || height < 1 || width > 65535 || height > 65535) return nullptr;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } description;
    std::memset(&description, 0, sizeof description);
    description.header.biSize = sizeof(BITMAPINFOHEADER);
    description.header.biWidth = width;
    description.header.biHeight = height;  // positive: rows bottom-up
    description.header.biPlanes = 1;
    description.header.biBitCount = 8;
    description.header.biCompression = BI_RGB;
    description.header.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height);
    std::memcpy(description.colors, colorTable, kColorTableSize);

    HDC screen = GetDC(nullptr);
    void* storage = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&description), DIB_RGB_COLORS, &storage,
                                      nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!bitmap || !storage) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    *bits = static_cast<uint8_t*>(storage);
    g_liveObjects++;
    return reinterpret_cast<SysBitmap*>(bitmap);
}

void SysDeleteBitmap(SysBitmap* bitmap) {
    if (!bitmap) return;
    DeleteObject(reinterpret_cast<HBITMAP>(bitmap));
    g_liveObjects--;
}

int SysGetDibColorTable(SysBitmap* bitmap, uint8_t table[kColorTableSize]) {
    if (!bitmap) return 0;
    // The table is read through a drawing context holding the bitmap.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!dc) return 0;
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HBITMAP>(bitmap));
    RGBQUAD colors[256];
    UINT read = GetDIBColorTable(dc, 0, 256, colors);
    SelectObject(dc, previous);
    DeleteDC(dc);
    if (read != 256) return 0;
    std::memcpy(table, colors, kColorTableSize);
    return 1;
}

int SysGetPaletteEntries(SysPalette* palette, uint8_t entries[kColorTableSize]) {
    if (!palette) return 0;
    PALETTEENTRY read[256];
    if (GetPaletteEntries(reinterpret_cast<HPALETTE>(palette), 0, 256, read) != 256) return 0;
    for (int i = 0; i < 256; i++) {
        entries[4 * i] = read[i].peRed;
        entries[4 * i + 1] = read[i].peGreen;
        entries[4 * i + 2] = read[i].peBlue;
        entries[4 * i + 3] = read[i].peFlags;
    }
    return 1;
}

int64_t SysLiveGraphicsObjects() { return g_liveObjects; }

// ---- Memory drawing contexts ----

SysDC* SysCreateMemoryDC() {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!dc) return nullptr;
    g_liveObjects++;
    return reinterpret_cast<SysDC*>(dc);
}

void SysDeleteDC(SysDC* dc) {
    if (!dc) return;
    DeleteDC(reinterpret_cast<HDC>(dc));
    g_liveObjects--;
}

SysBitmap* SysSelectBitmap(SysDC* dc, SysBitmap* bitmap) {
    if (!dc || !bitmap) return nullptr;
    return reinterpret_cast<SysBitmap*>(SelectObject(reinterpret_cast<HDC>(dc), reinterpret_cast<HBITMAP>(bitmap)));
}

void SysCopyPixels(SysDC* target, SysDC* source, int32_t width, int32_t height) {
    BitBlt(reinterpret_cast<HDC>(target), 0, 0, width, height, reinterpret_cast<HDC>(source), 0, 0, SRCCOPY);
}

void SysPaintWindow(SysWindow* window, SysPalette* palette, SysDC* source, int32_t width, int32_t height) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    SelectPalette(dc, reinterpret_cast<HPALETTE>(palette), FALSE);
    RealizePalette(dc);
    BitBlt(dc, 0, 0, width, height, reinterpret_cast<HDC>(source), 0, 0, SRCCOPY);
    ReleaseDC(hwnd, dc);
}
