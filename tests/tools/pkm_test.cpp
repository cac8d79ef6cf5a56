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
}

}  // namespace

namespace {

TEST(PkmCheckTest, AWellFormedCharacterHasNoProblems) {
    ScopedTempDir dir;
    ASSERT_TRUE(MakeTestCharacter().Write("m.Pkm"));
    ToolRun run = Pkm("check m.Pkm");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("no problems (2 actions checked)"), std::string::npos) << run.out;
}

TEST(PkmCheckTest, EachProblemIsNamedOnItsOwnLine) {
    struct Case {
        const char* what;
        void (*change)(TestCharacter*);
        const char* expected;
    } cases[] = {
        {"missing cel", [](TestCharacter* c) { c->Remove("wk01.tw8"); }, "action 'walk': cel picture 'wk01.tw8' is missing"},
        {"missing region", [](TestCharacter* c) { c->Remove("wk02.rgn"); }, "cel region 'wk02.rgn' is missing"},
        {"missing sound", [](TestCharacter* c) { c->Remove("beep00.snd"); }, "sound 'beep00.snd' is missing"},
        {"next action absent",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,1,jump,100,"); },
         "action 'jump': no such entry in the module"},
        {"weights",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,2,stand,50,walk,40,"); },
         "action 'walk': next-action list: weights add up to 90, not 100"},
        {"idle second block",
         [](TestCharacter* c) {
             c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,1,defidle,100,");
             c->PutText("defidle", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,2,stand,100,walk,500,");
         },
         "action 'defidle': next-action list: the second block (from entry 0) covers draws 0 to 599, not 0 to 899"},
        {"cel larger than canvas", [](TestCharacter* c) { c->AddCels("wk", 3, 65, 2); },
         "action 'walk': cel 0 is 65x2, larger than the 64x48 canvas"},
        {"mouse watching",
         [](TestCharacter* c) {
             c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,0,0,50,1,muslook,100,");
             c->PutText("muslook", "wk,3,2,2,0,0,2,0,1,0,0,0,0,50,1,0,0,50,1,stand,100,");
         },
         "action 'muslook': a mouse-watching action needs 8 cels and 2 steps (has 3 and 2)"},
        {"bad cel index",
         [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,5,0,0,50,1,stand,100,"); },
         "action 'walk': step 0 shows cel 5, but there are 3 cels"},
        {"script cut", [](TestCharacter* c) { c->PutText("walk", "wk,3,2,2,0,0,1,0,0,0,0,"); },
         "action 'walk': field 'steps' is missing or not ended by a comma"},
        {"start weights", [](TestCharacter* c) { c->PutText("info.txt", InfoText("T", "1,stand,90,")); },
         "info.txt: start list: weights add up to 90, not 100"},
        {"check value",
         [](TestCharacter* c) { c->PutText("info.txt", "0,T,x,64,48,0,0,0,1,stand,100,0,0,7,0,0,0,0,0,0,0,0,0,0,0,"); },
         "info.txt: the check value after the lists must be 0"},
        {"no palette", [](TestCharacter* c) { c->Remove("palette.tw8"); },
         "palette.tw8: the entry is missing or shorter than a colour table"},
    };
    for (const Case& c : cases) {
        ScopedTempDir dir;
        TestCharacter character = MakeTestCharacter();
        c.change(&character);
        ASSERT_TRUE(character.Write("m.Pkm"));
        ToolRun run = Pkm("check m.Pkm");
        EXPECT_EQ(run.exitCode, 1) << c.what;
        EXPECT_NE(run.out.find(std::string(c.expected) + "\n"), std::string::npos) << c.what << ":\n" << run.out;
    }
}

}  // namespace
