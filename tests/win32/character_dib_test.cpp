// The shipped default character loaded through the Win32 graphics service:
// every picture read back from its DIB section through GDI matches the
// module's decoded picture, pixels and colours, and the palette holds the
// module's colours.
#include "mascot/running_character.h"
#include "modules/character.h"
#include "modules/container.h"
#include "modules/image.h"
#include "mascot/random.h"
#include "mascot/state.h"
#include "platform/memory.h"
#include "platform/win32/handles.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string kModule = ZIPPIT_MODULES_DIR "/Zippy.Pkm";

bool ModuleThere() { return GetFileAttributesA(kModule.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The bitmap's pixels as GDI reads them back: 8 bits, bottom row first,
// rows padded to 4 bytes; and its colour table.
std::vector<uint8_t> ReadBack(SysBitmap* bitmap, int width, int height, RGBQUAD colors[256]) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    std::vector<uint8_t> pixels(DibStride(width) * height);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, ToHbitmap(bitmap), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                         DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(rows, height);
    std::memcpy(colors, info.colors, sizeof info.colors);
    return pixels;
}

TEST(ShippedCharacter, PicturesInDibSectionsMatchTheModule) {
    ASSERT_TRUE(ModuleThere()) << kModule << " is missing: the native build makes it (scripts/run or scripts/test)";
    uint32_t count = 0;
    DirectoryRecord* records = ReadModuleDirectory(kModule.c_str(), &count);
    ASSERT_NE(records, nullptr);
    int pictures = 0;
    for (uint32_t r = 0; r < count; r++) {
        std::string name = records[r].name;
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".tw8") != 0 || name == "palette.tw8") continue;
        SCOPED_TRACE(name);
        uint32_t size = 0;
        uint8_t* entry = ReadImageEntry(kModule.c_str(), name.c_str(), &size);
        ASSERT_NE(entry, nullptr);
        int width = entry[8] | entry[9] << 8;
        int height = entry[10] | entry[11] << 8;
        DibImage image = {};
        ASSERT_EQ(LoadCelImage(&image, kModule.c_str(), name.c_str()), 1);
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        RGBQUAD colors[256];
        std::vector<uint8_t> pixels = ReadBack(image.bitmap, width, height, colors);
        EXPECT_EQ(std::memcmp(colors, entry + 12, 1024), 0) << "colour table";
        const uint8_t* stored = entry + kImageHeaderSize;
        int wrong = 0;
        for (int y = 0; y < height; y++)
            wrong += std::memcmp(&pixels[static_cast<size_t>(y) * DibStride(width)], stored + y * width, width) != 0;
        EXPECT_EQ(wrong, 0) << "rows that differ";
        ReleaseDibImage(&image);
        SysFree(entry);
        pictures++;
    }
    SysFree(records);
    EXPECT_GT(pictures, 30);
}

TEST(ShippedCharacter, LoadsWithItsPaletteAndCanvas) {
    ASSERT_TRUE(ModuleThere()) << kModule << " is missing: the native build makes it (scripts/run or scripts/test)";
    int64_t blocks = SysLiveBlocks();
    int64_t objects = SysLiveGraphicsObjects();
    UserSettings.SndUse = 1;
    SeedRandom(1);
    Character character = {};
    ASSERT_EQ(LoadStartingCharacter(&character, kModule.c_str()), 1);
    EXPECT_STREQ(character.name, "Zippy");
    EXPECT_EQ(character.canvasWidth, 72);
    EXPECT_EQ(character.canvasHeight, 80);

    uint8_t table[kColorTableSize];
    ASSERT_EQ(ReadColorTable(kModule.c_str(), table), 1);
    PALETTEENTRY entries[256];
    ASSERT_EQ(GetPaletteEntries(ToHpalette(character.palette), 0, 256, entries), 256u);
    int wrong = 0;
    for (int i = 0; i < 256; i++)
        wrong += entries[i].peRed != table[4 * i + 2] || entries[i].peGreen != table[4 * i + 1] ||
                 entries[i].peBlue != table[4 * i] || entries[i].peFlags != PC_NOCOLLAPSE;
    EXPECT_EQ(wrong, 0) << "palette entries that differ";

    RGBQUAD colors[256];
    std::vector<uint8_t> canvas = ReadBack(character.canvas.bitmap, 72, 80, colors);
    EXPECT_EQ(std::memcmp(colors, table, 1024), 0) << "the canvas has the palette's colours";
    EXPECT_EQ(std::vector<uint8_t>(canvas.size(), 0), canvas) << "a new canvas is all colour 0";

    ReleaseCharacter(&character);
    EXPECT_EQ(SysLiveBlocks(), blocks);
    EXPECT_EQ(SysLiveGraphicsObjects(), objects);
}

}  // namespace
