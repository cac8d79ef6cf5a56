// The frame loop: messages first, then a wait until the next frame is due
// that a message cuts short.
#include "mascot/frame_loop.h"

#include "mascot/frame.h"
#include "mascot/state.h"
#include "platform/clock.h"
#include "platform/messages.h"

int32_t FrameWait(uint32_t due, uint32_t now) { return static_cast<int32_t>(due - now); }

int RunFrameLoop() {
    uint32_t nextFrame = SysNow();
    for (;;) {
        int quitCode = 0;
        MessageResult message = SysHandleNextMessage(&quitCode);
        if (message == MessageResult::kQuit) return quitCode;
        if (message == MessageResult::kHandled) continue;

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
