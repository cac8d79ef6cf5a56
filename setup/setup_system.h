// Setup's platform services: everything the installer's logic asks of the
// system (command line, folders, the profile reader, file copies and times,
// free space, shell links, registry values). setup/win32/ implements them with
// Win32 calls; setup/portable/ keeps an in-memory world for the native tests.
//
// Paths and texts are byte strings in the system code page (GBK). Every Sys
// call returns 1 on success and 0 on failure unless it says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

// The process command line as the system hands it over (never nullptr).
const char* SysCommandLine();

// Makes `folder` the current directory.
int SysSetCurrentFolder(const char* folder);

// Copies the current directory into `out` (capacity `size`, terminated).
// Returns 0, leaving `out` empty, when it does not fit.
int SysGetCurrentFolder(char* out, size_t size);

// First character of the Windows directory (the system drive letter), or 0
// when it cannot be read.
char SysWindowsDrive();

// Reads [section] key of the profile file `path` into `out` (capacity `size`,
// always terminated). Section and key match without regard to case; a missing
// file, section or key gives `fallback`. A longer value is cut to size - 1 bytes.
void SysReadProfile(const char* path, const char* section, const char* key, const char* fallback, char* out,
                    size_t size);

// Writes [section] key = value into the profile file `path`, creating it.
int SysWriteProfile(const char* path, const char* section, const char* key, const char* value);

// Creates one folder; fails when it exists already or its parent is missing.
int SysCreateFolder(const char* path);

// 1 when a file or folder exists at `path`.
int SysPathExists(const char* path);

// Last-write time of a file, in 100-nanosecond ticks since 1601 (UTC).
// Fails when the file cannot be opened.
int SysFileWriteTime(const char* path, uint64_t* ticks);

// Copies `from` over `to`, replacing it when it exists.
int SysCopyFile(const char* from, const char* to);

// Gives a file the archive attribute alone (no read-only, hidden or system).
int SysSetArchiveOnly(const char* path);

// Free space of the drive whose root is `root` (such as "D:\"), as the three
// counts the system reports. Fails when the drive cannot be asked.
int SysDriveSpace(const char* root, uint32_t* sectorsPerCluster, uint32_t* bytesPerSector, uint32_t* freeClusters);

// Creates or replaces the shell link `link` to `target` with `arguments` and
// the working folder `folder`.
int SysMakeShellLink(const char* link, const char* target, const char* arguments, const char* folder);

// Creates or opens the machine-wide registry key `key` and sets its text value
// `name` to `text`, stored with exactly the text's length (no terminating zero).
int SysWriteMachineText(const char* key, const char* name, const char* text);
