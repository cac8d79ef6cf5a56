// Tests of the module container: entry lookup, scrambling, image unpacking,
// the loose-file fallback, and damaged files that must yield nothing.
#include "modules/container.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "tests/support/platform_support.h"
#include "tests/support/module_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

namespace {

// Reads an entry and hands back its bytes; `found` says whether anything came back.
Bytes Read(const char* module, const char* entry, bool* found, uint8_t* (*reader)(const char*, const char*, uint32_t*,
                                                                                  ContainerError*) = ReadEntry) {
    uint32_t size = 12345;
    uint8_t* data = reader(module, entry, &size, nullptr);
    *found = data != nullptr;
    Bytes out;
    if (data) out.assign(data, data + size);
    SysFree(data);
    return out;
}

Bytes Text(const char* text) { return Bytes(text, text + std::char_traits<char>::length(text)); }

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        blocksBefore_ = SysLiveBlocks();
        filesBefore_ = SysLiveFiles();
    }
    void TearDown() override {
        InjectAllocFailureAfter(-1);
        EXPECT_EQ(SysLiveBlocks(), blocksBefore_) << "a block was leaked";
        EXPECT_EQ(SysLiveFiles(), filesBefore_) << "a file was left open";
    }
    ScopedTempDir dir_;
    int64_t blocksBefore_ = 0;
    int64_t filesBefore_ = 0;
};

TEST_F(ContainerTest, FindsEntriesByExactNameFirstRecordWinning) {
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"walk00.tw8", Text("first")},
                                                    {"info.txt", Text("info")},
                                                    {"walk00.tw8", Text("second")},
                                                    {"empty", Bytes()}})));
    bool found = false;
    EXPECT_EQ(Read("m.Pkm", "walk00.tw8", &found), Text("first"));
    EXPECT_TRUE(found);
    EXPECT_EQ(Read("m.Pkm", "info.txt", &found), Text("info"));
    EXPECT_TRUE(found);
    EXPECT_EQ(Read("m.Pkm", "empty", &found), Bytes());
    EXPECT_TRUE(found);

    for (const char* missing : {"Walk00.tw8", "walk00.tw", "walk00.tw8 ", "", "nothing"}) {
        Read("m.Pkm", missing, &found);
        EXPECT_FALSE(found) << missing;
    }
    uint32_t size = 0;
    EXPECT_EQ(ReadEntry("m.Pkm", nullptr, &size), nullptr);
}

TEST_F(ContainerTest, EntryDataMayLieAnywhereInTheFile) {
    Bytes module = MakeModule({{"a", Text("AAAA")}, {"b", Text("BB")}});
    // Swap the two records' offsets and sizes so directory order and data order differ.
    Bytes swapped = module;
    std::copy(module.begin() + 16, module.begin() + 24, swapped.begin() + 48);
    std::copy(module.begin() + 48, module.begin() + 56, swapped.begin() + 16);
    ASSERT_TRUE(WriteFileBytes("m.Pkm", swapped));
    bool found = false;
    EXPECT_EQ(Read("m.Pkm", "a", &found), Text("BB"));
    EXPECT_EQ(Read("m.Pkm", "b", &found), Text("AAAA"));
}

TEST_F(ContainerTest, ScrambledEntriesComeBackUnscrambled) {
    EXPECT_EQ(ScrambleText("abc"), (Bytes{0xE9, 0xD9, 0xC9}));
    for (int b = 0; b < 256; b++) EXPECT_EQ(Unscramble(Unscramble(static_cast<uint8_t>(b))), b);

    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"info.txt", Bytes{0xFC, 0x3D}}, {"abc", ScrambleText("abc")}})));
    bool found = false;
    EXPECT_EQ(Read("m.Pkm", "info.txt", &found, ReadScrambledEntry), Text("0,"));
    EXPECT_EQ(Read("m.Pkm", "abc", &found, ReadScrambledEntry), Text("abc"));
    EXPECT_EQ(Read("m.Pkm", "abc", &found), (Bytes{0xE9, 0xD9, 0xC9}));
}

TEST_F(ContainerTest, ExpandRleRunsAndTheirLimits) {
    struct Case {
        Bytes in;
        uint32_t capacity;
        int ok;
        Bytes out;
    } cases[] = {
        {{0x03, 0x41, 0x82, 0x42, 0x43}, 5, 1, {0x41, 0x41, 0x41, 0x42, 0x43}},
        {{0x85, 0x41}, 5, 0, {}},                    // literal run of five with one byte left
        {{0x03}, 5, 0, {}},                          // repeat run without its value
        {{0x00, 0x41, 0x80}, 5, 1, {}},              // empty runs consume their bytes
        {{}, 0, 1, {}},                              // nothing to do
        {{0x03, 0x41, 0x82, 0x42, 0x43}, 4, 0, {}},  // output would pass the capacity
        {{0x04, 0x41}, 3, 0, {}},                    // a repeat run past the capacity
        {{0x7F, 0x07}, 127, 1, Bytes(127, 0x07)},
    };
    for (const Case& c : cases) {
        Bytes out(c.capacity + 8, 0xEE);  // guard bytes after the capacity must stay untouched
        uint32_t produced = 0;
        int ok = ExpandRle(out.data(), c.capacity, c.in.data(), static_cast<uint32_t>(c.in.size()), &produced);
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(Bytes(out.begin(), out.begin() + produced), c.out);
        }
        for (size_t i = c.capacity; i < out.size(); i++) EXPECT_EQ(out[i], 0xEE) << "wrote past the capacity";
    }
}

// Long streams take the chunked path, which copies whole 16-byte chunks:
// every run length from 0 to 127 of both kinds, the output compared with a
// byte-at-a-time decode, with exact and short capacities and data that ends
// early (what lies past the output must be as it was or 0, never stray bytes).
TEST_F(ContainerTest, ExpandRleLongStreamsMatchAByteAtATimeDecode) {
    Bytes in;
    Bytes expected;
    uint32_t boundary = 0;  // where the runs of lengths 0 to 39 end
    for (uint8_t run = 0; run < 128; run++) {
        if (run == 40) boundary = static_cast<uint32_t>(in.size());
        in.push_back(run);  // repeat
        in.push_back(static_cast<uint8_t>(run + 1));
        expected.insert(expected.end(), run, static_cast<uint8_t>(run + 1));
        in.push_back(static_cast<uint8_t>(0x80 | run));  // literal
        for (uint8_t k = 0; k < run; k++) {
            in.push_back(static_cast<uint8_t>(200 - k));
            expected.push_back(static_cast<uint8_t>(200 - k));
        }
    }
    const uint32_t size = static_cast<uint32_t>(expected.size());
    struct Case {
        uint32_t inLength;
        uint32_t capacity;
        int ok;
    } cases[] = {
        {static_cast<uint32_t>(in.size()), size, 1},       // exact
        {static_cast<uint32_t>(in.size()), size + 300, 1},  // room to spare
        {static_cast<uint32_t>(in.size()), size - 1, 0},    // one byte short
        {static_cast<uint32_t>(in.size()) / 2, size, 0},    // cut inside a run
        {boundary, size, 1},                                // ends early on a run boundary
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "in " << c.inLength << ", capacity " << c.capacity);
        Bytes out(c.capacity + 16, 0xEE);
        uint32_t produced = 0;
        int ok = ExpandRle(out.data(), c.capacity, in.data(), c.inLength, &produced);
        EXPECT_EQ(ok, c.ok);
        ASSERT_LE(produced, c.capacity);
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + produced, expected.begin()));
        for (size_t i = produced; i < c.capacity; i++)
            ASSERT_TRUE(out[i] == 0xEE || out[i] == 0) << "stray byte " << int(out[i]) << " at " << i;
        for (size_t i = c.capacity; i < out.size(); i++) ASSERT_EQ(out[i], 0xEE) << "wrote past the capacity";
    }
}

// The chunked path's last run is an empty literal and only empty runs follow:
// the chunk it copied lies wholly past the output and must not stay there.
TEST_F(ContainerTest, ExpandRleLeavesNoChunkPastAnEmptyLastRun) {
    Bytes in;
    for (int r = 0; r < 2; r++) {
        in.push_back(0xFF);
        for (int k = 0; k < 127; k++) in.push_back(static_cast<uint8_t>(k + 1));
    }
    in.push_back(0x80);
    in.insert(in.end(), 128, 0x80);
    Bytes out(400, 0xEE);
    uint32_t produced = 0;
    ASSERT_EQ(ExpandRle(out.data(), 400, in.data(), static_cast<uint32_t>(in.size()), &produced), 1);
    EXPECT_EQ(produced, 254u);
    for (size_t i = produced; i < out.size(); i++) ASSERT_TRUE(out[i] == 0xEE || out[i] == 0) << "stray byte at " << i;
}

TEST_F(ContainerTest, PackedImagesUnpackPlainOnesStayAsStored) {
    Bytes pixels = {1, 1, 1, 1, 2, 3, 4, 5};  // a 4 x 2 picture
    Bytes packed = MakeImage(4, 2, {0x04, 0x01, 0x84, 2, 3, 4, 5}, true);
    Bytes plain = MakeImage(4, 2, pixels, false);
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"p.tw8", packed}, {"q.tw8", plain}})));

    bool found = false;
    Bytes image = Read("m.Pkm", "p.tw8", &found, ReadImageEntry);
    ASSERT_TRUE(found);
    ASSERT_EQ(image.size(), kImageHeaderSize + 8);
    EXPECT_EQ(image[1], 0);
    EXPECT_EQ(Bytes(image.begin() + 12, image.begin() + kImageHeaderSize),
              Bytes(packed.begin() + 12, packed.begin() + kImageHeaderSize));
    EXPECT_EQ(Bytes(image.begin() + kImageHeaderSize, image.end()), pixels);
    EXPECT_EQ(Read("m.Pkm", "q.tw8", &found, ReadImageEntry), plain);
    EXPECT_EQ(Read("m.Pkm", "p.tw8", &found), packed) << "ReadEntry gives the stored bytes";
}

TEST_F(ContainerTest, MalformedPackedImagesYieldNothing) {
    Bytes stored = MakeImage(4, 2, {0x04, 0x01, 0x84, 2, 3, 4, 5}, true);
    Bytes beyond = stored;
    PutLe32(&beyond, 4, static_cast<uint32_t>(stored.size() + 1));  // storedSize past the entry
    Bytes tiny = stored;
    PutLe32(&tiny, 4, 100);  // storedSize inside the header
    Bytes huge = MakeImage(0xFFFF, 0xFFFF, {0x7F, 0x00}, true);  // 4 GiB of picture
    std::vector<TestEntry> entries = {
        {"overrun", MakeImage(4, 2, {0x04, 0x01, 0x85, 2, 3, 4, 5}, true)},
        {"long", MakeImage(4, 2, {0x09, 0x01}, true)},
        {"beyond", beyond},
        {"tiny", tiny},
        {"huge", huge},
        {"header", Bytes(stored.begin(), stored.begin() + 600)},
    };
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule(entries)));
    for (const TestEntry& entry : entries) {
        bool found = true;
        Read("m.Pkm", entry.name.c_str(), &found, ReadImageEntry);
        EXPECT_FALSE(found) << entry.name;
    }
}

TEST_F(ContainerTest, PackedDataEndingEarlyLeavesTheRestAtColourZero) {
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"s", MakeImage(4, 2, {0x03, 0x05}, true)}})));
    bool found = false;
    Bytes image = Read("m.Pkm", "s", &found, ReadImageEntry);
    ASSERT_TRUE(found);
    EXPECT_EQ(Bytes(image.begin() + kImageHeaderSize, image.end()), (Bytes{5, 5, 5, 0, 0, 0, 0, 0}));
}

TEST_F(ContainerTest, LooseFilesServeOnlyWhenTheModuleFileIsMissing) {
    ASSERT_TRUE(WriteFileBytes("info.txt", ScrambleText("0,Loose,")));
    ASSERT_TRUE(WriteFileBytes("cel00.tw8", MakeImage(2, 1, {0x02, 0x09}, true)));
    bool found = false;
    EXPECT_EQ(Read("missing.Pkm", "info.txt", &found, ReadScrambledEntry), Text("0,Loose,"));
    EXPECT_TRUE(found);
    Bytes image = Read("missing.Pkm", "cel00.tw8", &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(image[1], 0);
    EXPECT_EQ(Bytes(image.begin() + kImageHeaderSize, image.end()), (Bytes{9, 9}));
    Read("missing.Pkm", "nothing.txt", &found);
    EXPECT_FALSE(found);

    // A module file that exists but is not a module never falls back.
    ASSERT_TRUE(WriteFileBytes("bad.Pkm", Text("not a module file at all")));
    Read("bad.Pkm", "info.txt", &found);
    EXPECT_FALSE(found);
}

TEST_F(ContainerTest, DamagedModulesYieldNothing) {
    Bytes good = MakeModule({{"a", Text("payload")}, {"b", Text("x")}});
    auto damaged = [&](auto change) {
        Bytes bytes = good;
        change(&bytes);
        return bytes;
    };
    std::vector<std::pair<std::string, Bytes>> cases = {
        {"empty file", Bytes()},
        {"header cut", Bytes(good.begin(), good.begin() + 15)},
        {"directory cut", Bytes(good.begin(), good.begin() + 40)},
        {"wrong magic", damaged([](Bytes* b) { (*b)[1] = 0x0E; })},
        {"count 0", damaged([](Bytes* b) { PutLe32(b, 8, 0); })},
        {"count 3", damaged([](Bytes* b) { PutLe32(b, 8, 3); })},
        {"count max", damaged([](Bytes* b) { PutLe32(b, 8, 0xFFFFFFFFu); })},
        {"count 2^27", damaged([](Bytes* b) { PutLe32(b, 8, 0x08000000u); })},  // 2^27 * 32 wraps 32 bits
        {"offset past end", damaged([](Bytes* b) { PutLe32(b, 20, 5000); })},
        {"size past end", damaged([](Bytes* b) { PutLe32(b, 16, 5000); })},
        {"offset+size wrap", damaged([](Bytes* b) {
             PutLe32(b, 16, 0xFFFFFFF0u);
             PutLe32(b, 20, 0x20);
         })},
    };
    for (const auto& [what, bytes] : cases) {
        ASSERT_TRUE(WriteFileBytes("d.Pkm", bytes));
        for (auto reader : {ReadEntry, ReadScrambledEntry, ReadImageEntry}) {
            bool found = true;
            Read("d.Pkm", "a", &found, reader);
            EXPECT_FALSE(found) << what;
        }
    }
}

TEST_F(ContainerTest, NameFieldsWithoutTerminatorMatchNothing) {
    std::string full(22, 'n');  // fills the whole field: no NUL inside it
    Bytes module = MakeModule({{full, Text("x")}, {"ok", Text("y")}});
    ASSERT_TRUE(WriteFileBytes("m.Pkm", module));
    bool found = true;
    Read("m.Pkm", full.c_str(), &found);
    EXPECT_FALSE(found);
    Read("m.Pkm", std::string(21, 'n').c_str(), &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(Read("m.Pkm", "ok", &found), Text("y"));

    std::string longest(21, 'k');  // 21 bytes and the NUL fill the field exactly
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{longest, Text("z")}})));
    EXPECT_EQ(Read("m.Pkm", longest.c_str(), &found), Text("z"));
    EXPECT_TRUE(found);
}

TEST_F(ContainerTest, AllocationFailuresLeaveNothingBehind) {
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"p", MakeImage(2, 1, {0x02, 0x07}, true)}})));
    if (!InjectAllocFailureAfter(-1)) GTEST_SKIP() << "no fault injection on this platform";
    // ReadImageEntry takes three blocks: directory, entry, unpacked image.
    for (int failAt = 0; failAt < 3; failAt++) {
        InjectAllocFailureAfter(failAt);
        bool found = true;
        Read("m.Pkm", "p", &found, ReadImageEntry);
        EXPECT_FALSE(found) << "allocation " << failAt;
    }
    InjectAllocFailureAfter(-1);
    bool found = false;
    Read("m.Pkm", "p", &found, ReadImageEntry);
    EXPECT_TRUE(found);
}

TEST_F(ContainerTest, AModuleOpenedOnceReadsAsEachReadAlone) {
    // A good module (a name twice, a packed image, a scrambled text), a
    // missing one (loose files serve), one that is not a module and a damaged
    // one (nothing serves): every entry through one opening gives the same
    // bytes and the same reason as a read of its own.
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"c00.tw8", MakeImage(2, 1, {0x02, 0x07}, true)},
                                                    {"c00.rgn", Text("first")},
                                                    {"c00.rgn", Text("second")},
                                                    {"info.txt", ScrambleText("0,In,")}})));
    ASSERT_TRUE(WriteFileBytes("bad.Pkm", Text("not a module file at all")));
    Bytes cut = MakeModule({{"info.txt", Text("x")}});
    PutLe32(&cut, 8, 3);
    ASSERT_TRUE(WriteFileBytes("cut.Pkm", cut));
    ASSERT_TRUE(WriteFileBytes("info.txt", ScrambleText("0,Loose,")));
    ASSERT_TRUE(WriteFileBytes("c00.tw8", MakeImage(2, 1, {0x02, 0x09}, true)));
    using PathReader = uint8_t* (*)(const char*, const char*, uint32_t*, ContainerError*);
    using OpenReader = uint8_t* (*)(const ModuleFile*, const char*, uint32_t*, ContainerError*);
    const std::pair<PathReader, OpenReader> readers[] = {{ReadEntry, ReadModuleEntry},
                                                         {ReadScrambledEntry, ReadScrambledModuleEntry},
                                                         {ReadImageEntry, ReadImageModuleEntry}};
    for (const char* path : {"m.Pkm", "missing.Pkm", "bad.Pkm", "cut.Pkm"}) {
        ModuleFile* module = OpenModuleFile(path);
        ASSERT_NE(module, nullptr) << path;
        for (const char* entry : {"c00.tw8", "c00.rgn", "info.txt", "nothing", ""}) {
            for (const auto& [alone, opened] : readers) {
                bool found = false;
                ContainerError whyAlone = ContainerError::kNone, whyOpened = ContainerError::kNone;
                Bytes expected = Read(path, entry, &found, alone);
                uint32_t size = 0;
                SysFree(alone(path, entry, &size, &whyAlone));
                uint8_t* data = opened(module, entry, &size, &whyOpened);
                EXPECT_EQ(data ? Bytes(data, data + size) : Bytes(), expected) << path << " " << entry;
                EXPECT_EQ(data != nullptr, whyOpened == ContainerError::kNone) << path << " " << entry;
                EXPECT_EQ(whyOpened, whyAlone) << path << " " << entry;
                SysFree(data);
            }
        }
        CloseModuleFile(module);
    }
    CloseModuleFile(nullptr);
}

TEST_F(ContainerTest, DirectoryListsRecordsInOrder) {
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"b", Text("12")}, {"a", Text("345")}})));
    uint32_t count = 0;
    DirectoryRecord* records = ReadModuleDirectory("m.Pkm", &count);
    ASSERT_NE(records, nullptr);
    ASSERT_EQ(count, 2u);
    EXPECT_STREQ(records[0].name, "b");
    EXPECT_EQ(records[0].size, 2u);
    EXPECT_EQ(records[0].offset, 80u);
    EXPECT_STREQ(records[1].name, "a");
    EXPECT_EQ(records[1].offset, 82u);
    SysFree(records);
    ContainerError why = ContainerError::kNone;
    EXPECT_EQ(ReadModuleDirectory("nothing.Pkm", &count, &why), nullptr);
    EXPECT_EQ(why, ContainerError::kNoModuleFile);
}

}  // namespace
