// Test hooks of the portable platform layer: fault injection and inspection
// that only the Linux build offers. Product code never includes this header.
#pragma once

#include <cstdint>

// Makes the allocation after the next `n` ones fail (n = 0: the very next
// one). A negative n turns failure injection off again.
void SysTestFailAllocAfter(int n);

// Forgets every key and value of the in-memory key store.
void SysTestKeyStoreClear();

// The stored type and size of a value, for tests that check what a writer
// stored. Returns 0 when the key or value does not exist.
int SysTestKeyInfo(const char* path, const char* name, uint32_t* type, uint32_t* size);

// The message boxes "shown" so far: how many, and the last one's text,
// caption and icon. SysTestClearMessages forgets them.
int SysTestMessageCount();
const char* SysTestLastMessageText();
const char* SysTestLastMessageCaption();
int SysTestLastMessageIcon();  // a MessageIcon value as int
void SysTestClearMessages();
// The answer the next Yes/No message boxes give (kAnswerYes or kAnswerNo).
void SysTestSetMessageAnswer(int answer);
