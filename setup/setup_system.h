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

// Writes [section] key = value into the profile file `path`, creating it. A
// key that is there already gets the new value in its place; a new key goes
// to the end of its section, a new section to the end of the file.
int SysWriteProfile(const char* path, const char* section, const char* key, const char* value);

// Removes [section] with all its keys from the profile file `path`.
int SysDeleteProfileSection(const char* path, const char* section);

// 1 when `byte` starts a double-byte character in the system code page (its
// second byte may then be 0x5C and is no backslash).
int SysIsLeadByte(unsigned char byte);

// The full path the system makes of `path`: relative to the current folder,
// '/' read as '\', runs of backslashes, "." and ".." resolved. Returns 0,
// `out` empty, when it fails or does not fit `size`.
int SysFullPath(const char* path, char* out, size_t size);

// `path`, a full path, with the long names of its folders and file: an 8.3
// short name of an existing part takes its long form; parts that do not
// exist yet stay as they are. Returns 0, `out` empty, when it does not fit.
int SysLongPath(const char* path, char* out, size_t size);

// 1 when `a` and `b` both exist and are one and the same file, however each
// is spelt (another case, a short name, another drive mapped to the folder).
int SysSameFile(const char* a, const char* b);

// Creates one folder; fails when it exists already or its parent is missing.
int SysCreateFolder(const char* path);

// 1 when a file or folder exists at `path`.
int SysPathExists(const char* path);

// Last-write time of a file, in 100-nanosecond ticks since 1601 (UTC).
// Fails when the file cannot be opened.
int SysFileWriteTime(const char* path, uint64_t* ticks);

// Copies `from` over `to`, replacing it when it exists. Keeps the source's
// last-write time. A copy that fails may leave a part of the file at `to`.
int SysCopyFile(const char* from, const char* to);

// Moves the file `from` to `to` in one step, replacing a file at `to`; on
// failure both stay as they were.
int SysReplaceFile(const char* from, const char* to);

// Deletes a file.
int SysDeleteFile(const char* path);

// Gives a file the archive attribute alone (no read-only, hidden or system).
int SysSetArchiveOnly(const char* path);

// Free space of the drive whose root is `root` (such as "D:\"), as the three
// counts the system reports. Fails when the drive cannot be asked.
int SysDriveSpace(const char* root, uint32_t* sectorsPerCluster, uint32_t* bytesPerSector, uint32_t* freeClusters);

// Creates or replaces the shell link `link` to `target` with `arguments` and
// the working folder `folder`.
int SysMakeShellLink(const char* link, const char* target, const char* arguments, const char* folder);

// Creates or opens the machine-wide registry key `key` and sets its text value
// `name` to `text` (REG_SZ), stored with its terminating zero.
int SysWriteMachineText(const char* key, const char* name, const char* text);
