// Tests of the sound image check: a playable image passes, and every size
// field that would send the player past the entry is refused.
#include "modules/wave.h"
#include "tests/support/module_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

void Put16(Bytes* b, size_t at, uint16_t v) {
    (*b)[at] = static_cast<uint8_t>(v);
    (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
}

// MakeWave(4) with a LIST chunk of `listBytes` before the format.
Bytes WithList(uint32_t listBytes) {
    Bytes w = MakeWave(4);
    Bytes list = {'L', 'I', 'S', 'T', 0, 0, 0, 0};
    PutLe32(&list, 4, listBytes);
    list.resize(8 + listBytes + (listBytes & 1), 'x');
    w.insert(w.begin() + 12, list.begin(), list.end());
    PutLe32(&w, 4, static_cast<uint32_t>(w.size() - 8));
    return w;
}

// A non-PCM format of 18 + `extra` bytes announcing `announced` extra bytes.
Bytes WithFormatEx(uint32_t extra, uint16_t announced) {
    Bytes w = MakeWave(4);
    Put16(&w, 20, 2);
    PutLe32(&w, 16, 18 + extra);
    Bytes tail(2 + extra, 0);
    tail[0] = static_cast<uint8_t>(announced);
    tail[1] = static_cast<uint8_t>(announced >> 8);
    w.insert(w.begin() + 36, tail.begin(), tail.end());
    PutLe32(&w, 4, static_cast<uint32_t>(w.size() - 8));
    return w;
}

TEST(WaveTest, PlayableImagesPass) {
    Bytes riffTooLong = MakeWave(4);
    PutLe32(&riffTooLong, 4, 0xFFFFFFFFu);  // the chunks are read, not the RIFF size
    Bytes trailing = MakeWave(4);
    trailing.resize(trailing.size() + 9, 0);
    Bytes oddList = WithList(3);
    Bytes empty = MakeWave(0);
    Bytes extension = WithFormatEx(22, 22);
    const Bytes* cases[] = {&riffTooLong, &trailing, &oddList, &empty, &extension};
    for (const Bytes* w : cases) {
        const char* reason = nullptr;
        EXPECT_EQ(WaveImageIsSound(w->data(), static_cast<uint32_t>(w->size()), &reason), 1) << reason;
    }
}

TEST(WaveTest, ImagesThatSendThePlayerPastTheEntryAreRefused) {
    struct Case {
        const char* what;
        Bytes wave;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, void (*change)(Bytes*)) {
        Bytes w = MakeWave(4);
        change(&w);
        cases.push_back({what, w});
    };
    add("shorter than the header", [](Bytes* w) { w->resize(11); });
    add("not RIFF", [](Bytes* w) { (*w)[0] = 'X'; });
    add("not WAVE", [](Bytes* w) { (*w)[11] = 'X'; });
    add("format claiming 4 MiB", [](Bytes* w) { PutLe32(w, 16, 4u << 20); });
    add("format of 2^32 - 1 bytes", [](Bytes* w) { PutLe32(w, 16, 0xFFFFFFFFu); });
    add("format shorter than PCM", [](Bytes* w) { PutLe32(w, 16, 14); });
    add("no channels", [](Bytes* w) { Put16(w, 22, 0); });
    add("no sample rate", [](Bytes* w) { PutLe32(w, 24, 0); });
    add("no block size", [](Bytes* w) { Put16(w, 32, 0); });
    add("data one byte past the entry", [](Bytes* w) { PutLe32(w, 40, 5); });
    add("data of 2^32 - 1 bytes", [](Bytes* w) { PutLe32(w, 40, 0xFFFFFFFFu); });
    add("data header cut", [](Bytes* w) { w->resize(40); });
    add("no data chunk", [](Bytes* w) { std::memcpy(w->data() + 36, "junk", 4); });
    add("no format chunk", [](Bytes* w) { std::memcpy(w->data() + 12, "junk", 4); });
    add("data before the format", [](Bytes* w) {
        Bytes data(w->begin() + 36, w->end());
        w->resize(36);
        w->insert(w->begin() + 12, data.begin(), data.end());
    });
    add("RIFF size ending inside the format", [](Bytes* w) { PutLe32(w, 4, 20); });
    cases.push_back({"list chunk past the entry", WithList(3)});
    PutLe32(&cases.back().wave, 16, 400);
    cases.push_back({"extra format bytes past the chunk", WithFormatEx(2, 3)});
    cases.push_back({"non-PCM format without its size field", WithFormatEx(0, 0)});
    PutLe32(&cases.back().wave, 16, 16);
    for (const Case& c : cases) {
        const char* reason = nullptr;
        EXPECT_EQ(WaveImageIsSound(c.wave.data(), static_cast<uint32_t>(c.wave.size()), &reason), 0) << c.what;
        EXPECT_NE(reason, nullptr) << c.what;
    }
    EXPECT_EQ(WaveImageIsSound(nullptr, 0), 0);
}

}  // namespace
