// Test support: module files and images made to order.
#include "tests/support/module_writer.h"

#include "modules/container.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

void PutLe32(Bytes* bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; i++) (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

Bytes MakeModule(const std::vector<TestEntry>& entries) {
    Bytes out(kModuleHeaderSize + entries.size() * kDirectoryRecordSize, 0);
    out[0] = 0x15;
    out[1] = 0x0F;
    PutLe32(&out, 8, static_cast<uint32_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); i++) {
        size_t record = kModuleHeaderSize + i * kDirectoryRecordSize;
        PutLe32(&out, record, static_cast<uint32_t>(entries[i].data.size()));
        PutLe32(&out, record + 4, static_cast<uint32_t>(out.size()));
        std::memcpy(&out[record + 10], entries[i].name.data(), std::min<size_t>(entries[i].name.size(), 22));
        out.insert(out.end(), entries[i].data.begin(), entries[i].data.end());
    }
    return out;
}

Bytes Scramble(const Bytes& plain) {
    Bytes out(plain);
    for (uint8_t& b : out) b = Unscramble(b);
    return out;
}

Bytes ScrambleText(const std::string& text) { return Scramble(Bytes(text.begin(), text.end())); }

Bytes MakeImage(uint16_t width, uint16_t height, const Bytes& pixels, bool packed) {
    Bytes out(kImageHeaderSize, 0);
    out[1] = packed ? 1 : 0;
    PutLe32(&out, 4, static_cast<uint32_t>(kImageHeaderSize + pixels.size()));
    out[8] = static_cast<uint8_t>(width);
    out[9] = static_cast<uint8_t>(width >> 8);
    out[10] = static_cast<uint8_t>(height);
    out[11] = static_cast<uint8_t>(height >> 8);
    for (int i = 0; i < 256; i++) out[12 + 4 * i] = out[13 + 4 * i] = out[14 + 4 * i] = static_cast<uint8_t>(i);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
