// Tests of the background's band arithmetic and title font height.
#include "setup/background.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupBackground, BandsOfA768PixelScreen) {
    struct Case {
        int n, top, bottom, blue;
    } cases[] = {{0, 0, 12, 4}, {1, 12, 24, 6}, {63, 761, 774, 130}};
    for (const Case& c : cases) {
        Band band = BackgroundBand(c.n, 768);
        EXPECT_EQ(band.top, c.top) << c.n;
        EXPECT_EQ(band.bottom, c.bottom) << c.n;
        EXPECT_EQ(band.blue, c.blue) << c.n;
    }
}

TEST(SetupBackground, BandsTileTheWholeScreen) {
    for (int height : {1, 200, 480, 600, 768, 1080, 1200, 2160}) {
        EXPECT_EQ(BackgroundBand(0, height).top, 0);
        for (int n = 1; n < kBandCount; n++)
            EXPECT_EQ(BackgroundBand(n, height).top, BackgroundBand(n - 1, height).bottom) << height << " " << n;
        EXPECT_GE(BackgroundBand(kBandCount - 1, height).bottom, height) << height;
    }
}

TEST(SetupBackground, TitleFontHeight) {
    EXPECT_EQ(TitleFontHeight(1024), 32);
    EXPECT_EQ(TitleFontHeight(1920), 60);
    EXPECT_EQ(TitleFontHeight(31), 0);
}

}  // namespace
