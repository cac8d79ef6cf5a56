// What the uninstaller may remove: paths inside the install folder.
#pragma once

// 1 when `path` is `folder` itself or lies below it (a backslash follows the
// folder's name), ASCII letters compared without regard to case. An empty
// folder owns nothing.
int IsInFolder(const char* path, const char* folder);
