// Tests of the install-options dialog's texts and decisions: heading and
// megabytes, Question flags, the space check and the drive root.
#include "setup/dialog_logic.h"
#include "setup/portable/fake_system.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

SetupDescription Product(const char* name, const char* version, int32_t needed) {
    SetupDescription setup{};
    std::strcpy(setup.productName, name);
    std::strcpy(setup.productVersion, version);
    setup.neededSize = needed;
    return setup;
}

TEST(SetupDialogTexts, HeadingWithAndWithoutVersion) {
    char text[kMessageSize];
    SetupDescription plain = Product("P", "", 2500000);
    MakeHeading(&plain, text);
    EXPECT_STREQ(text, "P 安装。                \n安装需要约 2 MB的磁盘空间容量。");
    SetupDescription versioned = Product("P", "1.0", 999999);
    MakeHeading(&versioned, text);
    EXPECT_STREQ(text, "P Version 1.0 安装。\n安装需要约 0 MB的磁盘空间容量。");
    SetupDescription negative = Product("P", "", -2500000);
    MakeHeading(&negative, text);
    EXPECT_NE(std::strstr(text, "约 -2 MB"), nullptr) << "truncated toward zero";
}

TEST(SetupDialogTexts, CaptionInstructionAndCompletion) {
    char text[kMessageSize];
    SetupDescription setup = Product("Pet %s", "", 0);
    MakeDialogCaption(&setup, text);
    EXPECT_STREQ(text, "Pet %s 的安装");
    MakeInstruction(&setup, text);
    EXPECT_STREQ(text, "Pet %s 选择一个文件夹来安装，              \n请按确定按钮。            \n开始安装。");
    MakeCompletionMessage(&setup, text);
    EXPECT_STREQ(text, "Pet %s 安装完成了。");
}

TEST(SetupDialogTexts, LongestValuesStayInTheMessageBuffer) {
    SetupDescription setup = Product("", "", 0);
    std::memset(setup.productName, 'n', kValueSize - 1);
    std::memset(setup.productVersion, 'v', kValueSize - 1);
    char text[kMessageSize];
    MakeHeading(&setup, text);
    EXPECT_EQ(std::strlen(text), kMessageSize - 1);
}

TEST(SetupQuestionFlags, LettersApplyLeftToRight) {
    struct Case {
        const char* flags;
        int setsCheck, checked, disables;
    } cases[] = {
        {"G", 0, 0, 1},  {"", 0, 0, 0},   {"CG", 1, 1, 1}, {"C", 1, 1, 0},  {"CN", 1, 0, 0},
        {"NC", 1, 1, 0}, {"cgn", 0, 0, 0}, {"xGx", 0, 0, 1}, {"GC", 1, 1, 1}, {"N", 1, 0, 0},
    };
    for (const Case& c : cases) {
        QuestionEffect effect = ReadQuestionFlags(c.flags);
        EXPECT_EQ(effect.setsCheck, c.setsCheck) << c.flags;
        if (c.setsCheck) {
            EXPECT_EQ(effect.checked, c.checked) << c.flags;
        }
        EXPECT_EQ(effect.disables, c.disables) << c.flags;
    }
}

TEST(SetupSpace, FreeBytesDoNotWrapAround) {
    EXPECT_EQ(FreeBytes(8, 512, 1000), 4096000u);
    // More than 4 GiB: 64 * 4096 * 2^20 = 2^38.
    EXPECT_EQ(FreeBytes(64, 4096, 1u << 20), 1ull << 38);
    EXPECT_EQ(FreeBytes(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu), UINT64_MAX);
    EXPECT_EQ(FreeBytes(0, 512, 100), 0u);
}

TEST(SetupSpace, NeededSizeIsComparedUnsigned) {
    struct Case {
        uint64_t free;
        int32_t needed;
        int enough;
    } cases[] = {
        {0, 0, 1},
        {0, 1, 0},
        {1000, 1000, 1},
        {999, 1000, 0},
        {1ull << 38, INT32_MAX, 1},
        {1ull << 31, -1, 0},            // -1 asks for 4294967295 bytes
        {0xFFFFFFFFull, -1, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(EnoughSpace(c.free, c.needed), c.enough) << c.free << " " << c.needed;
}

TEST(SetupSpace, DriveRootAndItsFreeSpace) {
    ResetFake();
    Fake().drives["D:\\"] = FakeDrive{8, 512, 1000};
    char root[4];
    DriveRoot("D:\\Apps\\X", root);
    EXPECT_STREQ(root, "D:\\");
    DriveRoot("D:", root);
    EXPECT_STREQ(root, "D:");
    EXPECT_EQ(InstallDriveFreeSpace("D:\\Apps\\X"), 4096000u);
    EXPECT_EQ(InstallDriveFreeSpace("\\\\server\\share"), 0u) << "the system cannot tell: 0";
    EXPECT_EQ(InstallDriveFreeSpace(""), 0u);
    ResetFake();
}

}  // namespace
