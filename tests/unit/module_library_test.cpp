// Tests of the module library: which module files are listed and under what
// name, the in-use comparison and the bounded deletion question. The same
// tests run against Win32 under Wine.
#include "platform/memory.h"
#include "settings/module_library.h"
#include "tests/support/module_writer.h"
#include "tests/support/platform_support.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(ModuleLibraryTest, ListedDisplayNameNeedsTwoCommasAndAFirstFieldOfZero) {
    struct Case {
        std::string text;
        bool listed;
        std::string name;
    } cases[] = {
        {"0,Zippy,free,64,", true, "Zippy"},
        {" 0, spaced ,", true, " spaced "},
        {"-0,x,", true, "x"},
        {"abc,letters read as 0,", true, "letters read as 0"},
        {",empty first field,", true, "empty first field"},
        {"0,,", true, ""},
        {"0\r\n,\r\nname,", true, "\r\nname"},
        {"1,one,", false, ""},
        {"07,seven,", false, ""},
        {"99999999999,huge,", false, ""},
        {"0,no second comma", false, ""},
        {"no comma at all", false, ""},
        {"", false, ""},
        {std::string("0,cut\0,later,", 13), false, ""},  // the text ends at its first zero byte
    };
    for (const Case& c : cases) {
        uint32_t start = 99;
        uint32_t length = 99;
        int listed = ListedDisplayName(reinterpret_cast<const uint8_t*>(c.text.data()),
                                       static_cast<uint32_t>(c.text.size()), &start, &length);
        EXPECT_EQ(listed, c.listed ? 1 : 0) << c.text;
        if (listed) {
            EXPECT_EQ(c.text.substr(start, length), c.name) << c.text;
        }
    }
}

class ModuleListTest : public ::testing::Test {
protected:
    void SetUp() override { blocks_ = SysLiveBlocks(); }
    void TearDown() override { EXPECT_EQ(SysLiveBlocks(), blocks_) << "blocks leaked"; }
    static void WriteModule(const std::string& file, const std::string& info) {
        TestCharacter c = MakeTestCharacter();
        c.PutText("info.txt", info);
        ASSERT_TRUE(c.Write(file));
    }
    static std::vector<std::pair<std::string, std::string>> Listed() {
        ModuleList list = {5, nullptr};
        EXPECT_EQ(ListModules(kModulePattern, &list), 1);
        std::vector<std::pair<std::string, std::string>> out;
        for (int32_t i = 0; i < list.count; i++) out.emplace_back(list.entries[i].displayName, list.entries[i].fileName);
        ReleaseModuleList(&list);
        EXPECT_EQ(list.count, 0);
        return out;
    }
    ScopedTempDir dir_;
    int64_t blocks_ = 0;
};

TEST_F(ModuleListTest, ListsModulesByDisplayNameWithTheirFileNames) {
    WriteModule("zz.Pkm", InfoText("Apple", "1,stand,100,"));
    WriteModule("aa.Pkm", InfoText("Pear", "1,stand,100,"));
    WriteModule("Twin.PKM", InfoText("Apple", "1,stand,100,"));
    WriteModule("one.Pkm", "1,First field one,x,");
    WriteModule("letters.Pkm", "abc,Letters,x,");
    WriteModule("onecomma.Pkm", "0,no second comma");
    TestCharacter noInfo = MakeTestCharacter();
    noInfo.Remove("info.txt");
    ASSERT_TRUE(noInfo.Write("noinfo.Pkm"));
    ASSERT_TRUE(WriteFileBytes("garbage.Pkm", {1, 2, 3}));
    std::filesystem::create_directory("x.Pkm");
    WriteModule("other.txt", InfoText("Not a module name", "1,stand,100,"));

    EXPECT_EQ(Listed(), (std::vector<std::pair<std::string, std::string>>{
                            {"Apple", "Twin.PKM"}, {"Apple", "zz.Pkm"}, {"Letters", "letters.Pkm"}, {"Pear", "aa.Pkm"}}));
}

TEST_F(ModuleListTest, AnEmptyFolderListsNothing) { EXPECT_TRUE(Listed().empty()); }

TEST_F(ModuleListTest, RunningOutOfMemoryLeavesNothing) {
    WriteModule("a.Pkm", InfoText("A", "1,stand,100,"));
    WriteModule("b.Pkm", InfoText("B", "1,stand,100,"));
    for (int n = 0; n < 12; n++) {
        if (!InjectAllocFailureAfter(n)) GTEST_SKIP() << "no fault injection on this platform";
        ModuleList list = {0, nullptr};
        int ok = ListModules(kModulePattern, &list);
        InjectAllocFailureAfter(-1);
        if (!ok) {
            EXPECT_EQ(list.count, 0) << n;
        }
        ReleaseModuleList(&list);
    }
}

TEST(ModuleLibraryTest, InUseComparesWithoutRegardToAsciiCase) {
    struct Case {
        const char* fileName;
        const char* modulePath;
        int inUse;
    } cases[] = {
        {"cat.Pkm", "CAT.PKM", 1},
        {"Zippy.Pkm", "Zippy.Pkm", 1},
        {"cat.Pkm", ".\\cat.Pkm", 0},  // a path does not match its bare name
        {"cat.Pkm", "cat.Pkm ", 0},
        {"cat.Pkm", "dog.Pkm", 0},
        {"", "", 1},
        // Second bytes of GBK characters are not letters: 0x81 0x41 and 0x81 0x61 differ.
        {"\x81\x41.Pkm", "\x81\x61.Pkm", 0},
        {"\x81\x41.pkm", "\x81\x41.PKM", 1},
        {"\xD6\xD0.Pkm", "\xD6\xD0", 0},
        {nullptr, "cat.Pkm", 0},
        {"cat.Pkm", nullptr, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsModuleInUse(c.fileName, c.modulePath), c.inUse)
            << (c.fileName ? c.fileName : "(none)") << " / " << (c.modulePath ? c.modulePath : "(none)");
}

TEST(ModuleLibraryTest, TheDeletionQuestionIsBoundedAndCutsWholeCharacters) {
    char out[kDeleteQuestionCapacity];
    EXPECT_EQ(BuildDeleteQuestion("Pebble", out), 1);
    EXPECT_STREQ(out, "您确定要删除“Pebble”组件吗？");
    EXPECT_EQ(BuildDeleteQuestion("", out), 1);
    EXPECT_STREQ(out, "您确定要删除“”组件吗？");

    const std::string start = "您确定要删除“";
    const std::string end = "…”组件吗？";
    struct Case {
        std::string name;
        size_t kept;  // bytes of the name left before the cut mark
    } cases[] = {
        {std::string(300, 'a'), 229},
        {std::string(231, 'b'), 231},    // exactly fits: no cut
        {std::string(232, 'c'), 229},
        {"a" + std::string(300, '\xB0'), 229},  // B0 B0 pairs after one byte: 229 splits none
        {std::string(300, '\xB0'), 228},        // pairs from the start: 229 would split one
        {std::string(228, 'd') + "\xD6\xD0\xD6\xD0", 228},
    };
    for (const Case& c : cases) {
        int whole = BuildDeleteQuestion(c.name.c_str(), out);
        std::string text = out;
        EXPECT_LE(text.size(), kDeleteQuestionCapacity - 1);
        EXPECT_EQ(text.compare(0, start.size(), start), 0);
        if (c.kept == c.name.size()) {
            EXPECT_EQ(whole, 1);
            EXPECT_EQ(text, start + c.name + "”组件吗？");
        } else {
            EXPECT_EQ(whole, 0) << c.name.size();
            EXPECT_EQ(text, start + c.name.substr(0, c.kept) + end) << c.name.size();
        }
    }
    EXPECT_EQ(BuildDeleteQuestion(nullptr, out), 1);
}

}  // namespace
