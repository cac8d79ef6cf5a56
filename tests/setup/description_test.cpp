// Tests of the setup description: the setup folder from the command line, the
// drive substitution, the needed size, and reading Setup.ini.
#include "setup/description.h"
#include "setup/portable/fake_system.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SetupDescription, SetupFolderIsCutAtTheLastBackslashOfTheWholeLine) {
    struct Case {
        const char* commandLine;
        SetupReadResult result;
        const char* folder;
    } cases[] = {
        {"\"E:\\Disk1\\Setup.exe\"", kSetupReady, "E:\\Disk1"},
        {"E:\\Disk1\\Setup.exe", kSetupReady, "E:\\Disk1"},
        // Arguments count: the last backslash may lie in them.
        {"\"E:\\Disk1\\Setup.exe\" /x C:\\Temp\\y", kSetupReady, "E:\\Disk1\\Setup.exe\" /x C:\\Temp"},
        {"Setup.exe", kNoSetupFolder, nullptr},
        {"\"Setup.exe\" -a", kNoSetupFolder, nullptr},
        {"", kNoSetupFolder, nullptr},
        {"\\Setup.exe", kSetupReady, ""},
    };
    for (const Case& c : cases) {
        char folder[kPathSize] = "untouched";
        EXPECT_EQ(CutSetupFolder(c.commandLine, folder, sizeof folder), c.result) << c.commandLine;
        if (c.folder) {
            EXPECT_STREQ(folder, c.folder) << c.commandLine;
        }
    }
}

TEST(SetupDescription, FolderThatWouldNotFitIsAFailureNotACut) {
    std::string line = "\"C:\\" + std::string(kPathSize + 100, 'a') + "\\Setup.exe\"";
    char folder[kPathSize];
    EXPECT_EQ(CutSetupFolder(line.c_str(), folder, sizeof folder), kSetupFailed);
    std::string fits = "C:\\" + std::string(kPathSize - 4, 'a') + "\\S";  // the longest folder that fits
    EXPECT_EQ(CutSetupFolder(fits.c_str(), folder, sizeof folder), kSetupReady);
    EXPECT_EQ(std::string(folder).size(), kPathSize - 1);
}

TEST(SetupDescription, DriveSubstitution) {
    struct Case {
        const char* path;
        const char* result;
    } cases[] = {
        {"?:\\Apps\\X", "D:\\Apps\\X"},
        {"?", "D"},
        {"C:\\Apps\\?", "C:\\Apps\\?"},
        {"??", "D?"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char path[16];
        std::snprintf(path, sizeof path, "%s", c.path);
        SubstituteDrive(path, 'D');
        EXPECT_STREQ(path, c.result);
    }
}

TEST(SetupDescription, NeededSizeFromText) {
    struct Case {
        const char* text;
        int32_t size;
    } cases[] = {
        {"12abc", 12},       {"abc", 0},           {"-5", -5},           {"  \t42", 42},
        {"+7", 7},           {"", 0},              {"- 5", 0},           {"2500000", 2500000},
        {"2147483647", 2147483647}, {"99999999999", 2147483647}, {"-99999999999", INT32_MIN}, {"1 000", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseNeededSize(c.text), c.size) << "'" << c.text << "'";
}

class ReadDescriptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFake();
        Fake().folders.push_back("E:\\Disk1");
        Fake().commandLine = "\"E:\\Disk1\\Setup.exe\"";
        Fake().windowsDrive = 'D';
    }
    void TearDown() override { ResetFake(); }
};

TEST_F(ReadDescriptionTest, ReadsEveryStartUpValue) {
    // GBK, as the file is: texts stay GBK, paths become UTF-8; quotes around a value go.
    Fake().profiles["E:\\Disk1\\Setup.ini"] =
        "[setup]\nproductname=Pet 100%\nDefaultPath= ?:\\Apps\\宠物 \nSetupFiles=DISK1\nDiskSpase=12abc\n"
        "ProductVersion=\"1.0\"\n[LoadModule]\nModule=Zippy.Pkm\n";
    SetupDescription setup{};
    ASSERT_EQ(ReadSetupDescription(&setup), kSetupReady);
    EXPECT_STREQ(setup.setupFolder, "E:\\Disk1");
    EXPECT_EQ(Fake().currentFolder, "E:\\Disk1");
    EXPECT_STREQ(setup.descriptionPath, "E:\\Disk1\\Setup.ini");
    EXPECT_STREQ(setup.productName, "Pet 100%");
    EXPECT_STREQ(setup.installFolder, u8"D:\\Apps\\宠物");
    EXPECT_STREQ(setup.sourceFolder, "DISK1");
    EXPECT_EQ(setup.neededSize, 12);
    EXPECT_STREQ(setup.productVersion, "1.0");
    EXPECT_STREQ(setup.moduleName, "Zippy.Pkm");
    EXPECT_STREQ(setup.title, "Pet 100% 安装");
}

TEST_F(ReadDescriptionTest, MissingFileNameOrPathFails) {
    const char* files[] = {
        nullptr,
        "[Setup]\nDefaultPath=C:\\X\n",
        "[Setup]\nProductName=P\n",
        "[Setup]\nProductName=P\nDefaultPath=\n",
        "[Other]\nProductName=P\nDefaultPath=C:\\X\n",
    };
    for (const char* file : files) {
        Fake().profiles.clear();
        if (file) Fake().profiles["E:\\Disk1\\Setup.ini"] = file;
        SetupDescription setup{};
        EXPECT_EQ(ReadSetupDescription(&setup), kSetupFailed) << (file ? file : "no Setup.ini");
    }
}

TEST_F(ReadDescriptionTest, MissingKeysTakeTheirDefaults) {
    Fake().profiles["E:\\Disk1\\Setup.ini"] = "[Setup]\nProductName=P\nDefaultPath=C:\\X\n";
    SetupDescription setup{};
    ASSERT_EQ(ReadSetupDescription(&setup), kSetupReady);
    EXPECT_STREQ(setup.sourceFolder, "");
    EXPECT_EQ(setup.neededSize, 0);
    EXPECT_STREQ(setup.productVersion, "");
    EXPECT_STREQ(setup.moduleName, "");
}

TEST_F(ReadDescriptionTest, CurrentFolderWithTrailingBackslashLosesIt) {
    // A drive root reads back as "E:\".
    Fake().commandLine = "E:\\Setup.exe";
    Fake().currentFolder = "E:\\";
    Fake().folders.push_back("E:\\");
    Fake().profiles["E:\\Setup.ini"] = "[Setup]\nProductName=P\nDefaultPath=C:\\X\n";
    SetupDescription setup{};
    ASSERT_EQ(ReadSetupDescription(&setup), kSetupReady);
    EXPECT_STREQ(setup.setupFolder, "E:");
    EXPECT_STREQ(setup.descriptionPath, "E:\\Setup.ini");
}

TEST_F(ReadDescriptionTest, NoBackslashMeansNoSetupFolder) {
    Fake().commandLine = "Setup.exe";
    SetupDescription setup{};
    EXPECT_EQ(ReadSetupDescription(&setup), kNoSetupFolder);
}

}  // namespace
