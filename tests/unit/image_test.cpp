// Tests of pictures, palettes and regions: rows land where the screen shows
// them, colours keep their meaning, and damaged entries are refused.
#include "modules/image.h"
#include "platform/memory.h"
#include "tests/support/module_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        blocks_ = SysLiveBlocks();
        objects_ = SysLiveGraphicsObjects();
    }
    void TearDown() override {
        EXPECT_EQ(SysLiveBlocks(), blocks_);
        EXPECT_EQ(SysLiveGraphicsObjects(), objects_);
    }
    // The picture's rows top first, without the padding.
    static std::vector<Bytes> TopDownRows(const DibImage& image) {
        std::vector<Bytes> rows;
        for (int y = image.height - 1; y >= 0; y--) {
            const uint8_t* row = image.bits + static_cast<size_t>(y) * DibStride(image.width);
            rows.emplace_back(row, row + image.width);
        }
        return rows;
    }
    ScopedTempDir dir_;
    int64_t blocks_ = 0;
    int64_t objects_ = 0;
};

TEST_F(ImageTest, RowsLandBottomUpForEveryWidth) {
    Bytes packed5 = {0x85, 1, 2, 3, 4, 5, 0x85, 6, 7, 8, 9, 10};
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({
        {"a.tw8", MakeImage(4, 2, {1, 2, 3, 4, 5, 6, 7, 8}, false)},
        {"b.tw8", MakeImage(5, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, false)},
        {"c.tw8", MakeImage(5, 2, packed5, true)},
        {"d.tw8", MakeImage(3, 3, {0x89, 1, 2, 3, 4, 5, 6, 7, 8, 9}, true)},
    })));
    struct Case {
        const char* entry;
        std::vector<Bytes> top;
    } cases[] = {
        {"a.tw8", {{5, 6, 7, 8}, {1, 2, 3, 4}}},
        {"b.tw8", {{6, 7, 8, 9, 10}, {1, 2, 3, 4, 5}}},
        {"c.tw8", {{6, 7, 8, 9, 10}, {1, 2, 3, 4, 5}}},
        {"d.tw8", {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}}},
    };
    for (const Case& c : cases) {
        DibImage image;
        ASSERT_EQ(LoadCelImage(&image, "m.Pkm", c.entry), 1) << c.entry;
        EXPECT_EQ(TopDownRows(image), c.top) << c.entry;
        ReleaseDibImage(&image);
        EXPECT_EQ(image.bitmap, nullptr);
    }
}

TEST_F(ImageTest, CompressionByteOtherThanOneMeansPlain) {
    for (uint8_t flag : {0, 2, 255}) {
        Bytes stored = MakeImage(4, 1, {9, 8, 7, 6}, false);
        stored[1] = flag;
        stored[0] = stored[2] = stored[3] = 0xAB;  // ignored bytes
        PutLe32(&stored, 4, 0xDEADBEEF);           // storedSize of a plain image means nothing
        ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"x.tw8", stored}})));
        DibImage image;
        ASSERT_EQ(LoadCelImage(&image, "m.Pkm", "x.tw8"), 1) << int(flag);
        EXPECT_EQ(Bytes(image.bits, image.bits + 4), (Bytes{9, 8, 7, 6}));
        ReleaseDibImage(&image);
    }
}

TEST_F(ImageTest, DamagedPicturesAreRefused) {
    Bytes plain = MakeImage(4, 2, {1, 2, 3, 4, 5, 6, 7, 8}, false);
    Bytes beyond = MakeImage(4, 2, {0x08, 1}, true);
    PutLe32(&beyond, 4, 5000);
    std::vector<TestEntry> entries = {
        {"header", Bytes(plain.begin(), plain.begin() + 1035)},
        {"pixels short", Bytes(plain.begin(), plain.end() - 1)},
        {"no pixels", MakeImage(0, 2, {}, false)},
        {"overrun", MakeImage(4, 2, {0x09, 1}, true)},
        {"operand past input", MakeImage(4, 2, {0x88, 1}, true)},
        {"stored size beyond", beyond},
        {"huge", MakeImage(0xFFFF, 0xFFFF, {0x7F, 1}, true)},
    };
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule(entries)));
    for (const TestEntry& entry : entries) {
        DibImage image;
        image.bitmap = reinterpret_cast<SysBitmap*>(1);  // must be cleared on failure
        EXPECT_EQ(LoadCelImage(&image, "m.Pkm", entry.name.c_str()), 0) << entry.name;
        EXPECT_EQ(image.bitmap, nullptr) << entry.name;
    }
    DibImage image;
    EXPECT_EQ(LoadCelImage(&image, "m.Pkm", "missing"), 0);
}

TEST_F(ImageTest, PaletteAndCanvasTakePaletteColours) {
    Bytes palette = MakeImage(3, 1, {0, 0, 0}, false);  // any picture size serves
    palette[12] = 0x10;
    palette[13] = 0x20;
    palette[14] = 0x30;
    palette[15] = 0xFF;
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"palette.tw8", palette}})));

    SysPalette* logical = LoadPalette("m.Pkm");
    ASSERT_NE(logical, nullptr);
    uint8_t entries[kColorTableSize];
    ASSERT_EQ(SysGetPaletteEntries(logical, entries), 1);
    EXPECT_EQ(Bytes(entries, entries + 4), (Bytes{0x30, 0x20, 0x10, kPaletteNoCollapse}));
    EXPECT_EQ(Bytes(entries + 4 * 200, entries + 4 * 200 + 3), (Bytes{200, 200, 200}));
    SysDeletePalette(logical);

    DibImage canvas;
    ASSERT_EQ(CreateCanvas(&canvas, "m.Pkm", 7, 3), 1);
    EXPECT_EQ(canvas.width, 7);
    EXPECT_EQ(canvas.height, 3);
    ReleaseDibImage(&canvas);
    for (auto [w, h] : {std::pair{0, 3}, {7, 0}, {-1, 5}, {70000, 1}}) EXPECT_EQ(CreateCanvas(&canvas, "m.Pkm", w, h), 0);
    EXPECT_EQ(CreateCanvas(&canvas, "none.Pkm", 7, 3), 0);
    EXPECT_EQ(LoadPalette("none.Pkm"), nullptr);

    ASSERT_TRUE(WriteFileBytes("short.Pkm", MakeModule({{"palette.tw8", Bytes(palette.begin(), palette.begin() + 1000)}})));
    EXPECT_EQ(LoadPalette("short.Pkm"), nullptr);
}

TEST_F(ImageTest, RegionDataMustHoldWhatItAnnounces) {
    Bytes two = MakeRegion({{0, 0, 4, 1}, {1, 1, 3, 2}});
    EXPECT_TRUE(RegionDataIsSound(two.data(), static_cast<uint32_t>(two.size())));
    Bytes trailing = two;
    trailing.push_back(0);
    EXPECT_TRUE(RegionDataIsSound(trailing.data(), static_cast<uint32_t>(trailing.size())));
    EXPECT_FALSE(RegionDataIsSound(two.data(), static_cast<uint32_t>(two.size() - 1)));
    EXPECT_FALSE(RegionDataIsSound(two.data(), 31));
    Bytes lying = two;
    PutLe32(&lying, 8, 0x10000001u);  // count * 16 wraps 32 bits
    EXPECT_FALSE(RegionDataIsSound(lying.data(), static_cast<uint32_t>(lying.size())));
    Bytes empty = MakeRegion({});
    EXPECT_TRUE(RegionDataIsSound(empty.data(), static_cast<uint32_t>(empty.size())));
}

}  // namespace
