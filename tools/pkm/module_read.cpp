// Reading back .tw8 images, region data and WAV sound images, bounded by their own sizes.
#include "tools/pkm/module_read.h"

#include "modules/container.h"
#include "modules/le_reader.h"

#include <algorithm>
#include <cstring>

int DecodeTw8(const ByteVector& entry, IndexedPicture* picture, ColorTable* colors, std::string* error) {
    *picture = IndexedPicture{};
    if (entry.size() < kImageHeaderSize) {
        *error = "image shorter than its 1036-byte header";
        return 0;
    }
    LeReader header = LeBytes(entry.data(), entry.size());
    const uint32_t width = LeU16(&header, 8);
    const uint32_t height = LeU16(&header, 10);
    const size_t count = static_cast<size_t>(width) * height;
    // The pixel count is checked against the bytes that could make it before
    // a block of that size is asked for: a two-byte repeat run gives at most
    // 127 pixels.
    ByteVector bottomUp;
    if (entry[1] == 1) {
        uint32_t storedSize = LeU32(&header, 4);
        if (storedSize < kImageHeaderSize || storedSize > entry.size()) {
            *error = "packed image whose stored size lies outside the entry";
            return 0;
        }
        if (count > static_cast<size_t>(storedSize - kImageHeaderSize) * 64) {
            *error = "packed pixel data does not make width x height pixels";
            return 0;
        }
        bottomUp.resize(count);
        uint32_t produced = 0;
        if (!ExpandRle(bottomUp.data(), static_cast<uint32_t>(count), &entry[kImageHeaderSize],
                       storedSize - kImageHeaderSize, &produced) ||
            produced != count) {
            *error = "packed pixel data does not make width x height pixels";
            return 0;
        }
    } else {
        if (entry.size() - kImageHeaderSize < count) {
            *error = "pixel data shorter than width x height";
            return 0;
        }
        bottomUp.resize(count);
        if (count) std::memcpy(bottomUp.data(), &entry[kImageHeaderSize], count);
    }
    picture->width = width;
    picture->height = height;
    picture->pixels.resize(count);
    for (uint32_t y = 0; y < height; y++)
        std::memcpy(&picture->pixels[static_cast<size_t>(y) * width],
                    &bottomUp[static_cast<size_t>(height - 1 - y) * width], width);
    colors->assign(entry.begin() + 12, entry.begin() + 12 + kColorTableBytes);
    return 1;
}

int RegionMask(const ByteVector& region, uint32_t width, uint32_t height, ByteVector* shown, std::string* error) {
    shown->assign(static_cast<size_t>(width) * height, 0);
    if (region.size() < 32) {
        *error = "region data shorter than its 32-byte header";
        return 0;
    }
    LeReader data = LeBytes(region.data(), region.size());
    if (LeU32(&data, 0) != 32 || LeU32(&data, 4) != 1) {
        *error = "region data is not a list of rectangles";
        return 0;
    }
    uint64_t count = LeU32(&data, 8);
    if (32 + count * 16 != region.size()) {
        *error = "region rectangle count disagrees with its size";
        return 0;
    }
    for (uint64_t r = 32; r < region.size(); r += 16) {
        int64_t left = std::max<int64_t>(LeI32(&data, r), 0);
        int64_t top = std::max<int64_t>(LeI32(&data, r + 4), 0);
        int64_t right = std::min<int64_t>(LeI32(&data, r + 8), width);
        int64_t bottom = std::min<int64_t>(LeI32(&data, r + 12), height);
        for (int64_t y = top; y < bottom; y++)
            for (int64_t x = left; x < right; x++) (*shown)[static_cast<size_t>(y) * width + x] = 1;
    }
    return 1;
}
