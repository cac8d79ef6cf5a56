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
