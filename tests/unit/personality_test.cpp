// Tests of the personality dialog's logic: the reversed slider and what its
// confirmation stores.
#include "platform/portable/hooks.h"
#include "settings/personality.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

namespace {

TEST(PersonalityTest, TheSliderShowsCharActPerReversed) {
    struct Case {
        int32_t charActPer;
        int32_t position;
    } cases[] = {{1000, 100}, {550, 550}, {100, 1000}, {700, 400}};
    for (const Case& c : cases) EXPECT_EQ(SliderPositionFor(c.charActPer), c.position) << c.charActPer;
    EXPECT_EQ(SoundBoxChecked(0), 0);
    EXPECT_EQ(SoundBoxChecked(1), 1);
    EXPECT_EQ(SoundBoxChecked(7), 1);
    EXPECT_EQ(SoundBoxChecked(-1), 1);
}

TEST(PersonalityTest, ConfirmingStoresBothValuesAndStopsTheSound) {
    struct Case {
        int32_t position;
        int checked;
        int32_t charActPer;
        int32_t sndUse;
    } cases[] = {
        {1000, 0, 100, 0}, {100, 1, 1000, 1}, {550, 1, 550, 1}, {123, 1, 977, 1},
        {5000, 0, 100, 0},  // out of range: held at the ends
        {-7, 1, 1000, 1},
    };
    for (const Case& c : cases) {
        UserSettings.CharActPer = 0;
        UserSettings.SndUse = 7;
        SysTestResetSounds();
        ConfirmPersonality(c.position, c.checked);
        EXPECT_EQ(UserSettings.CharActPer, c.charActPer) << c.position;
        EXPECT_EQ(UserSettings.SndUse, c.sndUse) << c.position;
        EXPECT_EQ(SysTestSoundStops(), 1) << "a sound still playing is silenced, whatever the box says";
    }
}

}  // namespace
