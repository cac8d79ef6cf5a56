// Platform key-store service: the configuration keys of the machine and of
// the user.
//
// On Windows this is the registry under HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER. The portable build keeps the keys in memory, with the
// same rules: a value too big for the reader's buffer is unreadable, and a
// text is stored with exactly the byte count the writer gives (no terminating
// zero is added), and each key keeps the time of its last write from a
// counter of the store's own that moves one step per write, so runs are
// reproducible. Its test hook can refuse writes below the machine root, as
// Windows does for a standard account (see platform/portable/hooks.h).
//
// Texts are byte strings as file names are (platform/file.h). On Windows a
// text value is stored as the system stores texts, UTF-16, one unit for each
// character of the bytes given; a text value (REG_SZ and its kin, whoever
// wrote it) reads back as those bytes, and its size and fit are theirs.
#pragma once

#include <cstdint>

struct SysKey;  // opaque, owned by whoever opened it

constexpr uint32_t kKeyText = 1;   // REG_SZ
constexpr uint32_t kKeyBinary = 3;  // REG_BINARY
constexpr uint32_t kKeyDword = 4;   // REG_DWORD

// The two trees of keys: the machine's, shared by every account (and by the
// installer), and the running user's own.
enum class KeyRoot { kMachine, kUser };

// Opens an existing key by its path (backslash-separated, below `root`).
// Returns nullptr when the key does not exist.
SysKey* SysKeyOpen(const char* path, KeyRoot root = KeyRoot::kMachine);

// Opens a key for writing, creating it and every missing key above it.
// Returns nullptr when that is refused.
SysKey* SysKeyCreate(const char* path, KeyRoot root = KeyRoot::kMachine);

// Reads a value's data into `buffer`, whose capacity is `*size` bytes. On
// success returns 1 and sets `*size` to the stored byte count. Returns 0, and
// leaves the buffer's contents undefined, when the value is missing or its data
// does not fit. The stored type is not examined.
int SysKeyRead(SysKey* key, const char* name, void* buffer, uint32_t* size);

// Writes a value of `type` with exactly `size` bytes of `data`. Returns 1 on
// success, 0 when the write is refused. A write of the type and bytes the
// value holds already changes nothing, not even the key's write time.
int SysKeyWrite(SysKey* key, const char* name, uint32_t type, const void* data, uint32_t size);

// When the key was made or one of its values last written, as a number that a
// later write to any key of either root never makes smaller (on Windows the
// registry's last-write time, whose clock may give two writes close together
// the same number). Returns 1 and sets `*time`, or 0 when the time cannot be
// read (a nullptr key included); `*time` is then untouched.
int SysKeyWriteTime(SysKey* key, uint64_t* time);

// Closes a key from SysKeyOpen or SysKeyCreate. A nullptr is ignored.
void SysKeyClose(SysKey* key);
