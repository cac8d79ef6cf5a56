// The frame loop: the mascot program's main loop. It handles every waiting
// window message first and, when none waits, waits until the current step
// has been shown for its duration, then runs one frame. A message that
// arrives during the wait is handled at once and the wait resumes for the
// time that remains, so the frames keep their moments. Nothing else paces the
// animation: no timer, no second thread. While the frames are stopped (hidden
// by the user, the session locked, the display off) it waits for messages
// alone.
#pragma once

#include <cstdint>

// Runs until the quit message arrives; returns its parameter. While the
// frames are stopped (FramesStopped) it only handles messages, waiting for
// them without a time limit; the first frame after the last stop is lifted
// runs at once.
int RunFrameLoop();

// Stops the frames for `reason` (one of the kStoppedBy bits of state.h) when
// `stop` is non-zero, hiding the character and stopping its sound; else lifts
// that reason, and the frames go on when none is left.
void StopFrames(uint32_t reason, int stop);

// The wait before a frame due at `due` when the clock reads `now`: the
// difference taken modulo 2^32 as a signed number, so a wrapping clock
// neither skips the wait nor makes it endless. Zero or less: due.
int32_t FrameWait(uint32_t due, uint32_t now);
