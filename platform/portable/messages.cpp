// Portable message queue: messages that tests post, handled in order, and
// messages that arrive when the portable clock reaches their time.
#include "platform/messages.h"
#include "platform/clock.h"
#include "platform/portable/hooks.h"

#include <cstdio>
#include <cstdlib>
#include <deque>

namespace {

struct QueuedMessage {
    void (*handler)(void* context);  // nullptr: the quit message
    void* context;
    int quitCode;
    uint32_t arrival;  // clock reading at which a scheduled message arrives
};

std::deque<QueuedMessage>& Queue() {
    static std::deque<QueuedMessage> queue;  // messages waiting, oldest first
    return queue;
}

std::deque<QueuedMessage>& Scheduled() {
    static std::deque<QueuedMessage> scheduled;  // messages still to arrive, in posting order
    return scheduled;
}

// Milliseconds from `now` to `time`, taken modulo 2^32 as a signed number.
int32_t Until(uint32_t time, uint32_t now) { return static_cast<int32_t>(time - now); }

// Moves every scheduled message whose time has come into the queue.
void Deliver() {
    uint32_t now = SysNow();
    for (auto it = Scheduled().begin(); it != Scheduled().end();) {
        if (Until(it->arrival, now) <= 0) {
            Queue().push_back(*it);
            it = Scheduled().erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

MessageResult SysHandleNextMessage(int* quitCode) {
    Deliver();
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

void SysWaitForMessage(uint32_t milliseconds) {
    Deliver();
    if (!Queue().empty()) return;
    // The wait ends at the first arrival within it, or when its time is up.
    uint32_t wait = milliseconds;
    for (const QueuedMessage& message : Scheduled()) {
        int32_t until = Until(message.arrival, SysNow());
        if (until > 0 && static_cast<uint32_t>(until) < wait) wait = static_cast<uint32_t>(until);
    }
    // A wait for ever with nothing to come would never end: the test that
    // led here forgot the message that ends it.
    if (wait == kWaitForever) {
        std::fputs("SysWaitForMessage: waits for ever, and no message is to come\n", stderr);
        std::abort();
    }
    SysTestAdvanceClock(wait);
    Deliver();
}

void SysTestPostMessage(void (*handler)(void* context), void* context) { Queue().push_back({handler, context, 0, 0}); }
void SysTestPostQuit(int code) { Queue().push_back({nullptr, nullptr, code, 0}); }

void SysTestPostMessageAt(uint32_t time, void (*handler)(void* context), void* context) {
    Scheduled().push_back({handler, context, 0, time});
}

int SysTestPendingMessages() { return static_cast<int>(Queue().size() + Scheduled().size()); }

void SysTestClearMessageQueue() {
    Queue().clear();
    Scheduled().clear();
}
