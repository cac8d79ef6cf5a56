// GBK (code page 936) byte strings: where characters begin and end, so texts
// are cut and searched without splitting a two-byte character.
#pragma once

#include <cstdint>

// A byte that starts a two-byte character (0x81 to 0xFE); the byte after it
// belongs to the same character, whatever its value (it may look like '\\' or
// a Latin letter).
constexpr bool IsGbkLead(uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }

// Bytes taken by the character at `text` (1 or 2; a lead byte right before
// the end of the text counts alone). 0 at the end of the text.
uint32_t GbkCharLength(const char* text);

// The length of the longest start of `text` of at most `limit` bytes that
// ends on a character boundary.
uint32_t GbkFitLength(const char* text, uint32_t limit);

// Index of the last `c` (an ASCII byte) that is a character of its own and not
// the second byte of a two-byte character; -1 when there is none.
int64_t GbkFindLast(const char* text, char c);
