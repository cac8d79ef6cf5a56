// The frame loop: messages first, then a wait until the next frame is due
// that a message cuts short.
#include "mascot/frame_loop.h"

#include "mascot/frame.h"
#include "mascot/state.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/sound.h"
#include "platform/window.h"

int32_t FrameWait(uint32_t due, uint32_t now) { return static_cast<int32_t>(due - now); }

void StopFrames(uint32_t reason, int stop) {
    if (!stop) {
        FramesStopped &= ~reason;
        return;
    }
    FramesStopped |= reason;
    SysStopSound();
    SysHideWindow(MainWindow);
}

int RunFrameLoop() {
    uint32_t nextFrame = SysNow();
    for (;;) {
        int quitCode = 0;
        MessageResult message = SysHandleNextMessage(&quitCode);
        if (message == MessageResult::kQuit) return quitCode;
        if (message == MessageResult::kHandled) continue;
        if (FramesStopped) {
            // Nothing is shown or heard until a message lifts the stop: no
            // wake-up meanwhile. Then the frame is due at once.
            SysWaitForMessage(kWaitForever);
            nextFrame = SysNow();
            continue;
        }

        uint32_t now = SysNow();
        int32_t wait = FrameWait(nextFrame, now);
        if (wait > 0) {
            // A message that arrives meanwhile is handled at once; the wait
            // then goes on for what remains, so the frame stays where it was due.
            SysWaitForMessage(static_cast<uint32_t>(wait));
            continue;
        }
        // Counted from this frame's start, not from its deadline: a late frame is not caught up.
        const Action* action = RunningCharacter.currentAction;
        nextFrame = now + static_cast<uint32_t>(action->steps[CurrentStepIndex(action)].duration);
        FrameTick();
        if (AfterFrame) AfterFrame();
    }
}
