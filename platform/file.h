// Platform file service: open, size, positioned read and close of one file.
//
// The module reader needs nothing more than this. A relative path resolves
// against the current directory. On Windows a file is opened for reading with
// read sharing only (no writer may open it meanwhile), as an existing file.
//
// Paths and file names are byte strings. On Windows they are GBK, whatever
// the system's code page, with a four-byte form for the characters GBK cannot
// spell (platform/win32/wide_text.h), and reach the system as UTF-16: any name
// it holds is found, opened, stored and read back unchanged, and a name GBK
// can spell has the bytes and length it always had (the settings' 255-byte
// limit holds as before). Code that walks a path as GBK (a lead byte and the
// byte after it) walks these too. The Windows authoring tools keep the
// system's code page instead, in which their command line comes. The portable
// build takes the bytes as they are.
#pragma once

#include <cstdint>

struct SysFile;  // opaque, owned by whoever opened it

// Opens an existing file for reading. Returns nullptr when it cannot be opened
// (missing, a directory, no access).
SysFile* SysFileOpenRead(const char* path);

// Size of the open file in bytes. Files of 4 GiB or more report 0 and fail.
int SysFileSize(SysFile* file, uint32_t* size);

// Reads up to `length` bytes from byte `offset` into `buffer`; `*got` receives
// the number of bytes read (fewer at the end of the file). Returns 1 when the
// read itself succeeded, 0 on an error.
int SysFileReadAt(SysFile* file, uint32_t offset, void* buffer, uint32_t length, uint32_t* got);

// Closes a file from SysFileOpenRead. A nullptr is ignored.
void SysFileClose(SysFile* file);

// Number of files opened and not yet closed (tests prove every path closes).
int64_t SysLiveFiles();
