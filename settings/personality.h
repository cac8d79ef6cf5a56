// The personality and sound settings as the personality dialog shows them:
// a slider from 100 to 1000 whose position p stands for CharActPer 1100 - p
// (the calm end on the left is 1000, the noisy end on the right is 100), and
// a sound check box.
#pragma once

#include <cstdint>

constexpr int32_t kSliderMin = 100;
constexpr int32_t kSliderMax = 1000;
constexpr int32_t kSliderStep = 100;  // page and line size
constexpr int32_t kSliderMirror = 1100;

// The slider position that shows `charActPer`.
constexpr int32_t SliderPositionFor(int32_t charActPer) { return kSliderMirror - charActPer; }

// The check box shows sound on for any SndUse other than 0.
constexpr int SoundBoxChecked(int32_t sndUse) { return sndUse != 0 ? 1 : 0; }

// The dialog's confirmation: sets UserSettings.CharActPer to 1100 minus
// `sliderPosition` (kept within 100..1000) and SndUse to 1 or 0 from the box,
// and stops any sound that is playing. Nothing is saved until shutdown.
void ConfirmPersonality(int32_t sliderPosition, int soundChecked);
