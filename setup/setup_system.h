// Setup's platform services: everything the installer's logic asks of the
// system (command line, folders, file bytes, copies and times, free space,
// shell links, registry values, GBK conversions). setup/win32/ implements them
// with Win32 calls; setup/portable/ keeps an in-memory world for the native
// tests.
//
// Two encodings, whatever the system's code page. Texts are GBK, as stored in
// Setup.ini and in the programs themselves; the windows' code converts them
// with code page 936 where it shows them. Paths (folders, files, links, the
// items of UnInst.lst) are UTF-8 inside Setup, so that a name GBK cannot
// spell (kana, the euro sign, a profile folder such as C:\Users\Ελένη)
// survives: every path and text these calls take or give is UTF-8, and the
// Win32 layer turns it into UTF-16 and back once, at the call. A Setup.ini
// value that is a path or a registry text goes through SysGbkToUtf8 first.
// Every Sys call returns 1 on success and 0 on failure unless it says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

// The whole content of the file `path` into `bytes`. Fails, `bytes` empty,
// when the file cannot be read or holds more than `limit` bytes.
int SysReadFileBytes(const char* path, size_t limit, std::string* bytes);

// Makes `bytes` the whole content of the file `path`, creating it.
int SysWriteFileBytes(const char* path, const std::string& bytes);

// GBK text (code page 936) as UTF-8 into `out` (capacity `size`). Bytes that
// are no GBK character become a replacement character, as the system reads
// them. Returns 0, `out` empty, when the result does not fit.
int SysGbkToUtf8(const char* gbk, char* out, size_t size);

// UTF-8 text as GBK into `out`. Returns 0, `out` empty, when GBK cannot spell
// it exactly or it does not fit.
int SysUtf8ToGbk(const char* utf8, char* out, size_t size);

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
// `name` to `text` (UTF-8; stored as UTF-16, REG_SZ, with its terminating zero).
int SysWriteMachineText(const char* key, const char* name, const char* text);
