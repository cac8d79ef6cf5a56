// Tests of the help's decision between the help file and the page, and of the
// page's address built from the program's path (GBK paths included).
#include "settings/help.h"
#include "tests/support/module_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(HelpTest, SiblingPathReplacesTheProgramsName) {
    struct Case {
        const char* program;
        const char* expected;
    } cases[] = {
        {"C:\\Zippit\\Zippit.exe", "C:\\Zippit\\Pocopal.hlp"},
        {"C:/a/b/Zippit.exe", "C:/a/b/Pocopal.hlp"},
        {"Zippit.exe", "Pocopal.hlp"},
        {"", "Pocopal.hlp"},
        // 0x95 0x5C is one GBK character whose second byte looks like '\'.
        {"C:\\dir\\\x95\x5C.exe", "C:\\dir\\Pocopal.hlp"},
        {"C:\\\x95\x5C\\Zippit.exe", "C:\\\x95\x5C\\Pocopal.hlp"},
    };
    for (const Case& c : cases) {
        char out[64];
        ASSERT_EQ(SiblingPath(c.program, kHelpFile, out, sizeof out), 1) << c.program;
        EXPECT_STREQ(out, c.expected) << c.program;
    }
    char small[12] = "x";
    EXPECT_EQ(SiblingPath("C:\\Zippit\\Zippit.exe", kHelpFile, small, sizeof small), 0);
    EXPECT_STREQ(small, "") << "a path that does not fit leaves nothing";
}

TEST(HelpTest, PageUrlPointsAtTheContextsAnchor) {
    struct Case {
        const char* program;
        int context;
        const char* expected;
    } cases[] = {
        {"C:\\Program Files\\Zippit\\Zippit.exe", kHelpPersonality,
         "file:///C:/Program%20Files/Zippit/Zippit.html#topic-10"},
        {"C:\\Zippit\\Zippit.exe", kHelpMenu, "file:///C:/Zippit/Zippit.html#topic-1"},
        {"\\\\server\\share\\Zippit.exe", kHelpModules, "file://server/share/Zippit.html#topic-11"},
        {"/opt/zippit/Zippit.exe", kHelpMenu, "file:///opt/zippit/Zippit.html#topic-1"},
        {"D:\\100%#?\\Zippit.exe", kHelpMenu, "file:///D:/100%25%23%3F/Zippit.html#topic-1"},
        // GBK bytes stay; a second byte 0x5C is not a separator.
        {"C:\\\xD6\xD0\x95\x5C\\Zippit.exe", kHelpMenu, "file:///C:/\xD6\xD0\x95\x5C/Zippit.html#topic-1"},
    };
    for (const Case& c : cases) {
        char out[128];
        ASSERT_EQ(HelpPageUrl(c.program, c.context, out, sizeof out), 1) << c.program;
        EXPECT_STREQ(out, c.expected) << c.program;
    }
    char small[24] = "x";
    EXPECT_EQ(HelpPageUrl("C:\\Zippit\\Zippit.exe", kHelpMenu, small, sizeof small), 0);
    EXPECT_STREQ(small, "");
}

TEST(HelpTest, TheHelpFileBesideTheProgramDecides) {
    ScopedTempDir dir;
    std::string program = dir.File("Zippit.exe");
    EXPECT_EQ(ChooseHelpWay(program.c_str()), HelpWay::kPage);
    std::filesystem::create_directory(dir.File(kHelpFile));
    EXPECT_EQ(ChooseHelpWay(program.c_str()), HelpWay::kPage) << "a folder of that name is no help file";
    std::filesystem::remove(dir.File(kHelpFile));
    ASSERT_TRUE(WriteFileBytes(dir.File(kHelpFile), {0x3F, 0x5F}));
    EXPECT_EQ(ChooseHelpWay(program.c_str()), HelpWay::kWinHelp);
    EXPECT_EQ(ChooseHelpWay(dir.File("other\\Zippit.exe").c_str()), HelpWay::kPage);
    EXPECT_EQ(ChooseHelpWay(nullptr), HelpWay::kPage);
}

}  // namespace
