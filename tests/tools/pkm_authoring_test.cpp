// Tests of pkm build and pkm unpack: the shipped characters survive a round
// trip, read back as their authors wrote them, and bad authoring folders fail
// with one clear line.
#include "mascot/behaviour.h"
#include "modules/container.h"
#include "modules/script.h"
#include "platform/memory.h"
#include "tests/support/module_writer.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_dir.h"
#include "tools/pkm/authoring.h"
#include "tools/pkm/module_read.h"
#include "tools/pkm/module_write.h"
#include "tools/common/png_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>

namespace {

ToolRun Pkm(const std::string& arguments) { return RunTool(PKM_PATH, arguments); }

void Shell(const char* command) {
    int ignored = std::system(command);
    (void)ignored;
}

std::string FileText(const std::string& path) {
    ByteVector data;
    std::string ignored;
    ReadWholeFile(path, &data, &ignored);
    return std::string(data.begin(), data.end());
}

void WriteText(const std::string& path, const std::string& text) {
    std::string ignored;
    ASSERT_TRUE(WriteWholeFile(path, ByteVector(text.begin(), text.end()), &ignored)) << path;
}

std::string CharacterFolder(const std::string& name) {
    return std::string(ZIPPIT_SOURCE_DIR) + "/resources/characters/" + name;
}

// A picture from rows of characters: '.' transparent, 'm' the key colour,
// any other letter an opaque colour of its own.
RgbaPicture Sketch(const std::vector<std::string>& rows) {
    RgbaPicture picture;
    picture.width = static_cast<uint32_t>(rows[0].size());
    picture.height = static_cast<uint32_t>(rows.size());
    for (const std::string& row : rows) {
        for (char c : row) {
            uint8_t pixel[4] = {0, 0, 0, 0};
            if (c == 'm') {
                pixel[0] = 255, pixel[2] = 255, pixel[3] = 255;
            } else if (c != '.') {
                pixel[0] = static_cast<uint8_t>(c * 2), pixel[1] = static_cast<uint8_t>(c), pixel[2] = 40;
                pixel[3] = 255;
            }
            picture.rgba.insert(picture.rgba.end(), pixel, pixel + 4);
        }
    }
    return picture;
}

// A minimal authoring folder "src" with one cel.
void MakeSmallFolder(const RgbaPicture& cel) {
    std::string ignored;
    mkdir("src", 0777);
    mkdir("src/images", 0777);
    mkdir("src/actions", 0777);
    WriteText("src/info.txt", "0,Tiny,,8,8,0,0,0,1,a,100,0,0,0,0,0,0,0,0,0,0,0,0,0,0,");
    WriteText("src/actions/a.txt", "c,1,2,3,0,0,1,0,0,0,0,0,0,100,1,a,100,");
    ASSERT_TRUE(WritePng("src/images/c00.png", cel, &ignored));
}

TEST(PkmAuthoringTest, ShippedCharactersRoundTripIdentically) {
    ScopedTempDir dir;
    for (const char* name : {"zippy", "pebble"}) {
        std::string folder = CharacterFolder(name);
        ASSERT_EQ(Pkm("build " + folder + " -o first.Pkm").exitCode, 0) << name;
        ToolRun unpack = Pkm("unpack first.Pkm unpacked");
        ASSERT_EQ(unpack.exitCode, 0) << unpack.err;
        ASSERT_EQ(Pkm("build unpacked -o second.Pkm").exitCode, 0) << name;
        EXPECT_EQ(FileText("first.Pkm"), FileText("second.Pkm")) << name;
        // Building twice from the same folder gives the same bytes.
        ASSERT_EQ(Pkm("build " + folder + " -o third.Pkm").exitCode, 0);
        EXPECT_EQ(FileText("first.Pkm"), FileText("third.Pkm")) << name;
        Shell("rm -rf unpacked");
    }
}

TEST(PkmAuthoringTest, ScriptsAndSoundsReadBackAsWritten) {
    ScopedTempDir dir;
    std::string folder = CharacterFolder("zippy");
    ASSERT_EQ(Pkm("build " + folder + " -o z.Pkm").exitCode, 0);
    EXPECT_EQ(Pkm("cat z.Pkm info.txt --text").out, FileText(folder + "/info.txt"));
    std::vector<std::string> names;
    ASSERT_TRUE(ListDirectory(folder + "/actions", &names));
    for (const std::string& file : names) {
        std::string action = file.substr(0, file.size() - 4);
        EXPECT_EQ(Pkm("cat z.Pkm " + action + " --text").out, FileText(folder + "/actions/" + file)) << action;
    }
    ASSERT_TRUE(ListDirectory(folder + "/sounds", &names));
    EXPECT_GE(names.size(), 2u);
    for (const std::string& file : names) {
        std::string entry = file.substr(0, file.size() - 4) + ".snd";
        EXPECT_EQ(Pkm("cat z.Pkm " + entry + " --text").out, FileText(folder + "/sounds/" + file)) << entry;
    }
    EXPECT_EQ(Pkm("cat z.Pkm boot00.snd --text").exitCode, 0);
    EXPECT_EQ(Pkm("cat z.Pkm boot01.snd --text").exitCode, 0);
}

// Every cel read back with pkm cat --image shows the author's colours through
// the module palette, has the background index elsewhere, and a region that
// covers exactly the opaque pixels.
TEST(PkmAuthoringTest, CelsKeepTheAuthorsPixelsAndShape) {
    ScopedTempDir dir;
    for (const char* name : {"zippy", "pebble"}) {
        std::string folder = CharacterFolder(name);
        ASSERT_EQ(Pkm("build " + folder + " -o m.Pkm").exitCode, 0);
        std::string palette = Pkm("cat m.Pkm palette.tw8").out;
        ASSERT_GE(palette.size(), kImageHeaderSize);
        std::vector<std::string> files;
        ASSERT_TRUE(ListDirectory(folder + "/images", &files));
        for (const std::string& file : files) {
            std::string stem = file.substr(0, file.size() - 4);
            RgbaPicture source;
            std::string error;
            ASSERT_TRUE(ReadPng(folder + "/images/" + file, &source, &error)) << error;
            std::string image = Pkm("cat m.Pkm " + stem + ".tw8 --image").out;
            std::string region = Pkm("cat m.Pkm " + stem + ".rgn").out;
            IndexedPicture cel;
            ColorTable colors;
            ByteVector shown;
            ASSERT_TRUE(DecodeTw8(ByteVector(image.begin(), image.end()), &cel, &colors, &error)) << stem << error;
            ASSERT_EQ(image[1], 0) << "cat --image gives the plain image";
            ASSERT_TRUE(RegionMask(ByteVector(region.begin(), region.end()), cel.width, cel.height, &shown, &error));
            ASSERT_EQ(cel.width, source.width);
            ASSERT_EQ(cel.height, source.height);
            EXPECT_EQ(ByteVector(colors.begin(), colors.end()),
                      ByteVector(palette.begin() + 12, palette.begin() + kImageHeaderSize));
            int wrong = 0;
            for (size_t i = 0; i < cel.pixels.size(); i++) {
                const uint8_t* rgba = &source.rgba[4 * i];
                bool opaque = rgba[3] >= kOpaqueAlpha;
                const uint8_t* color = &colors[4 * cel.pixels[i]];
                if (opaque != (shown[i] != 0)) wrong++;
                if (opaque && (color[2] != rgba[0] || color[1] != rgba[1] || color[0] != rgba[2])) wrong++;
                if (!opaque && cel.pixels[i] != kBackgroundIndex) wrong++;
            }
            EXPECT_EQ(wrong, 0) << name << " " << stem;
        }
    }
}

TEST(PkmAuthoringTest, RegionMergesRowsIntoBandsAndSetsBounds) {
    // Rows 0 and 1 share their runs and make one band; row 2 differs; the key
    // colour and transparent pixels stay outside. Width 5 is not a multiple of 4.
    ScopedTempDir dir;
    MakeSmallFolder(Sketch({".aa.b", ".aa.b", "..m.c", "....."}));
    ByteVector module;
    std::string error;
    ASSERT_TRUE(BuildModuleFromFolder("src", &module, &error)) << error;
    std::string ignored;
    ASSERT_TRUE(WriteWholeFile("m.Pkm", module, &ignored));
    uint32_t size = 0;
    uint8_t* region = ReadEntry("m.Pkm", "c00.rgn", &size);
    ASSERT_NE(region, nullptr);
    std::vector<int32_t> words(size / 4);
    for (size_t i = 0; i < words.size(); i++)
        words[i] = static_cast<int32_t>(region[4 * i] | (region[4 * i + 1] << 8) | (region[4 * i + 2] << 16) |
                                        (region[4 * i + 3] << 24));
    SysFree(region);
    std::vector<int32_t> expected = {32, 1, 3, 48, 1, 0, 5, 3,  // header and bounds
                                     1,  0, 3, 2, 4, 0, 5, 2,  4, 2, 5, 3};
    EXPECT_EQ(words, expected);

    // Colours: background first, then the opaque colours in RGB order.
    uint8_t* palette = ReadEntry("m.Pkm", "palette.tw8", &size);
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette[12 + 0], 0xFF);  // entry 0 is the key colour (blue, green, red)
    EXPECT_EQ(palette[12 + 2], 0xFF);
    EXPECT_EQ(palette[12 + 4 + 2], 'a' * 2);
    EXPECT_EQ(palette[12 + 8 + 2], 'b' * 2);
    EXPECT_EQ(palette[12 + 12 + 2], 'c' * 2);
    SysFree(palette);
    uint8_t* image = ReadImageEntry("m.Pkm", "c00.tw8", &size);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(size, kImageHeaderSize + 20);
    // Bottom row first: the empty row, then ..m.c, then .aa.b twice.
    EXPECT_EQ(ByteVector(image + kImageHeaderSize, image + size),
              ByteVector({0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 1, 1, 0, 2, 0, 1, 1, 0, 2}));
    SysFree(image);
}

TEST(PkmAuthoringTest, PackingIsExpandedExactlyAndUsedOnlyWhenSmaller) {
    std::vector<ByteVector> inputs = {
        {}, {7}, {1, 2}, {5, 5, 5}, ByteVector(127, 9), ByteVector(128, 9), ByteVector(300, 4),
    };
    ByteVector mixed;
    for (int i = 0; i < 400; i++) mixed.push_back(static_cast<uint8_t>(i % 7 < 3 ? 1 : i));
    inputs.push_back(mixed);
    ByteVector noisy;
    for (int i = 0; i < 260; i++) noisy.push_back(static_cast<uint8_t>(i * 37));
    inputs.push_back(noisy);
    for (const ByteVector& input : inputs) {
        ByteVector packed = PackRle(input.data(), input.size());
        ByteVector out(input.size() + 1);
        uint32_t produced = 0;
        EXPECT_TRUE(ExpandRle(out.data(), static_cast<uint32_t>(out.size()), packed.data(),
                              static_cast<uint32_t>(packed.size()), &produced));
        out.resize(produced);
        EXPECT_EQ(out, input) << input.size();
    }
    ColorTable colors(kColorTableBytes, 0);
    IndexedPicture flat{16, 16, ByteVector(256, 3)};
    IndexedPicture busy{16, 16, noisy};
    busy.pixels.resize(256);
    EXPECT_EQ(EncodeTw8(flat, colors)[1], 1);
    EXPECT_LT(EncodeTw8(flat, colors).size(), kImageHeaderSize + 256);
    EXPECT_EQ(EncodeTw8(busy, colors)[1], 0);
    EXPECT_EQ(EncodeTw8(busy, colors).size(), kImageHeaderSize + 256);
}

// What the runtime relies on in the shipped characters: every action reachable
// from the first list loads (its cels, regions and sounds exist, cels fit the
// canvas, steps and loops stay inside the action), mouse watching has 8 cels
// and 2 steps, and every list adds up to 100 (an idle list's second block to 900).
struct ScriptText {
    ByteVector bytes;
    ScriptCursor cursor;
};

bool ReadScript(const std::string& module, const std::string& name, ScriptText* script, int comma) {
    uint32_t size = 0;
    uint8_t* data = ReadScrambledEntry(module.c_str(), name.c_str(), &size);
    if (!data) return false;
    script->bytes.assign(data, data + size);
    SysFree(data);
    return ScriptAtComma(&script->cursor, script->bytes.data(), size, comma) == 1;
}

bool EntryExists(const std::string& module, const std::string& name) {
    uint32_t size = 0;
    uint8_t* data = ReadEntry(module.c_str(), name.c_str(), &size);
    SysFree(data);
    return data != nullptr;
}

std::string Numbered(const std::string& base, int i, const char* suffix) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", i);
    return base + digits + suffix;
}

void ExpectListWeights(const std::string& action, const WeightedList& list) {
    std::vector<int32_t> weights;
    for (int32_t i = 0; i < list.count; i++) weights.push_back(list.entries[i].weight);
    int32_t total = 0;
    size_t k = 0;
    while (k < weights.size() && total < 100) total += weights[k++];
    EXPECT_EQ(total, 100) << action;
    if (action.compare(0, 3, "def") == 0) {
        int32_t second = 0;
        for (size_t i = k - 1; i < weights.size(); i++) second += weights[i];
        EXPECT_EQ(second, 900) << action << ": the second block covers 0 to 899";
    } else {
        EXPECT_EQ(k, weights.size()) << action;
    }
}

TEST(PkmAuthoringTest, ShippedCharactersHoldTogether) {
    ScopedTempDir dir;
    for (const char* name : {"zippy", "pebble"}) {
        std::string module = std::string(name) + ".Pkm";
        ASSERT_EQ(Pkm("build " + CharacterFolder(name) + " -o " + module).exitCode, 0);
        ScriptText info;
        ASSERT_TRUE(ReadScript(module, "info.txt", &info, 3)) << name;
        int32_t canvasWidth = ReadNumber(&info.cursor);
        int32_t canvasHeight = ReadNumber(&info.cursor);
        ReadNumber(&info.cursor);
        ReadNumber(&info.cursor);
        int32_t bootSounds = ReadNumber(&info.cursor);
        WeightedList starts{0, nullptr};
        ASSERT_TRUE(ReadWeightedList(&info.cursor, &starts, 255));
        ExpectListWeights("info.txt", starts);
        EXPECT_GE(bootSounds, 2);
        for (int i = 0; i < bootSounds; i++) EXPECT_TRUE(EntryExists(module, Numbered("boot", i, ".snd")));

        std::vector<std::string> pending;
        for (int32_t i = 0; i < starts.count; i++) pending.push_back(starts.entries[i].name);
        ReleaseWeightedList(&starts);
        char sleep[kMaxActionName + 1];
        ASSERT_TRUE(FindSleepAction(module.c_str(), sleep)) << name << " sleeps while the user is away";
        pending.push_back(sleep);
        std::set<std::string> seen;
        std::set<std::string> kinds;
        while (!pending.empty()) {
            std::string action = pending.back();
            pending.pop_back();
            if (!seen.insert(action).second) continue;
            kinds.insert(action.substr(0, 3));
            ScriptText script;
            ASSERT_TRUE(ReadScript(module, action, &script, 1)) << action;
            std::string base(script.bytes.begin(), script.bytes.begin() + script.cursor.position);
            ScriptCursor* c = &script.cursor;
            int32_t cels = ReadNumber(c);
            int32_t anchorX = ReadNumber(c);
            int32_t anchorY = ReadNumber(c);
            EXPECT_TRUE(anchorX > 0 && anchorX < canvasWidth && anchorY > 0 && anchorY <= canvasHeight) << action;
            for (int i = 0; i < cels; i++) {
                std::string image = Numbered(base, i, ".tw8");
                uint32_t size = 0;
                uint8_t* data = ReadImageEntry(module.c_str(), image.c_str(), &size);
                ASSERT_NE(data, nullptr) << action << " " << image;
                EXPECT_LE(data[8] | (data[9] << 8), canvasWidth) << image;
                EXPECT_LE(data[10] | (data[11] << 8), canvasHeight) << image;
                SysFree(data);
                EXPECT_TRUE(EntryExists(module, Numbered(base, i, ".rgn"))) << image;
            }
            int32_t sounds = ReadNumber(c);
            if (sounds > 0) {
                char soundBase[40];
                ASSERT_TRUE(ReadTextInto(c, soundBase, sizeof soundBase));
                int32_t total = 0;
                for (int i = 0; i < sounds; i++) {
                    total += ReadNumber(c);
                    EXPECT_TRUE(EntryExists(module, Numbered(soundBase, i, ".snd"))) << action;
                }
                EXPECT_EQ(total, 100) << action;
                EXPECT_GE(ReadNumber(c), 1) << action << ": sound tick";
            }
            ReadNumber(c);
            int32_t steps = ReadNumber(c);
            int32_t loopStart = ReadNumber(c);
            int32_t loopEnd = ReadNumber(c);
            ReadNumber(c);
            EXPECT_TRUE(steps >= 1 && loopStart >= 0 && loopStart <= loopEnd && loopEnd < steps) << action;
            int32_t dySum = 0;
            for (int i = 0; i < steps; i++) {
                int32_t cel = ReadNumber(c);
                ReadNumber(c);
                int32_t dy = ReadNumber(c);
                int32_t duration = ReadNumber(c);
                EXPECT_TRUE(cel >= 0 && cel < cels && duration > 0) << action << " step " << i;
                if (action.compare(0, 3, "mus") != 0) dySum += dy;
            }
            EXPECT_EQ(dySum, 0) << action << ": the character comes back to its edge";
            if (action.compare(0, 3, "mus") == 0) {
                EXPECT_TRUE(cels == 8 && steps == 2) << action;
            }
            WeightedList next{0, nullptr};
            ASSERT_TRUE(ReadWeightedList(c, &next, 255)) << action;
            ASSERT_FALSE(c->failed) << action;
            ExpectListWeights(action, next);
            for (int32_t i = 0; i < next.count; i++) pending.push_back(next.entries[i].name);
            ReleaseWeightedList(&next);
        }
        std::vector<std::string> actionFiles;
        ASSERT_TRUE(ListDirectory(CharacterFolder(name) + "/actions", &actionFiles));
        EXPECT_EQ(seen.size(), actionFiles.size()) << name << ": every action can be reached";
        for (const char* kind : {"def", "wkr", "wkl", "mus"}) {
            EXPECT_TRUE(kinds.count(kind)) << name << " " << kind;
        }
    }
}

// Bad input gives exit code 1, one line on standard error naming the
// problem, and no module file.
TEST(PkmAuthoringTest, BadFoldersFailWithOneLine) {
    ScopedTempDir dir;
    struct Case {
        const char* what;
        void (*damage)();
        const char* reason;
    } cases[] = {
        {"no folder", [] { Shell("rm -rf src"); }, "not a folder"},
        {"no info.txt", [] { std::remove("src/info.txt"); }, "info.txt: missing"},
        {"broken PNG", [] { WriteText("src/images/c01.png", "\x89PNG\r\n\x1a\nnot really"); }, "not a readable PNG"},
        {"long name",
         [] {
             std::string ignored;
             WritePng("src/images/abcdefghijklmnopq00.png", Sketch({"a"}), &ignored);
         },
         "at most 21 fit"},
        {"percent",
         [] {
             std::string ignored;
             WritePng("src/images/w%s00.png", Sketch({"a"}), &ignored);
         },
         "'%' in a base name"},
        {"too many colours",
         [] {
             RgbaPicture many;
             many.width = 300;
             many.height = 1;
             for (int i = 0; i < 300; i++) many.rgba.insert(many.rgba.end(), {uint8_t(i), uint8_t(i >> 8), 9, 255});
             std::string ignored;
             WritePng("src/images/many00.png", many, &ignored);
         },
         "too many colours: 302"},
        {"colour outside palette.png",
         [] {
             std::string ignored;
             WritePng("src/palette.png", Sketch({"mb"}), &ignored);
         },
         "is not in palette.png"},
        {"bad WAV",
         [] {
             mkdir("src/sounds", 0777);
             WriteText("src/sounds/hi00.wav", std::string("RIFF\x04\0\0\0WAVE", 12));
         },
         "no format chunk"},
        {"sound without channels",
         [] {
             mkdir("src/sounds", 0777);
             Bytes wave = MakeWave(4);
             wave[22] = 0;
             WriteText("src/sounds/hi00.wav", std::string(wave.begin(), wave.end()));
         },
         "no channels"},
        {"byte-order mark",
         [] { WriteText("src/actions/a.txt", "\xEF\xBB\xBF" "c,1,2,3,0,0,1,0,0,0,0,0,0,100,1,a,100,"); },
         "src/actions/a.txt: starts with a UTF-8 byte-order mark"},
        {"entry made twice",
         [] {
             mkdir("src/other", 0777);
             WriteText("src/other/info.txt", "x");
         },
         "entry 'info.txt' is made by"},
    };
    for (const Case& c : cases) {
        Shell("rm -rf src out.Pkm");
        MakeSmallFolder(Sketch({"ab", "ba"}));
        c.damage();
        ToolRun run = Pkm("build src -o out.Pkm");
        EXPECT_EQ(run.exitCode, 1) << c.what;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << c.what << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.what << ": " << run.err;
        struct stat info;
        EXPECT_NE(stat("out.Pkm", &info), 0) << c.what;
    }

    // A format other than PCM is built when the program plays it.
    Shell("rm -rf src");
    MakeSmallFolder(Sketch({"ab", "ba"}));
    mkdir("src/sounds", 0777);
    Bytes other = MakeWave(4);
    other[20] = 2;
    PutLe32(&other, 16, 18);
    other.insert(other.begin() + 36, {0, 0});
    PutLe32(&other, 4, static_cast<uint32_t>(other.size() - 8));
    WriteText("src/sounds/hi00.wav", std::string(other.begin(), other.end()));
    ASSERT_EQ(Pkm("build src -o m.Pkm").exitCode, 0);
    ToolRun full = Pkm("unpack m.Pkm src");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("folder is not empty"), std::string::npos) << full.err;
    ToolRun missing = Pkm("unpack none.Pkm out");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no such module file"), std::string::npos) << missing.err;
    EXPECT_EQ(Pkm("build src").exitCode, 2);
}

// Files the build does not use are left out with a warning each, a picture
// saved with an upper-case suffix is used, and the module is never written
// over the folder's inputs, however its path is spelt.
TEST(PkmAuthoringTest, UnusedFilesAreLeftOutAndInputsAreNeverOverwritten) {
    ScopedTempDir dir;
    MakeSmallFolder(Sketch({"ab", "ba"}));
    ASSERT_EQ(Pkm("build src -o plain.Pkm").exitCode, 0);
    std::rename("src/images/c00.png", "src/images/c00.PNG");
    mkdir("src/images/backup", 0777);
    WriteText("src/images/Thumbs.db", "x");
    WriteText("src/actions/readme.md", "x");
    ToolRun run = Pkm("build src -o extra.Pkm");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* unused : {"src/images/Thumbs.db", "src/images/backup", "src/actions/readme.md"})
        EXPECT_NE(run.err.find(std::string("pkm: warning: ") + unused), std::string::npos) << run.err;
    EXPECT_EQ(FileText("extra.Pkm"), FileText("plain.Pkm"));

    Shell("ln -s src/info.txt link.txt");
    std::string info = FileText("src/info.txt");
    for (const char* output : {"src/images/c00.PNG", "./src/../src/info.txt", "link.txt", "src//actions/new.Pkm"}) {
        ToolRun refused = Pkm(std::string("build src -o ") + output);
        EXPECT_EQ(refused.exitCode, 1) << output;
        EXPECT_NE(refused.err.find("outside the folder's inputs"), std::string::npos) << refused.err;
    }
    EXPECT_EQ(FileText("src/info.txt"), info);
    EXPECT_FALSE(PathExists("src/actions/new.Pkm"));
    EXPECT_EQ(Pkm("build src -o src/m.Pkm").exitCode, 0) << "the folder's top level is not read";
}

// Checking a folder names its files, and tells a build's error as a check's.
TEST(PkmAuthoringTest, CheckOfAFolderNamesItsFiles) {
    ScopedTempDir dir;
    MakeSmallFolder(Sketch({"ab", "ba"}));
    std::rename("src/images/c00.png", "src/images/C00.png");
    ToolRun run = Pkm("check src");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("error: src/actions/a.txt: cel 0's picture src/images/c00.png is missing "
                           "(src/images/C00.png differs in case)\n"),
              std::string::npos)
        << run.out;
    WriteText("src/info.txt", "\xEF\xBB\xBF" "0,Tiny,,8,8,0,0,0,1,a,100,0,0,0,0,0,0,0,0,0,0,0,0,0,0,");
    run = Pkm("check src");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.rfind("error: src/info.txt: starts with a UTF-8 byte-order mark", 0), 0u) << run.out;
}

// A module made elsewhere unpacks into something editable: entries the
// folder cannot express as PNG or WAV are kept byte for byte in other/.
TEST(PkmAuthoringTest, UnpackKeepsWhatItCannotConvert) {
    ScopedTempDir dir;
    ByteVector huge(kImageHeaderSize + 4, 0xFF);
    huge[1] = 1;
    huge[4] = static_cast<uint8_t>(kImageHeaderSize + 4), huge[5] = static_cast<uint8_t>((kImageHeaderSize + 4) >> 8);
    huge[6] = huge[7] = 0;
    std::vector<ModuleEntry> entries = {
        {"info.txt", ScrambleBytes({'0', ','})},
        {"odd.tw8", ByteVector(10, 1)},  // too short to be an image, and no region
        {"huge.tw8", huge},              // 65535 x 65535 pixels promised by a few bytes
        {"huge.rgn", MakeRegionData(1, 1, {1})},
        {"x.snd", ScrambleBytes({'n', 'o'})},
        {"walk", ScrambleBytes({'w', ','})},
        {"walk", ScrambleBytes({'l', 'a', 't', 'e', 'r'})},  // never reached by any reader
    };
    std::string ignored;
    ASSERT_TRUE(WriteWholeFile("m.Pkm", LayOutModule(entries), &ignored));
    ToolRun run = Pkm("unpack m.Pkm out");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FileText("out/info.txt"), "0,");
    EXPECT_EQ(FileText("out/actions/walk.txt"), "w,");
    EXPECT_EQ(FileText("out/other/odd.tw8"), std::string(10, '\x01'));
    EXPECT_EQ(FileText("out/other/x.snd").size(), 2u);
    EXPECT_EQ(FileText("out/other/huge.tw8").size(), kImageHeaderSize + 4);
}

// The contact sheet shows each cel in its colours with a red line just
// outside its shape and the blue anchor cross at the script's anchor, so a
// cel drawn off its anchor shows; cels it cannot read are named.
TEST(PkmAuthoringTest, SheetShowsShapeAndAnchorWhereTheScriptSaysAndNamesMissingCels) {
    ScopedTempDir dir;
    MakeSmallFolder(Sketch({"......", "bb....", "bb....", "......"}));  // the action's anchor is 2,3
    ASSERT_EQ(Pkm("build src -o m.Pkm").exitCode, 0);
    ToolRun run = Pkm("sheet m.Pkm a -o a.png");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    RgbaPicture sheet;
    std::string error;
    ASSERT_TRUE(ReadPng("a.png", &sheet, &error)) << error;
    auto color = [&](int x, int y) {
        const uint8_t* p = &sheet.rgba[(static_cast<size_t>(y) * sheet.width + x) * 4];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    };
    const int art = ('b' * 2 << 16) | ('b' << 8) | 40;
    int left = -1, top = -1, count = 0;
    for (int y = 0; y < static_cast<int>(sheet.height); y++)
        for (int x = 0; x < static_cast<int>(sheet.width); x++)
            if (color(x, y) == art) {
                if (left < 0) left = x, top = y;
                count++;
            }
    ASSERT_EQ(count, 16) << "the 2 x 2 shape at twice its size";
    const int scale = 2;
    EXPECT_EQ(color(left + 1, top - 1), 0xFF0000) << "outline above the shape";
    EXPECT_EQ(color(left - 1, top + 1), 0xFF0000) << "outline left of the shape";
    int celX = left, celY = top - 1 * scale;  // the shape starts at 0,1 of the cel
    EXPECT_EQ(color(celX + 2 * scale, celY + 3 * scale), 0x0000FF) << "anchor cross at 2,3";
    EXPECT_EQ(color(celX + 2 * scale + 1, celY + 3 * scale + 1), 0x0000FF);
    EXPECT_EQ(color(celX + 5 * scale, celY + 3 * scale), 0x0000FF) << "the cross's arm";
    EXPECT_EQ(color(celX + 5 * scale, celY), 0xD8D8D8) << "the cel's transparent part on the checkerboard";
    EXPECT_EQ(color(celX + 6 * scale, celY), 0xFFFFFF) << "paper beyond the cel";

    // Every action: the same cel; a cel that cannot be read is named and the
    // sheet is still written; an unknown action gives no sheet.
    Shell("rm -rf src m.Pkm");
    MakeSmallFolder(Sketch({"ab", "ba"}));
    WriteText("src/actions/b.txt", "gone,2,1,1,0,0,1,0,0,0,0,0,0,100,1,a,100,");
    ASSERT_EQ(Pkm("build src -o m.Pkm").exitCode, 0);
    ToolRun all = Pkm("sheet m.Pkm -o all.png");
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_NE(all.err.find("b: gone00.tw8: no such entry"), std::string::npos) << all.err;
    EXPECT_NE(all.err.find("gone01.tw8"), std::string::npos) << all.err;
    ASSERT_TRUE(ReadPng("all.png", &sheet, &error)) << error;
    EXPECT_EQ(Pkm("sheet m.Pkm c -o c.png").exitCode, 1);
    struct stat info;
    EXPECT_NE(stat("c.png", &info), 0);
    EXPECT_EQ(Pkm("sheet m.Pkm a").exitCode, 2);
}

// Modules made elsewhere: after unpack and build every entry reads back the
// same (images pixel for pixel with their colour tables, everything else byte
// for byte), and unpack writes the optional files beside a picture only where
// the picture alone cannot say it.
TEST(PkmAuthoringTest, ForeignModulesRoundTripEntryForEntry) {
    ColorTable greys(kColorTableBytes, 0);
    for (int i = 0; i < 256; i++) greys[4 * i] = greys[4 * i + 1] = greys[4 * i + 2] = static_cast<uint8_t>(i);
    auto with = [](ColorTable colors, int index, uint32_t rgb) {
        colors[4 * index] = static_cast<uint8_t>(rgb);
        colors[4 * index + 1] = static_cast<uint8_t>(rgb >> 8);
        colors[4 * index + 2] = static_cast<uint8_t>(rgb >> 16);
        return colors;
    };
    ColorTable reversed(kColorTableBytes, 0);
    for (int i = 0; i < 256; i++) reversed[4 * i] = reversed[4 * i + 1] = reversed[4 * i + 2] = static_cast<uint8_t>(255 - i);
    ByteVector topRowApart = MakeRegionData(2, 2, {1, 1, 0, 0});
    // The same shape as two rectangles instead of one band.
    topRowApart[8] = 2, topRowApart[12] = 32;
    auto putRect = [&](int32_t l, int32_t t, int32_t r, int32_t b) {
        for (int32_t v : {l, t, r, b})
            for (int k = 0; k < 4; k++) topRowApart.push_back(static_cast<uint8_t>(v >> (8 * k)));
    };
    topRowApart.resize(32);
    putRect(0, 0, 1, 1);
    putRect(1, 0, 2, 1);

    struct Case {
        const char* what;
        ColorTable palette;
        ByteVector paletteEntry;  // empty: made from `palette`
        IndexedPicture cel;
        ColorTable celColors;
        ByteVector region;  // empty: every pixel shown
        std::set<std::string> files;
    } cases[] = {
        {"index 0 shown, its colour also at 5", with(greys, 5, 0), {}, {3, 2, {0, 5, 7, 7, 5, 0}}, with(greys, 5, 0),
         {}, {"images/c00.png", "indices/c00.png", "palette.png"}},
        {"#FF00FF inside the shape", with(greys, 9, 0xFF00FF), {}, {2, 2, {9, 1, 9, 1}}, with(greys, 9, 0xFF00FF), {},
         {"images/c00.png", "indices/c00.png", "palette.png"}},
        {"a colour table of its own", greys, {}, {2, 2, {1, 2, 3, 4}}, reversed, {},
         {"images/c00.png", "palettes/c00.png", "palette.png"}},
        {"hidden pixels and a region of its own", greys, {}, {2, 2, {3, 4, 9, 9}}, greys, topRowApart,
         {"images/c00.png", "indices/c00.png", "regions/c00.rgn", "palette.png"}},
        {"a palette entry of another picture", greys, EncodeTw8({1, 1, {0}}, greys), {2, 2, {1, 2, 3, 4}}, greys, {},
         {"images/c00.png", "other/palette.tw8"}},
        {"nothing unusual", greys, {}, {2, 2, {1, 2, 3, 4}}, greys, {}, {"images/c00.png", "palette.png"}},
    };
    for (const Case& c : cases) {
        ScopedTempDir dir;
        std::vector<ModuleEntry> entries = {
            {"info.txt", ScrambleBytes({'0', ','})},
            {"palette.tw8", c.paletteEntry.empty() ? EncodePaletteEntry(c.palette) : c.paletteEntry},
            {"a", ScrambleBytes({'c', ',', '1', ','})},
            {"c00.tw8", EncodeTw8(c.cel, c.celColors)},
            {"c00.rgn", c.region.empty() ? MakeRegionData(c.cel.width, c.cel.height, ByteVector(c.cel.pixels.size(), 1))
                                         : c.region},
        };
        std::string ignored;
        ASSERT_TRUE(WriteWholeFile("m.Pkm", LayOutModule(entries), &ignored));
        ToolRun unpack = Pkm("unpack m.Pkm out");
        ASSERT_EQ(unpack.exitCode, 0) << c.what << ": " << unpack.err;
        std::set<std::string> files;
        for (const char* sub : {"images", "palettes", "indices", "regions", "other"}) {
            std::vector<std::string> names;
            if (ListDirectory(std::string("out/") + sub, &names))
                for (const std::string& name : names) files.insert(std::string(sub) + "/" + name);
        }
        if (PathExists("out/palette.png")) files.insert("palette.png");
        EXPECT_EQ(files, c.files) << c.what;
        ToolRun build = Pkm("build out -o again.Pkm");
        ASSERT_EQ(build.exitCode, 0) << c.what << ": " << build.err;
        for (const ModuleEntry& entry : entries) {
            bool image = entry.name.size() > 4 && entry.name.compare(entry.name.size() - 4, 4, ".tw8") == 0;
            std::string mode = image ? " --image" : "";
            std::string before = Pkm("cat m.Pkm " + entry.name + mode).out;
            std::string after = Pkm("cat again.Pkm " + entry.name + mode).out;
            if (!image || entry.name == "palette.tw8") {
                EXPECT_EQ(after, before) << c.what << ": " << entry.name;
                continue;
            }
            IndexedPicture was, is;
            ColorTable wasColors, isColors;
            ASSERT_TRUE(DecodeTw8(ByteVector(before.begin(), before.end()), &was, &wasColors, &ignored));
            ASSERT_TRUE(DecodeTw8(ByteVector(after.begin(), after.end()), &is, &isColors, &ignored)) << c.what;
            EXPECT_TRUE(is.width == was.width && is.height == was.height && is.pixels == was.pixels) << c.what;
            EXPECT_EQ(isColors, wasColors) << c.what;
        }
    }
}

}  // namespace
