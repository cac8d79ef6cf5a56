// Win32 message service: peek without removing, then take, translate and
// dispatch; wait for the next message with a time limit.
#include "platform/messages.h"

#include <windows.h>

MessageResult SysHandleNextMessage(int* quitCode) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) return MessageResult::kNone;
    if (!GetMessageW(&message, nullptr, 0, 0)) {
        *quitCode = static_cast<int>(message.wParam);
        return MessageResult::kQuit;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return MessageResult::kHandled;
}

void SysWaitForMessage(uint32_t milliseconds) {
    // Wakes for input of every kind that arrived since the last peek (posted,
    // sent by another thread, input, paint, timer); messages already seen by
    // that peek do not count, which is why the caller peeks first.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds == kWaitForever ? INFINITE : milliseconds, QS_ALLINPUT);
}
