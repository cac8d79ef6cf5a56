// What the uninstaller may remove: paths inside the install folder.
#pragma once

// 1 when `path` is `folder` itself or lies below it (a backslash follows the
// folder's name), ASCII letters compared without regard to case. An empty
// folder owns nothing.
int IsInFolder(const char* path, const char* folder);

// 1 when a listed file name stays inside the folder it is joined to: not
// empty, no drive or root, no ".." part (parts are split at '\' and '/').
int StaysInFolder(const char* name);

// 1 when `path` names a shell link file (ends in ".lnk", any case).
int IsLinkPath(const char* path);
