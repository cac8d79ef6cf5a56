// Tests of the loading splash's logic: the display name it shows (malformed
// descriptions included), the missing-module message, and the ticks that
// load the character at the second, start a boot sound and end at the sixth.
#include "mascot/random.h"
#include "mascot/state.h"
#include "modules/character.h"
#include "platform/memory.h"
#include "settings/settings.h"
#include "settings/splash.h"
#include "tests/support/module_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override {
        blocks_ = SysLiveBlocks();
        UserSettings.SndUse = 1;
        splash_ = SplashState{};
    }
    void TearDown() override {
        SplashReleaseSound(&splash_);
        ReleaseCharacter(&RunningCharacter);
        EXPECT_EQ(SysLiveBlocks(), blocks_) << "blocks leaked";
    }
    // The display name read from a module whose info.txt is `info`, or "(none)" / "(no module)".
    std::string NameFrom(const std::string& info) {
        TestCharacter c = MakeTestCharacter();
        c.Put("info.txt", ScrambleText(info));
        EXPECT_TRUE(c.Write("m.Pkm"));
        return Name("m.Pkm");
    }
    std::string Name(const char* module) {
        int noModule = -1;
        char* name = ModuleDisplayName(module, &noModule);
        std::string result = name ? name : noModule ? "(no module)" : "(none)";
        SysFree(name);
        return result;
    }
    ScopedTempDir dir_;
    int64_t blocks_ = 0;
    SplashState splash_ = {};
};

TEST_F(SplashTest, DisplayNameIsTheTextBetweenTheFirstTwoCommas) {
    const struct {
        std::string info;
        std::string name;
    } cases[] = {
        {"0,Zippy,free,", "Zippy"},
        {"0, spaced name ,x", " spaced name "},
        {"0,\r\nbroken,x", "\r\nbroken"},
        {"7,Other version,", "Other version"},  // the version is the loader's business
        {"0,,empty", ""},
        {"0,only one comma", "(none)"},
        {"no comma at all", "(none)"},
        {"", "(none)"},
        {std::string("0,cut\0,after zero,", 19), "(none)"},  // the text ends at its first zero byte
    };
    for (const auto& c : cases) EXPECT_EQ(NameFrom(c.info), c.name) << c.info;
}

TEST_F(SplashTest, NoDescriptionMeansNoModule) {
    EXPECT_EQ(Name("Missing.Pkm"), "(no module)");
    EXPECT_EQ(Name(""), "(no module)");
    EXPECT_EQ(Name(nullptr), "(no module)");
    TestCharacter c = MakeTestCharacter();
    c.Remove("info.txt");
    ASSERT_TRUE(c.Write("bare.Pkm"));
    EXPECT_EQ(Name("bare.Pkm"), "(no module)");
}

TEST_F(SplashTest, MissingModuleMessageQuotesTheName) {
    char out[300];
    MissingModuleMessage(out, sizeof out, "Missing.Pkm");
    EXPECT_STREQ(out, "没有组件文件\"Missing.Pkm\"。");
    MissingModuleMessage(out, sizeof out, "");
    EXPECT_STREQ(out, "没有组件文件\"\"。");
    std::string longName(400, 'n');
    std::memset(out, 'X', sizeof out);
    MissingModuleMessage(out, 64, longName.c_str());
    EXPECT_EQ(std::strlen(out), 63u) << "cut to the buffer";
    EXPECT_EQ(out[64], 'X') << "nothing written past it";
}

TEST_F(SplashTest, LoadsAtTheSecondTickPlaysABootSoundAndEndsAtTheSixth) {
    TestCharacter c = MakeTestCharacter();  // two boot sounds announced
    c.AddSounds("boot", 2);
    c.Put("boot01.snd", Scramble(MakeWave(5)));  // tell the two apart by the RIFF size
    ASSERT_TRUE(c.Write("m.Pkm"));

    // The draw the splash will make after the loader's first-action draw.
    SeedRandom(5);
    NextRandom();
    int32_t expected = NextRandom() % 2;
    SeedRandom(5);

    SplashOpen(&splash_);
    EXPECT_EQ(SplashOnTick(&splash_, "m.Pkm"), SplashTick::kNothing);
    EXPECT_EQ(SplashTryEnd(&splash_), 0) << "a click before loading is ignored";
    EXPECT_EQ(RunningCharacter.modulePath, nullptr);

    EXPECT_EQ(SplashOnTick(&splash_, "m.Pkm"), SplashTick::kLoaded);
    EXPECT_STREQ(RunningCharacter.name, "Tester");
    ASSERT_NE(splash_.bootSound, nullptr);
    EXPECT_EQ(splash_.bootSound[4] == 41, expected == 1) << "boot0" << expected << ".snd";

    for (int tick = 3; tick <= 5; tick++) EXPECT_EQ(SplashOnTick(&splash_, "m.Pkm"), SplashTick::kNothing);
    EXPECT_EQ(SplashOnTick(&splash_, "m.Pkm"), SplashTick::kEnd);
    EXPECT_EQ(SplashTryEnd(&splash_), 1);
    EXPECT_EQ(splash_.bootSound, nullptr) << "the boot sound is stopped and freed";
}

TEST_F(SplashTest, MissingNoOrUnreadableBootSoundsStillLoad) {
    Bytes hugeFormat = MakeWave(4);
    PutLe32(&hugeFormat, 16, 4u << 20);  // a format chunk claiming 4 MiB
    Bytes longData = MakeWave(4);
    PutLe32(&longData, 40, 5);  // a data chunk one byte longer than the entry
    const struct {
        const char* bootCount;
        bool addSounds;
        const Bytes* sound;  // replaces both boot sounds
    } cases[] = {{"0", false, nullptr}, {"2", false, nullptr},    {"-3", false, nullptr},
                 {"0", true, nullptr},  {"2", true, &hugeFormat}, {"2", true, &longData}};
    for (const auto& k : cases) {
        SCOPED_TRACE(std::string(k.bootCount) + (k.sound ? " unreadable" : ""));
        TestCharacter c = MakeTestCharacter();
        c.PutText("info.txt", std::string("0,Tester,x,\r\n64,48,20,30,") + k.bootCount +
                                  ",\r\n1,stand,100,0,0,\r\n0,1,2,3,\r\n1,2,3,4,5,6,7,8,");
        if (k.addSounds) c.AddSounds("boot", 2);
        if (k.sound) {
            c.Put("boot00.snd", Scramble(*k.sound));
            c.Put("boot01.snd", Scramble(*k.sound));
        }
        ASSERT_TRUE(c.Write("m.Pkm"));
        SplashOpen(&splash_);
        SplashOnTick(&splash_, "m.Pkm");
        EXPECT_EQ(SplashOnTick(&splash_, "m.Pkm"), SplashTick::kLoaded);
        EXPECT_EQ(splash_.bootSound, nullptr);
        EXPECT_EQ(SplashTryEnd(&splash_), 1);
        ReleaseCharacter(&RunningCharacter);
    }
}

TEST_F(SplashTest, AFailedLoadEndsTheSplashLeavingNothing) {
    TestCharacter c = MakeTestCharacter();
    c.Remove("palette.tw8");
    ASSERT_TRUE(c.Write("m.Pkm"));
    SplashOpen(&splash_);
    SplashOnTick(&splash_, "m.Pkm");
    EXPECT_EQ(SplashOnTick(&splash_, "m.Pkm"), SplashTick::kLoadFailed);
    EXPECT_EQ(RunningCharacter.modulePath, nullptr);
    EXPECT_EQ(SplashTryEnd(&splash_), 0);
}

}  // namespace
