// The personality dialog's confirmation.
#include "settings/personality.h"

#include "platform/sound.h"
#include "settings/settings.h"

void ConfirmPersonality(int32_t sliderPosition, int soundChecked) {
    // The slider never leaves its range; the clamp keeps the setting's
    // invariant whatever a caller hands in.
    if (sliderPosition < kSliderMin) sliderPosition = kSliderMin;
    if (sliderPosition > kSliderMax) sliderPosition = kSliderMax;
    UserSettings.CharActPer = kSliderMirror - sliderPosition;
    UserSettings.SndUse = soundChecked ? 1 : 0;
    SysStopSound();
}
