// Whole-factor scaling: repeated pixels, multiplied regions and distances.
#include "modules/scale.h"

#include "modules/container.h"
#include "modules/le_reader.h"
#include "platform/memory.h"
#include "platform/window.h"

#include <cstring>

namespace {

void ReleaseCelArray(Cel* cels, int32_t count) {
    for (int32_t i = 0; i < count; i++) {
        ReleaseDibImage(&cels[i].image);
        SysFree(cels[i].regionData);
    }
    SysFree(cels);
}

void PutLe32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

// A new picture `factor` times the size of `source`, each pixel repeated in
// a factor x factor block, with the source's colour table. Returns 1, or 0
// with `target` zeroed.
int ScaleImage(DibImage* target, const DibImage& source, int32_t factor) {
    *target = DibImage{};
    uint64_t width = static_cast<uint64_t>(source.width) * static_cast<uint64_t>(factor);
    uint64_t height = static_cast<uint64_t>(source.height) * static_cast<uint64_t>(factor);
    if (width > 65535 || height > 65535 || width * height > kMaxImagePixels) return 0;
    uint8_t table[kColorTableSize];
    if (!SysGetDibColorTable(source.bitmap, table)) return 0;
    uint8_t* bits = nullptr;
    SysBitmap* bitmap = SysCreateDib(static_cast<int32_t>(width), static_cast<int32_t>(height), table, &bits);
    if (!bitmap) return 0;
    uint32_t sourceStride = DibStride(source.width);
    uint32_t stride = DibStride(static_cast<uint32_t>(width));
    for (uint32_t y = 0; y < source.height; y++) {
        const uint8_t* from = source.bits + static_cast<size_t>(y) * sourceStride;
        uint8_t* row = bits + static_cast<size_t>(y) * static_cast<uint32_t>(factor) * stride;
        uint8_t* at = row;
        for (uint32_t x = 0; x < source.width; x++)
            for (int32_t i = 0; i < factor; i++) *at++ = from[x];
        for (int32_t i = 1; i < factor; i++) std::memcpy(row + static_cast<size_t>(i) * stride, row, stride);
    }
    *target = DibImage{bitmap, bits, static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
    return 1;
}

// A copy of region data with its bounds and every announced rectangle
// multiplied; bytes after the rectangles are copied as they are. The data
// has passed RegionDataIsSound. Returns the copy (SysFree), or nullptr.
uint8_t* ScaleRegion(const uint8_t* data, uint32_t size, int32_t factor) {
    uint8_t* copy = static_cast<uint8_t*>(SysAlloc(size));
    if (!copy) return nullptr;
    std::memcpy(copy, data, size);
    LeReader region = LeBytes(data, size);
    // The bounds at offset 16, then the rectangles: four signed numbers each.
    uint64_t end = kRegionHeaderSize + static_cast<uint64_t>(LeU32(&region, 8)) * kRegionRectSize;
    for (uint64_t at = 16; at < end && !region.failed; at += 4)
        PutLe32(copy + at, static_cast<uint32_t>(ScaleDistance(LeI32(&region, at), factor)));
    return copy;
}

}  // namespace

int32_t ScaleForDpi(int32_t dpi) {
    if (dpi < 144) return 1;
    // 144 to 239 is 2, 240 to 335 is 3: one more for every 96 from 48 up.
    return (dpi - 48) / kStandardDpi + 1;
}

int32_t ScaleDistance(int32_t value, int32_t factor) {
    return HoldCoordinate(static_cast<int64_t>(value) * factor);
}

int ScaleAction(Action* action, int32_t factor) {
    if (factor <= 1) return 1;
    Cel* cels = static_cast<Cel*>(SysAlloc(sizeof(Cel) * static_cast<size_t>(action->celCount)));
    if (!cels) return 0;
    std::memset(cels, 0, sizeof(Cel) * static_cast<size_t>(action->celCount));
    for (int32_t i = 0; i < action->celCount; i++) {
        const Cel& source = action->cels[i];
        cels[i].regionSize = source.regionSize;
        cels[i].regionData = ScaleRegion(source.regionData, source.regionSize, factor);
        if (!cels[i].regionData || !ScaleImage(&cels[i].image, source.image, factor)) {
            ReleaseCelArray(cels, i + 1);
            return 0;
        }
    }
    ReleaseCelArray(action->cels, action->celCount);
    action->cels = cels;
    action->anchorX = ScaleDistance(action->anchorX, factor);
    action->anchorY = ScaleDistance(action->anchorY, factor);
    for (int32_t i = 0; i < action->stepCount; i++) {
        action->steps[i].dx = ScaleDistance(action->steps[i].dx, factor);
        action->steps[i].dy = ScaleDistance(action->steps[i].dy, factor);
    }
    return 1;
}

Action* LoadScaledAction(const char* modulePath, const char* actionName, int32_t factor, int keepSounds) {
    Action* action = LoadAction(modulePath, actionName, keepSounds);
    if (action && !ScaleAction(action, factor)) {
        ReleaseAction(action);
        return nullptr;
    }
    return action;
}
