// The uninstaller's test of what lies in its folder.
#include "setup/uninst/owned.h"

#include "setup/text.h"

#include <cstring>

int IsInFolder(const char* path, const char* folder) {
    size_t length = std::strlen(folder);
    if (length == 0 || std::strlen(path) < length || !SamePrefixIgnoringCase(path, folder, length)) return 0;
    return path[length] == 0 || path[length] == '\\';
}

int StaysInFolder(const char* name) {
    if (!name[0] || name[0] == '\\' || name[0] == '/' || std::strchr(name, ':')) return 0;
    const char* part = name;
    for (;;) {
        size_t length = std::strcspn(part, "\\/");
        if (length == 2 && part[0] == '.' && part[1] == '.') return 0;
        if (!part[length]) return 1;
        part += length + 1;
    }
}

int IsLinkPath(const char* path) {
    size_t length = std::strlen(path);
    return length >= 4 && SameTextIgnoringCase(path + length - 4, ".lnk");
}
