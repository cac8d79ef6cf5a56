// Profile (INI) files read and written as the system's profile functions do,
// but byte for byte: Setup.ini keeps its GBK texts and UnInst.lst its GBK and
// UTF-8 sections whatever the system's code page, which would otherwise
// decode them. The file's bytes come from SysReadFileBytes; a missing or
// unreadable file reads as empty.
#pragma once

#include <cstddef>
#include <string>

// Reads [section] key of the profile file `path` into `out` (capacity `size`,
// always terminated). Section and key names match without regard to ASCII
// case; blanks around a key and its value do not count, nor one pair of
// quotes (" or ') around the value; the first of two equal keys counts. A
// missing file, section or key gives `fallback`. A longer value is cut to
// size - 1 bytes.
void ReadProfile(const char* path, const char* section, const char* key, const char* fallback, char* out,
                 size_t size);

// The same, the whole value into `value`. Returns 0, `value` empty, when the
// file, the section or the key is missing.
int ReadProfileValue(const char* path, const char* section, const char* key, std::string* value);

// Writes [section] key = value into the profile file `path`, creating it. A
// key that is there already gets the new value in its place; a new key goes
// to the end of its section, a new section to the end of the file.
int WriteProfile(const char* path, const char* section, const char* key, const char* value);

// Removes [section] with all its keys from the profile file `path` (every
// block of that name).
int DeleteProfileSection(const char* path, const char* section);
