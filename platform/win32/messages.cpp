// Win32 message service: peek without removing, then take, translate and dispatch.
#include "platform/messages.h"

#include <windows.h>

MessageResult SysHandleNextMessage(int* quitCode) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return MessageResult::kNone;
    if (!GetMessageA(&message, nullptr, 0, 0)) {
        *quitCode = static_cast<int>(message.wParam);
        return MessageResult::kQuit;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return MessageResult::kHandled;
}
