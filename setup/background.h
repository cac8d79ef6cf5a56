// Geometry of the installer's background: 64 horizontal blue bands over the
// screen height, dark at the top, and the title font's height.
#pragma once

#include <cstdint>

constexpr int kBandCount = 64;

struct Band {
    int32_t top;     // first row
    int32_t bottom;  // row after the last
    uint8_t blue;    // blue level of the band's solid colour (red and green are 0)
};

// Band `n` (0 at the top) for a screen `screenHeight` pixels high. Band n spans
// two of 128 steps of height/127 each, so the bands reach at least to the
// bottom; levels run 4, 6, ..., 130.
Band BackgroundBand(int n, int32_t screenHeight);

// Height of the title font for a screen `screenWidth` pixels wide.
int32_t TitleFontHeight(int32_t screenWidth);
