// Platform message service: the thread's window messages, for the frame loop.
//
// On Windows PeekMessageW/GetMessageW/DispatchMessageW and
// MsgWaitForMultipleObjects; the portable build keeps a queue that tests fill,
// with messages that arrive at a set time of the portable clock (see
// platform/portable/hooks.h).
#pragma once

#include <cstdint>

enum class MessageResult {
    kNone,     // no message was waiting
    kHandled,  // one message was taken and dispatched
    kQuit,     // the quit message was taken
};

// Handles the next waiting message, if any, without blocking. On kQuit,
// *quitCode receives the quit message's parameter.
MessageResult SysHandleNextMessage(int* quitCode);

// Waits until a message arrives for the thread or `milliseconds` have passed,
// whichever comes first; the message is left for SysHandleNextMessage. Call it
// only after SysHandleNextMessage found nothing: only messages that arrive
// after that end the wait. kWaitForever waits for a message alone, however
// long it takes.
void SysWaitForMessage(uint32_t milliseconds);

constexpr uint32_t kWaitForever = 0xFFFFFFFFu;
