// Tests of the module tool's reading commands, run as a user runs them.
#include "tests/support/module_writer.h"
#include "tests/support/run_tool.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ToolRun Pkm(const std::string& arguments) { return RunTool(PKM_PATH, arguments); }

TEST(PkmTest, ListShowsRecordsInDirectoryOrder) {
    ScopedTempDir dir;
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"info.txt", Bytes(5, 1)}, {"a.tw8", Bytes(3, 2)}})));
    ToolRun run = Pkm("list m.Pkm");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "info.txt\t5\t80\na.tw8\t3\t85\n");
}

TEST(PkmTest, CatWritesWhatEachReaderReturns) {
    ScopedTempDir dir;
    Bytes packed = MakeImage(2, 1, {0x02, 0x07}, true);
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"info.txt", ScrambleText("0,Zippy,")}, {"c.tw8", packed}})));
    EXPECT_EQ(Pkm("cat m.Pkm info.txt --text").out, "0,Zippy,");
    Bytes raw = ScrambleText("0,Zippy,");
    EXPECT_EQ(Pkm("cat m.Pkm info.txt").out, std::string(raw.begin(), raw.end()));
    EXPECT_EQ(Pkm("cat m.Pkm c.tw8 --raw").out, std::string(packed.begin(), packed.end()));
    ToolRun image = Pkm("cat m.Pkm c.tw8 --image");
    EXPECT_EQ(image.exitCode, 0);
    ASSERT_EQ(image.out.size(), 1038u);
    EXPECT_EQ(image.out.substr(1036), "\x07\x07");
}

TEST(PkmTest, FailuresSayWhyAndExitWithOne) {
    ScopedTempDir dir;
    ASSERT_TRUE(WriteFileBytes("m.Pkm", MakeModule({{"a", Bytes(4, 0)}})));
    ASSERT_TRUE(WriteFileBytes("junk.Pkm", Bytes(40, 0x41)));
    Bytes damaged = MakeModule({{"a", Bytes(4, 0)}});
    PutLe32(&damaged, 16, 999);
    ASSERT_TRUE(WriteFileBytes("cut.Pkm", damaged));
    struct Case {
        const char* arguments;
        const char* reason;
    } cases[] = {
        {"cat none.Pkm a", "no such module file"},
        {"cat junk.Pkm a", "not a module file"},
        {"cat m.Pkm b", "no such entry"},
        {"cat cut.Pkm a", "damaged module"},
        {"list none.Pkm", "no such module file"},
    };
    for (const Case& c : cases) {
        ToolRun run = Pkm(c.arguments);
        EXPECT_EQ(run.exitCode, 1) << c.arguments;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << c.arguments << ": " << run.err;
    }
    // With the module file missing, a loose file of the entry's name is read.
    ASSERT_TRUE(WriteFileBytes("loose.txt", {'h', 'i'}));
    ToolRun loose = Pkm("cat none.Pkm loose.txt");
    EXPECT_EQ(loose.exitCode, 0);
    EXPECT_EQ(loose.out, "hi");
    EXPECT_EQ(Pkm("cat m.Pkm a --bogus").exitCode, 2);

    ToolRun help = Pkm("-h");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* line : {"  pkm list ", "  pkm cat ", "      --raw ", "      --text ", "      --image ",
                             "  pkm check ", "  pkm build ", "      -o MODULE.Pkm ", "  pkm unpack ", "  pkm sheet ",
                             "      -o FILE.png ", "  pkm --help, pkm -h "})
        EXPECT_NE(help.out.find(std::string("\n") + line), std::string::npos) << line;
}

}  // namespace

namespace {

// The test character with the two boot sounds its info.txt announces.
TestCharacter CheckedCharacter() {
    TestCharacter c = MakeTestCharacter();
    c.AddSounds("boot", 2);
    return c;
}

TEST(PkmCheckTest, AWellFormedCharacterHasNoProblems) {
    ScopedTempDir dir;
    ASSERT_TRUE(CheckedCharacter().Write("m.Pkm"));
    ToolRun run = Pkm("check m.Pkm");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("no problems (2 actions checked)"), std::string::npos) << run.out;
}

TEST(PkmCheckTest, EachProblemIsNamedOnItsOwnLineAsAnErrorOrAWarning) {
    struct Case {
        const char* what;
        void (*change)(TestCharacter*);
        const char* expected;  // a whole line; only errors make the check fail
    } cases[] = {
        {"missing cel 0", [](TestCharacter* c) { c->Remove("wk00.tw8"); }, "error: action 'walk': cel 0's picture 'wk00.tw8' is missing"},
        {"missing region", [](TestCharacter* c) { c->Remove("wk02.rgn"); }, "error: action 'walk': cel 2's region 'wk02.rgn' is missing"},
        {"missing sound", [](TestCharacter* c) { c->Remove("beep00.snd"); }, "error: action 'stand': sound 0 'beep00.snd' is missing"},
        {"unreadable sound",
         [](TestCharacter* c) {
             Bytes wave = MakeWave(4);
             PutLe32(&wave, 16, 4u << 20);
             c->Put("beep00.snd", Scramble(wave));
         },
         "error: action 'stand': sound 0 'beep00.snd' is not played: a chunk reaches past the end of the entry"},
        {"next action absent",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,1,jump,100,"); },
         "error: action 'jump' (in the next-action list of action 'walk'): the script 'jump' is missing"},
        {"loop start outside",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,1,0,0,0,0,0,50,1,stand,100,"); },
         "error: action 'walk', line 1: the loop start 1 is not one of the 1 steps"},
        {"no loop", [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,-1,0,0,0,0,50,1,stand,100,"); },
         "m.Pkm: no problems (2 actions checked)"},
        {"loop end past the steps",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,1,2,0,0,0,50,1,stand,100,"); },
         "warning: action 'walk': loop end 1 lies outside steps 0 to 0: the loop does not run as written"},
        {"weights",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,2,stand,50,walk,40,"); },
         "warning: action 'walk': next-action list: weights add up to 90, not 100"},
        {"idle second block",
         [](TestCharacter* c) {
             c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,1,defidle,100,");
             c->PutText("defidle", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,2,stand,100,walk,500,");
         },
         "warning: action 'defidle': next-action list: the second block (from entry 0) covers draws 0 to 599, not 0 to 899"},
        {"sound tick 0", [](TestCharacter* c) { c->PutText("stand", "st,2,2,2,1,beep,100,0,0,1,0,0,0,0,0,0,50,1,walk,100,"); },
         "warning: action 'stand': sound tick 0 never comes (ticks count from 1)"},
        {"cel larger than canvas", [](TestCharacter* c) { c->AddCels("wk", 3, 65, 2); },
         "error: action 'walk': cel 0 is 65x2, larger than the 64x48 canvas"},
        {"mouse watching",
         [](TestCharacter* c) {
             c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,1,muslook,100,");
             c->PutText("muslook", "wk,3,2,2,0,0,2,0,1,0,0,0,0,50,1,0,0,50,1,stand,100,");
         },
         "error: action 'muslook': a mouse-watching action needs 8 cels and 2 steps; this one has 3 and 2"},
        {"bad cel index",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,5,0,0,50,1,stand,100,"); },
         "error: action 'walk', line 1: step 0 shows cel 5, but the action has 3 cels"},
        {"comma left out at a line's end",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,\r\n0,0,0,50\r\n1,stand,100,"); },
         "error: action 'walk', line 2: '50\\r\\n1' is not a number: the program reads it as 50 (is the comma at the "
         "end of the line missing?)"},
        {"letter for a digit",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,4O,0,50,1,stand,100,"); },
         "error: action 'walk', line 1: '4O' is not a number: the program reads it as 4"},
        {"byte-order mark",
         [](TestCharacter* c) { c->PutText("walk", "\xEF\xBB\xBFwk,3,2,2,0,0,1,0,0,0,0,0,0,50,1,stand,100,"); },
         "error: action 'walk', line 1: the script starts with a UTF-8 byte-order mark, which the program takes for "
         "part of the image base name: no cel is found"},
        {"sleep action, reached only while the user is away",
         [](TestCharacter* c) { c->PutText("slpdoze", "wk,3,2,2,0,0,1,0,0,0,7,0,0,50,1,stand,100,"); },
         "error: action 'slpdoze', line 1: step 0 shows cel 7, but the action has 3 cels"},
        {"script cut", [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,"); },
         "error: action 'walk', line 1: step 0's dx is missing or not ended by a comma"},
        {"start weights", [](TestCharacter* c) { c->PutText("info.txt", InfoText("T", "1,stand,90,")); },
         "warning: info.txt: start list: weights add up to 90, not 100"},
        {"long stored list name",
         [](TestCharacter* c) {
             c->PutText("info.txt", "0,T,x,64,48,0,0,2,1,stand,100,1," + std::string(300, 'n') + ",1,0,0,0,0,0,0,0,0,0,0,0,0,0,");
         },
         "m.Pkm: no problems (2 actions checked)"},
        {"check value",
         [](TestCharacter* c) { c->PutText("info.txt", "0,T,x,64,48,0,0,2,1,stand,100,0,0,7,0,0,0,0,0,0,0,0,0,0,0,"); },
         "error: info.txt, line 1: the check value after the three lists is 7; it must be 0"},
        {"boot sound missing", [](TestCharacter* c) { c->Remove("boot01.snd"); },
         "warning: info.txt: boot sound count is 2, but 'boot01.snd' is missing: that start is silent"},
        {"boot sound never played", [](TestCharacter* c) { c->AddSounds("boot", 3); },
         "warning: info.txt: boot sound 'boot02.snd' is never played: the boot sound count is 2"},
        {"unreadable boot sound", [](TestCharacter* c) { c->Put("boot00.snd", Scramble(Bytes{'R', 'I', 'F', 'F'})); },
         "error: info.txt: boot sound 'boot00.snd' is not played: not a RIFF WAVE image"},
        {"canvas",
         [](TestCharacter* c) { c->PutText("info.txt", "0,T,x,\n0,48,0,0,2,1,stand,100,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"); },
         "error: info.txt, line 2: the canvas 0x48 is not a usable size (at least 1 pixel each way, at most 4096 x "
         "4096 in all)"},
        {"no palette", [](TestCharacter* c) { c->Remove("palette.tw8"); },
         "error: m.Pkm: the palette 'palette.tw8' is missing"},
    };
    for (const Case& c : cases) {
        ScopedTempDir dir;
        TestCharacter character = CheckedCharacter();
        c.change(&character);
        ASSERT_TRUE(character.Write("m.Pkm"));
        ToolRun run = Pkm("check m.Pkm");
        EXPECT_EQ(run.exitCode, std::string(c.expected).rfind("error: ", 0) == 0 ? 1 : 0) << c.what << ":\n" << run.out;
        EXPECT_NE(run.out.find(std::string(c.expected) + "\n"), std::string::npos) << c.what << ":\n" << run.out;
    }

    // An entry whose record reaches past the end of the file is not called missing.
    const std::pair<const char*, const char*> damaged[] = {
        {"wk01.tw8", "error: action 'walk': cel 1's picture 'wk01.tw8' lies partly outside the module file\n"},
        {"palette.tw8", "error: m.Pkm: the palette 'palette.tw8' lies partly outside the module file\n"},
    };
    for (const auto& [entry, expected] : damaged) {
        ScopedTempDir dir;
        TestCharacter character = CheckedCharacter();
        Bytes module = MakeModule(character.entries);
        for (size_t i = 0; i < character.entries.size(); i++)
            if (character.entries[i].name == entry) PutLe32(&module, 16 + i * 32, static_cast<uint32_t>(module.size()));
        ASSERT_TRUE(WriteFileBytes("m.Pkm", module));
        ToolRun run = Pkm("check m.Pkm");
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;
    }
}

}  // namespace
