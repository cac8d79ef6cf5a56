// Bounded texts of the installer: every path and message is built into a
// caller's fixed buffer, and values read from Setup.ini only ever fill %s
// slots of our own formats, so a '%' inside a value is printed as it stands.
// Paths are UTF-8 and texts GBK (see setup_system.h); the path functions
// below work on bytes, as no byte of a UTF-8 character is '\' or a letter.
#pragma once

#include <cstddef>

constexpr size_t kValueSize = 512;    // a value read from Setup.ini (GBK), terminator included
constexpr size_t kPathSize = 1024;    // a path (UTF-8), terminator included: a value's 511 GBK bytes fit
constexpr size_t kMessageSize = 1024;  // a message or control text, terminator included

// Fills `out` (capacity `size`) from `format`. Returns 1 when the whole result
// fits; returns 0 and leaves `out` empty when it does not. For paths: a path
// that would not fit is never used cut short.
int FormatPath(char* out, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Fills `out` (capacity `size`) from `format`. A result that does not fit is
// cut at the last whole GBK character that fits, so no lead byte is left
// dangling. For texts shown to the user, where a shortened line does no harm.
void FormatText(char* out, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Length of the longest prefix of `text` (at most `limit` bytes) that ends on
// a whole GBK character.
size_t GbkPrefixLength(const char* text, size_t limit);

// Copies `text` into `out` (capacity `size`). Returns 0, leaving `out` empty,
// when it does not fit.
int CopyText(char* out, size_t size, const char* text);

// 1 when `a` and `b` are equal, ASCII letters compared without regard to
// case (as the file system compares names).
int SameTextIgnoringCase(const char* a, const char* b);

// 1 when the first `length` bytes of `a` and `b` are equal, compared the same way.
int SamePrefixIgnoringCase(const char* a, const char* b, size_t length);

// The first backslash from `from` on, or nullptr.
const char* NextBackslash(const char* from);

// The last backslash of `text`, or nullptr.
const char* LastBackslash(const char* text);

// The full path the system makes of `path` with `current` as the current
// folder (a full path such as "C:\Work"): '/' is read as '\', a path without
// a drive or root is joined to `current`, "X:name" to `current` when that is
// on drive X and to the root of X otherwise, "\name" to the root of
// `current`; runs of backslashes count as one, "." parts go, ".." parts take
// the part before them away (never the root), and dots and blanks at the end
// of the last part go. A trailing backslash stays. Returns 0, `out` empty,
// when the result does not fit `size` or `current` is needed but not full.
int ResolveFullPath(const char* path, const char* current, char* out, size_t size);

// 1 when `path` is rooted: a drive letter, a colon and a backslash ("D:\x"),
// or two backslashes in front (a UNC path "\\server\share"); '/' counts as
// '\'. A relative path (".", "Apps\X"), one relative to the current folder's
// root ("\Apps") or to a drive's current folder ("D:Apps", "D:") is not.
int IsRootedPath(const char* path);
