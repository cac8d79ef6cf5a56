// Test support: module files and images made to order.
#include "tests/support/module_writer.h"

#include "modules/container.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

void PutLe32(Bytes* bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; i++) (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

Bytes MakeWave(uint32_t dataBytes) {
    Bytes out(44, 0);
    std::memcpy(&out[0], "RIFF", 4);
    PutLe32(&out, 4, 36 + dataBytes);
    std::memcpy(&out[8], "WAVEfmt ", 8);
    PutLe32(&out, 16, 16);
    out[20] = 1;                 // PCM
    out[22] = 1;                 // mono
    PutLe32(&out, 24, 8000);     // samples per second
    PutLe32(&out, 28, 8000);     // bytes per second
    out[32] = 1;                 // block size
    out[34] = 8;                 // bits per sample
    std::memcpy(&out[36], "data", 4);
    PutLe32(&out, 40, dataBytes);
    out.resize(44 + dataBytes, 0x80);
    return out;
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

Bytes MakeRegion(const std::vector<TestRect>& rects) {
    Bytes out(32 + rects.size() * 16, 0);
    PutLe32(&out, 0, 32);
    PutLe32(&out, 4, 1);
    PutLe32(&out, 8, static_cast<uint32_t>(rects.size()));
    PutLe32(&out, 12, static_cast<uint32_t>(rects.size() * 16));
    TestRect bounds = rects.empty() ? TestRect{0, 0, 0, 0} : rects[0];
    for (const TestRect& r : rects) {
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    int32_t values[4] = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    for (int i = 0; i < 4; i++) PutLe32(&out, 16 + 4 * i, static_cast<uint32_t>(values[i]));
    for (size_t r = 0; r < rects.size(); r++) {
        int32_t v[4] = {rects[r].left, rects[r].top, rects[r].right, rects[r].bottom};
        for (int i = 0; i < 4; i++) PutLe32(&out, 32 + r * 16 + 4 * i, static_cast<uint32_t>(v[i]));
    }
    return out;
}

void TestCharacter::Put(const std::string& name, const Bytes& data) {
    for (TestEntry& entry : entries) {
        if (entry.name == name) {
            entry.data = data;
            return;
        }
    }
    entries.push_back({name, data});
}

void TestCharacter::Remove(const std::string& name) {
    for (size_t i = 0; i < entries.size(); i++) {
        if (entries[i].name == name) {
            entries.erase(entries.begin() + static_cast<long>(i));
            return;
        }
    }
}

void TestCharacter::AddCels(const std::string& base, int count, uint16_t width, uint16_t height) {
    for (int i = 0; i < count; i++) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", i);
        Put(base + number + ".tw8", MakeImage(width, height, Bytes(static_cast<size_t>(width) * height, static_cast<uint8_t>(i)), false));
        Put(base + number + ".rgn", MakeRegion({{0, 0, width, height}}));
    }
}

void TestCharacter::AddSounds(const std::string& base, int count) {
    for (int i = 0; i < count; i++) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", i);
        Put(base + number + ".snd", Scramble(MakeWave(4)));
    }
}

std::string InfoText(const std::string& name, const std::string& startList) {
    return "0," + name + ",free text\r\nwith a break,\r\n64,48,20,30,2,\r\n" + startList + "0,0,\r\n0,1,2,3,\r\n" +
           "1,2,3,4,5,6,7,8,";
}

TestCharacter MakeTestCharacter() {
    TestCharacter c;
    Bytes palette = MakeImage(1, 1, {0}, false);
    palette[12] = 0x10;  // colour 0: blue 0x10, green 0x20, red 0x30, fourth byte 0xFF
    palette[13] = 0x20;
    palette[14] = 0x30;
    palette[15] = 0xFF;
    c.Put("palette.tw8", palette);
    c.PutText("info.txt", InfoText("Tester", "1,stand,100,"));
    c.PutText("stand", "st,2,2,2,1,beep,100,1,0,2,0,1,0,0,0,0,100,1,0,0,100,1,walk,100,");
    c.PutText("walk", "wk,3,2,2,0,0,3,0,2,2,0,4,0,50,1,4,0,50,2,4,0,50,2,stand,50,walk,50,");
    c.AddCels("st", 2);
    c.AddCels("wk", 3);
    c.AddSounds("beep", 1);
    return c;
}
