// The uninstaller's test of what lies in its folder.
#include "setup/uninst/owned.h"

#include "setup/text.h"

#include <cstring>

int IsInFolder(const char* path, const char* folder) {
    size_t length = std::strlen(folder);
    if (length == 0 || std::strlen(path) < length || !SamePrefixIgnoringCase(path, folder, length)) return 0;
    return path[length] == 0 || path[length] == '\\';
}
