// Platform key-store service: the machine-wide configuration keys.
//
// On Windows this is the registry under HKEY_LOCAL_MACHINE. The portable build
// keeps the keys in memory, with the same rules: a value too big for the
// reader's buffer is unreadable, and a text is stored with exactly the byte
// count the writer gives (no terminating zero is added).
#pragma once

#include <cstdint>

struct SysKey;  // opaque, owned by whoever opened it

constexpr uint32_t kKeyText = 1;   // REG_SZ
constexpr uint32_t kKeyBinary = 3;  // REG_BINARY
constexpr uint32_t kKeyDword = 4;   // REG_DWORD

// Opens an existing key by its path (backslash-separated, below the machine
// root). Returns nullptr when the key does not exist.
SysKey* SysKeyOpen(const char* path);

// Opens a key, creating it and every missing key above it. Returns nullptr
// when that is refused.
SysKey* SysKeyCreate(const char* path);

// Reads a value's data into `buffer`, whose capacity is `*size` bytes. On
// success returns 1 and sets `*size` to the stored byte count. Returns 0, and
// leaves the buffer's contents undefined, when the value is missing or its data
// does not fit. The stored type is not examined.
int SysKeyRead(SysKey* key, const char* name, void* buffer, uint32_t* size);

// Writes a value of `type` with exactly `size` bytes of `data`. Returns 1 on success.
int SysKeyWrite(SysKey* key, const char* name, uint32_t type, const void* data, uint32_t size);

// Closes a key from SysKeyOpen or SysKeyCreate. A nullptr is ignored.
void SysKeyClose(SysKey* key);
