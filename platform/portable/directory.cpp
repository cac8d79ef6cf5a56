// Portable directory service over POSIX opendir/readdir, stat and unlink,
// matching names as Windows does: '*' and '?' without regard to ASCII case.
#include "platform/directory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

struct SysFind {
    DIR* folder;
    std::string namePattern;
};

static char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// '*' matches any run of bytes, '?' any one byte; other bytes match themselves
// without regard to ASCII case.
static bool Matches(const char* pattern, const char* name) {
    const char* star = nullptr;  // the last '*' seen, to retry from
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && FoldAscii(*pattern) == FoldAscii(*name))) {
            pattern++;
            name++;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') pattern++;
    return *pattern == 0;
}

// The next entry of the folder that matches, skipping "." and "..".
static int NextMatch(SysFind* find, char name[kFoundNameCapacity]) {
    name[0] = 0;
    while (dirent* entry = readdir(find->folder)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        if (std::strlen(entry->d_name) >= kFoundNameCapacity) continue;
        if (!Matches(find->namePattern.c_str(), entry->d_name)) continue;
        std::strcpy(name, entry->d_name);
        return 1;
    }
    return 0;
}

SysFind* SysFindFirst(const char* pattern, char name[kFoundNameCapacity]) {
    name[0] = 0;
    if (!pattern) return nullptr;
    std::string text = pattern;
    size_t slash = text.find_last_of("/\\");
    std::string folderPath = slash == std::string::npos ? "." : text.substr(0, slash + 1);
    DIR* folder = opendir(folderPath.c_str());
    if (!folder) return nullptr;
    SysFind* find = new SysFind{folder, slash == std::string::npos ? text : text.substr(slash + 1)};
    if (!NextMatch(find, name)) {
        SysFindClose(find);
        return nullptr;
    }
    return find;
}

int SysFindNext(SysFind* find, char name[kFoundNameCapacity]) {
    if (!find) {
        name[0] = 0;
        return 0;
    }
    return NextMatch(find, name);
}

void SysFindClose(SysFind* find) {
    if (!find) return;
    closedir(find->folder);
    delete find;
}

int SysPathKind(const char* path, int* isDirectory) {
    *isDirectory = 0;
    struct stat info;
    if (!path || stat(path, &info) != 0) return 0;
    *isDirectory = S_ISDIR(info.st_mode) ? 1 : 0;
    return 1;
}

int SysDeleteFile(const char* path) {
    struct stat info;
    if (!path || lstat(path, &info) != 0 || S_ISDIR(info.st_mode)) return 0;
    return unlink(path) == 0 ? 1 : 0;
}

// Names here are GBK byte strings, as on a Chinese Windows: a lead byte and
// the byte after it are one character, compared exactly; single bytes are
// compared without regard to ASCII case.
int SysSameFileName(const char* a, const char* b) {
    if (!a || !b) return 0;
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    while (*x && *y) {
        if (*x >= 0x81 && *x <= 0xFE && x[1]) {
            if (x[0] != y[0] || x[1] != y[1]) return 0;
            x += 2;
            y += 2;
            continue;
        }
        if (FoldAscii(static_cast<char>(*x)) != FoldAscii(static_cast<char>(*y))) return 0;
        x++;
        y++;
    }
    return *x == *y;
}
