// Images, palettes and regions: from .tw8 entries to platform bitmaps.
#include "modules/image.h"

#include "modules/container.h"
#include "modules/le_reader.h"
#include "modules/load_report.h"
#include "platform/memory.h"

#include <cstring>

namespace {

constexpr char kPaletteEntry[] = "palette.tw8";

// Places `width`-byte rows, bottom row first, into bitmap storage whose rows
// are padded to a multiple of 4. With a width that is a multiple of 4 the
// layouts agree and one block copy does.
void PlaceRows(uint8_t* bits, const uint8_t* rows, uint32_t width, uint32_t height) {
    uint32_t stride = DibStride(width);
    if (stride == width) {
        std::memcpy(bits, rows, static_cast<size_t>(width) * height);
        return;
    }
    for (uint32_t y = 0; y < height; y++) std::memcpy(bits + static_cast<size_t>(y) * stride, rows + static_cast<size_t>(y) * width, width);
}

// Expands packed pixels into the bitmap. Widths that are a multiple of 4
// expand straight into the storage; others expand into a scratch block first
// and are then placed row by row.
int ExpandInto(uint8_t* bits, uint32_t width, uint32_t height, const uint8_t* packed, uint32_t length) {
    uint32_t pixels = width * height;
    if (DibStride(width) == width) return ExpandRle(bits, pixels, packed, length);
    uint8_t* scratch = static_cast<uint8_t*>(SysAlloc(pixels));
    if (!scratch) return 0;
    std::memset(scratch, 0, pixels);
    int ok = ExpandRle(scratch, pixels, packed, length);
    if (ok) PlaceRows(bits, scratch, width, height);
    SysFree(scratch);
    return ok;
}

}  // namespace

int ReadColorTable(const char* modulePath, uint8_t table[kColorTableSize], ContainerError* why) {
    uint32_t size = 0;
    uint8_t* entry = ReadEntry(modulePath, kPaletteEntry, &size, why);
    if (!entry) return 0;
    int ok = size >= 12 + kColorTableSize;
    if (ok) std::memcpy(table, entry + 12, kColorTableSize);
    SysFree(entry);
    return ok;
}

SysPalette* LoadPalette(const char* modulePath, ContainerError* why) {
    uint8_t table[kColorTableSize];
    if (!ReadColorTable(modulePath, table, why)) return nullptr;
    return SysCreatePalette(table);
}

int CreateCanvas(DibImage* target, const char* modulePath, int32_t width, int32_t height) {
    *target = DibImage{};
    if (width < 1 || height < 1 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxImagePixels ||
        width > 65535 || height > 65535)
        return 0;
    uint8_t table[kColorTableSize];
    if (!ReadColorTable(modulePath, table)) return 0;
    uint8_t* bits = nullptr;
    SysBitmap* bitmap = SysCreateDib(width, height, table, &bits);
    if (!bitmap) return 0;
    *target = DibImage{bitmap, bits, static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
    return 1;
}

namespace {

// LoadCelImage from the entry's bytes, which it takes and frees; *problem
// says why it fails.
int CelImageFromEntry(DibImage* target, uint8_t* entry, uint32_t size, const char** problem) {
    *target = DibImage{};
    auto fail = [&](const char* why) {
        SysFree(entry);
        *problem = why;
        return 0;
    };
    if (size < kImageHeaderSize) return fail("is shorter than its header and colour table");
    LeReader header = LeBytes(entry, size);
    uint32_t width = LeU16(&header, 8);
    uint32_t height = LeU16(&header, 10);
    uint64_t pixels = static_cast<uint64_t>(width) * height;
    if (pixels == 0) return fail("has no pixels (its width or height is 0)");
    if (pixels > kMaxImagePixels) return fail("has more than 4096 x 4096 pixels");
    bool packed = entry[1] == 1;
    uint32_t storedSize = LeU32(&header, 4);
    if (packed && (storedSize < kImageHeaderSize || storedSize > size))
        return fail("is packed, with a stored size outside the entry");
    if (!packed && size - kImageHeaderSize < pixels) return fail("holds fewer pixels than its width and height say");

    uint8_t* bits = nullptr;
    SysBitmap* bitmap = SysCreateDib(static_cast<int32_t>(width), static_cast<int32_t>(height), entry + 12, &bits);
    if (!bitmap) return fail("could not be made a bitmap");
    int ok = 1;
    if (packed)
        ok = ExpandInto(bits, width, height, entry + kImageHeaderSize, storedSize - kImageHeaderSize);
    else
        PlaceRows(bits, entry + kImageHeaderSize, width, height);
    SysFree(entry);
    if (!ok) {
        SysDeleteBitmap(bitmap);
        *problem = "has packed pixels that do not end at its stored size or overrun the picture";
        return 0;
    }
    *target = DibImage{bitmap, bits, static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
    return 1;
}

}  // namespace

int LoadCelImage(DibImage* target, const char* modulePath, const char* entryName) {
    ModuleFile* module = OpenModuleFile(modulePath);
    int ok = module && LoadModuleCelImage(target, module, entryName);
    CloseModuleFile(module);
    if (!ok) *target = DibImage{};
    return ok;
}

int LoadModuleCelImage(DibImage* target, const ModuleFile* module, const char* entryName, const char** problem) {
    const char* ignored = nullptr;
    if (!problem) problem = &ignored;
    uint32_t size = 0;
    ContainerError why = ContainerError::kNone;
    uint8_t* entry = ReadModuleEntry(module, entryName, &size, &why);
    if (!entry) {
        *target = DibImage{};
        *problem = EntryProblem(why);
        return 0;
    }
    return CelImageFromEntry(target, entry, size, problem);
}

void ReleaseDibImage(DibImage* image) {
    SysDeleteBitmap(image->bitmap);
    *image = DibImage{};
}

bool RegionDataIsSound(const uint8_t* data, uint32_t size) {
    if (size < kRegionHeaderSize) return false;
    LeReader region = LeBytes(data, size);
    uint64_t rectBytes = static_cast<uint64_t>(LeU32(&region, 8)) * kRegionRectSize;
    return !region.failed && rectBytes <= size - kRegionHeaderSize;
}
