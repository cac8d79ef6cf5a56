// Portable message queue: messages that tests post, handled in order.
#include "platform/messages.h"
#include "platform/portable/hooks.h"

#include <deque>

namespace {

struct QueuedMessage {
    void (*handler)(void* context);  // nullptr: the quit message
    void* context;
    int quitCode;
};

std::deque<QueuedMessage>& Queue() {
    static std::deque<QueuedMessage> queue;  // messages waiting, oldest first
    return queue;
}

}  // namespace

MessageResult SysHandleNextMessage(int* quitCode) {
    if (Queue().empty()) return MessageResult::kNone;
    QueuedMessage message = Queue().front();
    Queue().pop_front();
    if (!message.handler) {
        *quitCode = message.quitCode;
        return MessageResult::kQuit;
    }
    message.handler(message.context);
    return MessageResult::kHandled;
}

void SysTestPostMessage(void (*handler)(void* context), void* context) { Queue().push_back({handler, context, 0}); }
void SysTestPostQuit(int code) { Queue().push_back({nullptr, nullptr, code}); }
int SysTestPendingMessages() { return static_cast<int>(Queue().size()); }
void SysTestClearMessageQueue() { Queue().clear(); }
