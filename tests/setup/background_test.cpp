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

TEST(SetupBackground, BandEdgesInSinglePrecisionForEveryHeight) {
    // The edges worked out apart from the code: a product of two floats is
    // exact in double, so one rounding to float gives the float product that
    // a build keeping floats in wider registers would miss (127 rows: the
    // first band ends at row 2, not 1).
    const float k = 1.0f / 127.0f;
    int wrong = 0;
    for (int height = 1; height <= 2160; height++) {
        float step = static_cast<float>(static_cast<double>(height) * static_cast<double>(k));
        for (int n = 0; n < kBandCount && wrong < 5; n++) {
            float top = static_cast<float>(static_cast<double>(2 * n) * static_cast<double>(step));
            float bottom = static_cast<float>(static_cast<double>(2 * n + 2) * static_cast<double>(step));
            Band band = BackgroundBand(n, height);
            if (band.top == static_cast<int32_t>(top) && band.bottom == static_cast<int32_t>(bottom)) continue;
            ADD_FAILURE() << "height " << height << " band " << n << ": " << band.top << ".." << band.bottom;
            wrong++;
        }
    }
    EXPECT_EQ(BackgroundBand(0, 127).bottom, 2);
}

TEST(SetupBackground, TitleFontHeight) {
    EXPECT_EQ(TitleFontHeight(1024), 32);
    EXPECT_EQ(TitleFontHeight(1920), 60);
    EXPECT_EQ(TitleFontHeight(31), 0);
}

}  // namespace
