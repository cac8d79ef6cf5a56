// Whole-factor scaling of a character for high-DPI monitors: pixels are
// repeated (nearest neighbour, never smoothed), and every distance a module
// gives (cel sizes, region rectangles, anchors, step offsets, canvas and
// margins) is multiplied, so the frame tick and behaviour run unchanged.
#pragma once

#include "modules/action.h"

#include <cstdint>

// The factor for a monitor of `dpi` dots per inch: 1 below 144, 2 from 144
// to 239, 3 from 240, and one more for every further 96. Never below 1.
int32_t ScaleForDpi(int32_t dpi);

// `value` times `factor`, held to -kCoordinateLimit .. kCoordinateLimit.
int32_t ScaleDistance(int32_t value, int32_t factor);

// Multiplies a loaded action in place by `factor`: each cel's picture
// becomes a new bitmap `factor` times as wide and high, its region's
// rectangles and bounds are multiplied, and so are the anchors and the
// steps' offsets (durations stay). A factor of 1 or less changes nothing.
// Returns 1; or 0 when a scaled cel would be too large for a bitmap or no
// memory is left, leaving the action untouched.
int ScaleAction(Action* action, int32_t factor);

// LoadAction, then ScaleAction when `factor` is above 1. Returns the action
// (release with ReleaseAction), or nullptr leaving nothing allocated.
Action* LoadScaledAction(const char* modulePath, const char* actionName, int32_t factor, int keepSounds);
