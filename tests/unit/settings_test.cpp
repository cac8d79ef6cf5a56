// Tests of the settings store: defaults, the range rule, sizes that do not fit,
// what a save writes, and the user's key beside the machine's. The same tests
// run against Wine's registry.
#include "platform/keystore.h"
#include "settings/settings.h"
#include "tests/support/module_writer.h"
#include "tests/support/platform_support.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteTestKey(kProductKey);
        ReleaseSettings();
    }
    void TearDown() override {
        DeleteTestKey(kProductKey);
        ReleaseSettings();
    }
    static void Put(const char* name, uint32_t type, const void* data, uint32_t size,
                    KeyRoot root = KeyRoot::kMachine) {
        SysKey* key = SysKeyCreate(kProductKey, root);
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(SysKeyWrite(key, name, type, data, size), 1);
        SysKeyClose(key);
    }
    static void PutText(const char* name, const std::string& text) {
        Put(name, kKeyText, text.data(), static_cast<uint32_t>(text.size()));
    }
    static void PutNumber(const char* name, int32_t value, KeyRoot root = KeyRoot::kMachine) {
        Put(name, kKeyDword, &value, 4, root);
    }
    // A value of the user's product key as text ("" when missing).
    static std::string UserValue(const char* name) {
        SysKey* key = SysKeyOpen(kProductKey, KeyRoot::kUser);
        char buffer[64] = {};
        uint32_t size = sizeof buffer - 1;
        std::string text = SysKeyRead(key, name, buffer, &size) ? std::string(buffer) : "";
        SysKeyClose(key);
        return text;
    }
};

TEST_F(SettingsTest, MissingKeyOrModuleFailsTheLoad) {
    UserSettings.CharActPer = 777;
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_EQ(UserSettings.CharActPer, 777) << "nothing changes when the key is missing";
    EXPECT_STREQ(UserSettings.UserName, "");

    PutNumber("CharActPer", 300);
    PutNumber("SndUse", 0);
    EXPECT_EQ(LoadSettings(), 0);
}

TEST_F(SettingsTest, InstallerKeyAloneLoadsWithDefaults) {
    PutText("Module", "Zippy.Pkm");
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "Zippy.Pkm");
    EXPECT_EQ(UserSettings.CharActPer, 550);
    EXPECT_EQ(UserSettings.SndUse, 1);
    EXPECT_EQ(UserSettings.HideOverFullScreen, 1);
    EXPECT_STREQ(UserSettings.UserName, "********");
}

TEST_F(SettingsTest, PersonalityOutsideItsRangeBecomes550) {
    PutText("Module", "");
    struct Case {
        int32_t stored;
        int32_t loaded;
    } cases[] = {{99, 550}, {0, 550}, {-5, 550}, {100, 100}, {1000, 1000}, {1001, 550}, {640, 640}};
    for (const Case& c : cases) {
        PutNumber("CharActPer", c.stored);
        ASSERT_EQ(LoadSettings(), 1);
        EXPECT_EQ(UserSettings.CharActPer, c.loaded) << c.stored;
    }
    EXPECT_STREQ(UserSettings.Module, "") << "an empty module name loads";
}

TEST_F(SettingsTest, ValuesThatDoNotFitAreUnreadable) {
    PutText("Module", "m.Pkm");
    uint8_t eight[8] = {44, 1, 0, 0, 0, 0, 0, 0};
    Put("CharActPer", kKeyDword, eight, 8);
    Put("SndUse", kKeyBinary, eight, 2);  // too short to be a number
    Put("HideOverFullScreen", kKeyText, "0", 1);
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(UserSettings.CharActPer, 550);
    EXPECT_EQ(UserSettings.SndUse, 1);
    EXPECT_EQ(UserSettings.HideOverFullScreen, 1);

    PutText("Module", std::string(255, 'm'));
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(std::strlen(UserSettings.Module), 255u);
    for (size_t length : {256u, 300u, 5000u}) {
        PutText("Module", std::string(length, 'm'));
        EXPECT_EQ(LoadSettings(), 0) << length;
    }
    // A name of GBK characters is measured in its GBK bytes, as ever: 127
    // two-byte characters and a letter fit, 128 characters do not.
    std::string cats;
    for (int i = 0; i < 127; i++) cats += "猫";
    PutText("Module", cats + "m");
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(UserSettings.Module, cats + "m");
    PutText("Module", cats + "猫");
    EXPECT_EQ(LoadSettings(), 0);
    // A text stored with zero bytes ends at the first of them.
    Put("Module", kKeyText, "ab\0cd", 5);
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "ab");
}

TEST_F(SettingsTest, TheHideKeyIdleMinutesAndSizeFactorAreReadAndNeverWritten) {
    PutText("Module", "m.Pkm");
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(UserSettings.HideHotKey, 0x35A) << "Ctrl+Alt+Z when missing";
    EXPECT_EQ(UserSettings.IdleMinutes, 0);
    EXPECT_EQ(UserSettings.SizeFactor, 1);
    struct Case {
        const char* name;
        int32_t stored;
        int32_t loaded;
    } cases[] = {
        {"HideHotKey", 0, 0},         {"HideHotKey", 0x87B, 0x87B},  // none; Win+F12
        {"HideHotKey", 0x7B, 0x7B},   {"HideHotKey", 0x300, 0x35A},  // F12 alone; modifiers without a key
        {"HideHotKey", 0x135A, 0x35A}, {"HideHotKey", -1, 0x35A},
        {"IdleMinutes", 15, 15},      {"IdleMinutes", -1, 0},
        {"SizeFactor", 4, 4},         {"SizeFactor", 0, 1},           {"SizeFactor", 5, 1},
    };
    for (const Case& c : cases) {
        PutNumber(c.name, c.stored);
        ASSERT_EQ(LoadSettings(), 1);
        int32_t loaded = std::strcmp(c.name, "HideHotKey") == 0    ? UserSettings.HideHotKey
                         : std::strcmp(c.name, "IdleMinutes") == 0 ? UserSettings.IdleMinutes
                                                                   : UserSettings.SizeFactor;
        EXPECT_EQ(loaded, c.loaded) << c.name << " " << c.stored;
    }
    DeleteTestKey(kProductKey);
    PutText("Module", "m.Pkm");
    UserSettings.SizeFactor = 3;
    SaveSettings("m.Pkm");
    uint32_t type = 0;
    uint32_t size = 0;
    for (const char* name : {"HideHotKey", "IdleMinutes", "SizeFactor"})
        EXPECT_FALSE(StoredValueInfo(kProductKey, name, &type, &size)) << name;
}

TEST_F(SettingsTest, SaveWritesTheRunningModuleAndTheNumbersAsHeld) {
    PutText("Module", "Old.Pkm");
    PutNumber("SndUse", 7);
    ASSERT_EQ(LoadSettings(), 1);
    UserSettings.CharActPer = 300;  // as the personality dialog would
    SaveSettings("New.Pkm");

    uint32_t type = 0;
    uint32_t size = 0;
    ASSERT_TRUE(StoredValueInfo(kProductKey, "Module", &type, &size));
    EXPECT_EQ(type, kKeyText);
    EXPECT_EQ(size, 8u) << "text stored with its terminating zero";
    ASSERT_TRUE(StoredValueInfo(kProductKey, "CharActPer", &type, &size));
    EXPECT_EQ(type, kKeyDword);
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(UserSettings.Module, "Old.Pkm") << "the record keeps the start-up module";

    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "New.Pkm");
    EXPECT_EQ(UserSettings.CharActPer, 300);
    EXPECT_EQ(UserSettings.SndUse, 7) << "SndUse is written back as held";

    // Installing again replaces Module only.
    PutText("Module", "Again.Pkm");
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "Again.Pkm");
    EXPECT_EQ(UserSettings.CharActPer, 300);
    EXPECT_EQ(UserSettings.SndUse, 7);

    // HideOverFullScreen is only read: a key without it stays so, and an
    // edit made while the program runs survives the save.
    EXPECT_FALSE(StoredValueInfo(kProductKey, "HideOverFullScreen", &type, &size));
    PutNumber("HideOverFullScreen", 0);
    SaveSettings("New.Pkm");
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_EQ(UserSettings.HideOverFullScreen, 0);
}

TEST_F(SettingsTest, TheKeyWrittenLastComesFirstAndTheOtherFillsTheRest) {
    ScopedTempDir dir;  // where relative module names resolve
    ASSERT_TRUE(WriteFileBytes("User.Pkm", {}));
    PutText("Module", "Machine.Pkm");
    PutNumber("CharActPer", 300);
    PutNumber("HideOverFullScreen", 1);
    PutNumber("SndUse", 0, KeyRoot::kUser);
    PutNumber("HideOverFullScreen", 0, KeyRoot::kUser);
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "Machine.Pkm");
    EXPECT_EQ(UserSettings.SndUse, 0);

    Put("Module", kKeyText, "User.Pkm", 8, KeyRoot::kUser);
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "User.Pkm");
    EXPECT_EQ(UserSettings.CharActPer, 300);

    // A later installation's Module wins over what an exit saved for the
    // user; HideOverFullScreen, which no save writes, is the user's first.
    PutText("Module", "Setup.Pkm");
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "Setup.Pkm");
    EXPECT_EQ(UserSettings.SndUse, 0);
    EXPECT_EQ(UserSettings.HideOverFullScreen, 0);
    // A newer user's Module that names no file gives way to the machine's.
    Put("Module", kKeyText, "Gone.Pkm", 8, KeyRoot::kUser);
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "Setup.Pkm");

    DeleteTestKey(kProductKey);
    Put("Module", kKeyText, "Gone.Pkm", 8, KeyRoot::kUser);
    ASSERT_EQ(LoadSettings(), 1) << "the user's key alone loads";
    EXPECT_STREQ(UserSettings.Module, "Gone.Pkm");
    EXPECT_EQ(UserSettings.CharActPer, 550);
}

TEST_F(SettingsTest, RefusedMachineWritesGoToTheUsersKeyWhichThenStaysCurrent) {
    PutText("Module", "Setup.Pkm");
    if (!RefuseMachineWrites()) GTEST_SKIP() << "only the portable key store refuses on request";
    ScopedTempDir dir;
    ASSERT_TRUE(WriteFileBytes("Chosen.Pkm", {}));
    ASSERT_EQ(LoadSettings(), 1);
    UserSettings.CharActPer = 200;
    UserSettings.SndUse = 0;
    SaveSettings("Chosen.Pkm");
    EXPECT_EQ(UserValue("Module"), "Chosen.Pkm");
    uint32_t type = 0;
    uint32_t size = 0;
    ASSERT_TRUE(StoredValueInfo(kProductKey, "Module", &type, &size));
    EXPECT_EQ(size, 9u) << "the machine's key keeps what Setup wrote";
    UserSettings.CharActPer = 550;
    UserSettings.SndUse = 1;
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "Chosen.Pkm");
    EXPECT_EQ(UserSettings.CharActPer, 200);
    EXPECT_EQ(UserSettings.SndUse, 0);

    // Without a machine key at all the user's key is made.
    DeleteTestKey(kProductKey);
    RefuseMachineWrites();
    SaveSettings("Fresh.Pkm");
    EXPECT_EQ(UserValue("Module"), "Fresh.Pkm");

    // Where the machine takes the writes again, the user's key is written too,
    // or its older values would win at the next start.
    DeleteTestKey(kProductKey);
    Put("Module", kKeyText, "Old.Pkm", 7, KeyRoot::kUser);
    SaveSettings("New.Pkm");
    EXPECT_EQ(UserValue("Module"), "New.Pkm");
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "New.Pkm");

    // A later installation's Module comes first; the next save makes the
    // user's values the latest again, even one that leaves them as they were.
    DeleteTestKey(kProductKey);
    Put("Module", kKeyText, "Chosen.Pkm", 11, KeyRoot::kUser);
    PutNumber("CharActPer", 550, KeyRoot::kUser);
    PutNumber("SndUse", 1, KeyRoot::kUser);
    PutText("Module", "Setup.Pkm");
    RefuseMachineWrites();
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "Setup.Pkm");
    SaveSettings("Chosen.Pkm");
    ASSERT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(UserSettings.Module, "Chosen.Pkm");
}

}  // namespace
