// Tests of the installer's bounded texts: paths that do not fit are refused
// whole, messages are cut on a whole GBK character, '%' in values stays text,
// backslashes are found and case is folded in UTF-8 paths.
#include "setup/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SetupText, PathThatDoesNotFitIsRefusedWhole) {
    char out[8];
    EXPECT_EQ(FormatPath(out, sizeof out, "%s\\%s", "C:", "abc"), 1);
    EXPECT_STREQ(out, "C:\\abc");
    EXPECT_EQ(FormatPath(out, sizeof out, "%s\\%s", "C:", "abcde"), 0) << "7 bytes and the terminator need 8";
    EXPECT_STREQ(out, "");
    EXPECT_EQ(FormatPath(out, sizeof out, "%s\\%s", "C:", "abcd"), 1);
    EXPECT_STREQ(out, "C:\\abcd");
}

TEST(SetupText, PercentInAValueIsPrintedAsItStands) {
    char out[kMessageSize];
    FormatText(out, sizeof out, "%s 安装完成了。", "100%s %d %n");
    EXPECT_STREQ(out, "100%s %d %n 安装完成了。");
}

TEST(SetupText, MessageIsCutOnAWholeGbkCharacter) {
    // "安装" is four GBK bytes; a buffer of 4 holds "a" and one character only.
    char out[4];
    FormatText(out, sizeof out, "a%s", "安装");
    EXPECT_EQ(std::string(out), std::string("a") + "安");
    char tiny[3];
    FormatText(tiny, sizeof tiny, "a%s", "安装");
    EXPECT_STREQ(tiny, "a") << "no dangling lead byte";
}

TEST(SetupText, CopyTextRefusesWhatDoesNotFit) {
    char out[4];
    EXPECT_EQ(CopyText(out, sizeof out, "abc"), 1);
    EXPECT_EQ(CopyText(out, sizeof out, "abcd"), 0);
    EXPECT_STREQ(out, "");
}

TEST(SetupText, BackslashesAreFoundInUtf8Paths) {
    // "あ" is E3 81 82: no byte of it, read as a lead byte, hides the backslash behind it.
    const char path[] = u8"C:\\あ\\c";
    EXPECT_EQ(NextBackslash(path + 3), path + 6);
    EXPECT_EQ(LastBackslash(path), path + 6);
    EXPECT_EQ(LastBackslash("no folder"), nullptr);
}

TEST(SetupText, CaseIsFoldedForAsciiOnly) {
    struct Case {
        const char* a;
        const char* b;
        int same;
    } cases[] = {
        {"C:\\Program Files\\Zippit", "c:\\PROGRAM FILES\\zippit", 1},
        {"abc", "abcd", 0},
        {"", "", 1},
        {u8"C:\\あA", u8"c:\\あa", 1},
        {u8"Ä", u8"ä", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(SameTextIgnoringCase(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
