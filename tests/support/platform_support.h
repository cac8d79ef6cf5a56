// Test support with one implementation per platform: fault injection and
// inspection of the key store, so the same tests run natively and under Wine.
#pragma once

#include <cstdint>

// Makes the allocation after the next `n` ones fail (n < 0: off). Returns
// false where the platform layer cannot inject failures (Windows): the test skips.
bool InjectAllocFailureAfter(int n);

// Removes a key and everything in it, below the machine root and below the
// user's, where present; machine writes are allowed again.
void DeleteTestKey(const char* path);

// Refuses writes below the machine root, as for a standard account. Returns
// false where the platform cannot (Windows): the test skips.
bool RefuseMachineWrites();

// The stored type and byte count of a value; false when it does not exist.
bool StoredValueInfo(const char* path, const char* name, uint32_t* type, uint32_t* size);

// Message boxes recorded instead of shown. Returns false where the platform
// shows them for real (Windows): tests that would open one skip there.
bool MessagesAreRecorded();
int RecordedMessageCount();
const char* LastMessageText();
const char* LastMessageCaption();
int LastMessageIcon();
void ClearRecordedMessages();
