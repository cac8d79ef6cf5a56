// Platform message service: the thread's window messages, for the frame loop.
//
// On Windows PeekMessageA/GetMessageA/DispatchMessageA; the portable build
// keeps a queue that tests fill (see platform/portable/hooks.h).
#pragma once

enum class MessageResult {
    kNone,     // no message was waiting
    kHandled,  // one message was taken and dispatched
    kQuit,     // the quit message was taken
};

// Handles the next waiting message, if any, without blocking. On kQuit,
// *quitCode receives the quit message's parameter.
MessageResult SysHandleNextMessage(int* quitCode);
