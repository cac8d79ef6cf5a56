// What the uninstaller may remove: paths inside the install folder, and the
// items of the installed list that pass for the product's.
#pragma once

#include "setup/text.h"

#include <cstddef>

// 1 when `path` is `folder` itself or lies below it (a backslash follows the
// folder's name, and nothing after it climbs out with ".."), ASCII letters
// compared without regard to case. An empty folder owns nothing.
int IsInFolder(const char* path, const char* folder);

// 1 when a listed file name names a file inside the folder it is joined to:
// no drive or root, no part that can mean the parent folder or a device, and
// a last part that is a name. Parts are split at '\' and '/'; as the system
// drops dots and blanks from the end of a part, a part of dots and blanks with
// two dots or more counts as "..", and a last part of dots and blanks (or
// none) names no file. A device is NUL, CON, PRN, AUX, COM1 to COM9 or LPT1
// to LPT9, in any case, with or without an extension.
int StaysInFolder(const char* name);

// 1 when a name joined to a folder leaves it: a part, split at '\' and '/',
// of dots and blanks with two dots or more, or one naming a device (as in
// StaysInFolder).
int ClimbsOutOfFolder(const char* name);

// 1 when `path` names a shell link file (ends in ".lnk", any case).
int IsLinkPath(const char* path);

enum RemovalKind { kRemoveLink, kRemoveFolder, kRemoveFile };

// Removes one thing the uninstaller may remove, or leaves one that turns out
// not to be the product's. Returns 1 when it is gone or stays for good (not
// the product's, or a folder holding the user's files), 0 when it is the
// product's and could not be removed.
typedef int (*RemovalSink)(void* context, RemovalKind kind, const char* path);

// Walks the installed list `folder`\UnInst.lst in the order the uninstaller
// removes things: the listed link files (paths ending in .lnk; where each one
// points is the caller's to ask), the listed folders that lie below one of
// `shellFolders` (the Programs and Startup folders) and hold a listed link,
// then the listed product files that stay inside `folder`, as full paths.
// Other items, items with a part naming a device, and files whose path would
// not fit kPathSize, are passed over. Each section ends at its first missing
// or empty key. Links and files that could not be removed stay listed: the
// list is then rewritten to name only those (its folders and parents kept),
// so that a later run takes them up again. Returns how many could not be
// removed; with none the list is left as it was.
int RemoveListed(const char* folder, const char* const* shellFolders, size_t shellFolderCount, RemovalSink sink,
                 void* context);

// The listed folders that Setup made on the way to `folder` and that hold
// it, deepest first, copied into `out` (at most `capacity`). Returns how many.
size_t ListCreatedParents(const char* folder, char (*out)[kPathSize], size_t capacity);
