// Band arithmetic of the installer's background.
#include "setup/background.h"

Band BackgroundBand(int n, int32_t screenHeight) {
    // The step is kept in single precision, as the bands were first drawn;
    // the rows then fall on the same pixels.
    const float k = 1.0f / 127.0f;
    const float step = static_cast<float>(screenHeight) * k;
    Band band;
    band.top = static_cast<int32_t>(static_cast<float>(2 * n) * step);
    band.bottom = static_cast<int32_t>(static_cast<float>(2 * n + 2) * step);
    band.blue = static_cast<uint8_t>(4 + 2 * n);
    return band;
}

int32_t TitleFontHeight(int32_t screenWidth) { return screenWidth / 32; }
