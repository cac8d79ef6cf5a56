// Writing character modules: container, scrambling, .tw8 images, regions.
#include "tools/pkm/module_write.h"

#include "modules/container.h"

#include <algorithm>
#include <cstring>

namespace {

void PutLe16(ByteVector* bytes, size_t at, uint32_t value) {
    (*bytes)[at] = static_cast<uint8_t>(value);
    (*bytes)[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(ByteVector* bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; i++) (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void AppendLe32(ByteVector* bytes, uint32_t value) {
    for (int i = 0; i < 4; i++) bytes->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// One run of shown pixels in a row: [left, right).
struct Span {
    uint32_t left;
    uint32_t right;
    bool operator==(const Span& other) const { return left == other.left && right == other.right; }
};

std::vector<Span> RowSpans(const ByteVector& shown, uint32_t width, uint32_t y) {
    std::vector<Span> spans;
    const uint8_t* row = shown.data() + static_cast<size_t>(y) * width;
    uint32_t x = 0;
    while (x < width) {
        while (x < width && !row[x]) x++;
        if (x == width) break;
        uint32_t left = x;
        while (x < width && row[x]) x++;
        spans.push_back({left, x});
    }
    return spans;
}

}  // namespace

int EntryNameFits(const std::string& name) {
    return !name.empty() && name.size() < kEntryNameField && name.find('\0') == std::string::npos;
}

ByteVector LayOutModule(const std::vector<ModuleEntry>& entries) {
    ByteVector out(kModuleHeaderSize + entries.size() * kDirectoryRecordSize, 0);
    PutLe16(&out, 0, kModuleMagic);
    PutLe32(&out, 8, static_cast<uint32_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); i++) {
        size_t record = kModuleHeaderSize + i * kDirectoryRecordSize;
        PutLe32(&out, record, static_cast<uint32_t>(entries[i].data.size()));
        PutLe32(&out, record + 4, static_cast<uint32_t>(out.size()));
        std::memcpy(&out[record + 10], entries[i].name.data(), std::min<size_t>(entries[i].name.size(), 21));
        out.insert(out.end(), entries[i].data.begin(), entries[i].data.end());
    }
    return out;
}

ByteVector ScrambleBytes(const ByteVector& plain) {
    ByteVector out(plain);
    for (uint8_t& b : out) b = Unscramble(b);
    return out;
}

ByteVector PackRle(const uint8_t* data, size_t length) {
    ByteVector out;
    size_t i = 0;
    size_t literalStart = 0;
    auto flushLiteral = [&](size_t end) {
        while (literalStart < end) {
            size_t run = std::min<size_t>(end - literalStart, 127);
            out.push_back(static_cast<uint8_t>(0x80 | run));
            out.insert(out.end(), data + literalStart, data + literalStart + run);
            literalStart += run;
        }
    };
    while (i < length) {
        size_t same = 1;
        while (i + same < length && same < 127 && data[i + same] == data[i]) same++;
        if (same >= 3) {
            flushLiteral(i);
            out.push_back(static_cast<uint8_t>(same));
            out.push_back(data[i]);
            i += same;
            literalStart = i;
        } else {
            i += same;
        }
    }
    flushLiteral(length);
    return out;
}

ByteVector EncodeTw8(const IndexedPicture& picture, const ColorTable& colors) {
    const uint32_t width = picture.width;
    const uint32_t height = picture.height;
    ByteVector bottomUp(static_cast<size_t>(width) * height);
    for (uint32_t y = 0; y < height; y++)
        std::memcpy(&bottomUp[static_cast<size_t>(height - 1 - y) * width], &picture.pixels[static_cast<size_t>(y) * width],
                    width);
    ByteVector packed = PackRle(bottomUp.data(), bottomUp.size());
    bool usePacked = packed.size() < bottomUp.size();
    const ByteVector& pixels = usePacked ? packed : bottomUp;

    ByteVector out(kImageHeaderSize, 0);
    out[1] = usePacked ? 1 : 0;
    PutLe32(&out, 4, static_cast<uint32_t>(kImageHeaderSize + pixels.size()));
    PutLe16(&out, 8, width);
    PutLe16(&out, 10, height);
    std::memcpy(&out[12], colors.data(), kColorTableBytes);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

ByteVector EncodePaletteEntry(const ColorTable& colors) {
    IndexedPicture swatch;
    swatch.width = 16;
    swatch.height = 16;
    swatch.pixels.resize(256);
    for (int i = 0; i < 256; i++) swatch.pixels[i] = static_cast<uint8_t>(i);
    ByteVector out = EncodeTw8(swatch, colors);
    return out;
}

ByteVector MakeRegionData(uint32_t width, uint32_t height, const ByteVector& shown) {
    struct Rect {
        uint32_t left, top, right, bottom;
    };
    std::vector<Rect> rects;
    std::vector<Span> band;
    uint32_t bandTop = 0;
    auto closeBand = [&](uint32_t bottom) {
        for (const Span& span : band) rects.push_back({span.left, bandTop, span.right, bottom});
        band.clear();
    };
    for (uint32_t y = 0; y < height; y++) {
        std::vector<Span> spans = RowSpans(shown, width, y);
        if (spans == band && !band.empty()) continue;
        closeBand(y);
        band = spans;
        bandTop = y;
    }
    closeBand(height);

    ByteVector out;
    AppendLe32(&out, 32);
    AppendLe32(&out, 1);
    AppendLe32(&out, static_cast<uint32_t>(rects.size()));
    AppendLe32(&out, static_cast<uint32_t>(rects.size() * 16));
    Rect bounds{0, 0, 0, 0};
    if (!rects.empty()) {
        bounds = rects.front();
        for (const Rect& r : rects) {
            bounds.left = std::min(bounds.left, r.left);
            bounds.top = std::min(bounds.top, r.top);
            bounds.right = std::max(bounds.right, r.right);
            bounds.bottom = std::max(bounds.bottom, r.bottom);
        }
    }
    for (uint32_t v : {bounds.left, bounds.top, bounds.right, bounds.bottom}) AppendLe32(&out, v);
    for (const Rect& r : rects)
        for (uint32_t v : {r.left, r.top, r.right, r.bottom}) AppendLe32(&out, v);
    return out;
}
