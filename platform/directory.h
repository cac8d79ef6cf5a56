// Platform directory service: searching a folder for file names that match a
// wildcard pattern, telling a folder from a file, and deleting a file.
//
// Patterns are a folder part (optional) and a name of '*' and '?' wildcards,
// matched without regard to ASCII letter case, as Windows matches them. The
// names found are bare names, without the folder part. Paths are byte
// strings, as file.h describes; a relative path resolves against the current
// directory.
#pragma once

#include <cstdint>

struct SysFind;  // opaque search, owned by whoever started it

constexpr uint32_t kFoundNameCapacity = 260;  // a found name, NUL included

// Starts a search and puts the first matching name into `name`. Returns the
// search, or nullptr when nothing matches or the folder cannot be read.
// Close it with SysFindClose.
SysFind* SysFindFirst(const char* pattern, char name[kFoundNameCapacity]);

// Puts the next matching name into `name`. Returns 1, or 0 when there is none.
int SysFindNext(SysFind* find, char name[kFoundNameCapacity]);

// Ends a search. A nullptr is ignored.
void SysFindClose(SysFind* find);

// Reads what `path` is. Returns 1 and sets *isDirectory (1 for a folder, 0
// otherwise), or 0 when the path's attributes cannot be read (it does not exist).
int SysPathKind(const char* path, int* isDirectory);

// Deletes a file. Returns 1, or 0 when it cannot be deleted (missing,
// read-only on Windows, a folder).
int SysDeleteFile(const char* path);

// Whether two file names name the same file as the file system compares
// them: on Windows without regard to the case of any letter (cat and CAT, Δ
// and δ, Ａ and ａ); in the portable build, where names are GBK byte strings,
// of ASCII letters only (the second byte of a two-byte character is never
// folded). Returns 0 when either is nullptr. Neither is resolved: a path with
// a folder part does not match its bare name.
int SysSameFileName(const char* a, const char* b);
