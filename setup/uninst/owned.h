// What the uninstaller may remove: paths inside the install folder, and the
// items of the installed list that pass for the product's.
#pragma once

// 1 when `path` is `folder` itself or lies below it (a backslash follows the
// folder's name, and nothing after it climbs out with ".."), ASCII letters
// compared without regard to case. An empty folder owns nothing.
int IsInFolder(const char* path, const char* folder);

// 1 when a listed file name names a file inside the folder it is joined to:
// no drive or root, no part that can mean the parent folder, and a last part
// that is a name. Parts are split at '\' and '/'; as the system drops dots and
// blanks from the end of a part, a part of dots and blanks with two dots or
// more counts as "..", and a last part of dots and blanks (or none) names no file.
int StaysInFolder(const char* name);

// 1 when `path` names a shell link file (ends in ".lnk", any case).
int IsLinkPath(const char* path);

enum RemovalKind { kRemoveLink, kRemoveFolder, kRemoveFile };

// Receives one thing the uninstaller may remove.
typedef void (*RemovalSink)(void* context, RemovalKind kind, const char* path);

// Walks the installed list `folder`\UnInst.lst in the order the uninstaller
// removes things: the listed link files (paths ending in .lnk; where each one
// points is the caller's to ask), the listed folders, then the listed product
// files that stay inside `folder`, as full paths. Other items, and files whose
// path would not fit kPathSize, are passed over. Each section ends at its
// first missing or empty key.
void ListRemovals(const char* folder, RemovalSink sink, void* context);
