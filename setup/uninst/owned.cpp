// The uninstaller's test of what lies in its folder, and its walk of the
// installed list.
#include "setup/uninst/owned.h"

#include "setup/description.h"
#include "setup/installed_list.h"
#include "setup/text.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// 1 when a part holds dots and blanks only, counting its dots. The system
// drops dots and blanks from the end of a part, so such a part names no file,
// and with two dots or more it may mean the parent folder.
int DotsAndBlanksOnly(const char* part, size_t length, size_t* dots) {
    *dots = 0;
    for (size_t at = 0; at < length; at++) {
        if (part[at] == '.')
            ++*dots;
        else if (part[at] != ' ')
            return 0;
    }
    return 1;
}

// 1 when a part names one of the system's devices (NUL, CON, PRN, AUX,
// COM1 to COM9, LPT1 to LPT9) in any case, also with an extension or with
// dots and blanks behind it: the system opens the device instead of a file.
int NamesDevice(const char* part, size_t length) {
    size_t base = 0;
    while (base < length && part[base] != '.' && part[base] != ':') base++;
    while (base > 0 && part[base - 1] == ' ') base--;
    char name[5] = "";
    if (base < 3 || base > 4) return 0;
    for (size_t at = 0; at < base; at++) {
        char c = part[at];
        name[at] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    name[base] = 0;
    if (base == 3) return !std::strcmp(name, "NUL") || !std::strcmp(name, "CON") || !std::strcmp(name, "PRN") ||
                          !std::strcmp(name, "AUX");
    return (!std::strncmp(name, "COM", 3) || !std::strncmp(name, "LPT", 3)) && name[3] >= '1' && name[3] <= '9';
}

// 1 when a part, between '\' or '/', would take a name somewhere else than
// where it is joined: a part of dots and blanks with two dots or more (the
// parent folder), or a device.
int LeavingPart(const char* part, size_t length) {
    size_t dots = 0;
    return (DotsAndBlanksOnly(part, length, &dots) && dots >= 2) || NamesDevice(part, length);
}

// 1 when any part of `path`, between '\' or '/', passes `test`.
int AnyPart(const char* path, int (*test)(const char* part, size_t length)) {
    for (const char* part = path;;) {
        size_t length = std::strcspn(part, "\\/");
        if (test(part, length)) return 1;
        if (!part[length]) return 0;
        part += length + 1;
    }
}

// 1 when a path has a part that names a device.
int HasDevicePart(const char* path) { return AnyPart(path, NamesDevice); }

// 1 when `path` lies below `folder`, and is not the folder itself.
int IsBelowFolder(const char* path, const char* folder) {
    if (!IsInFolder(path, folder)) return 0;
    const char* rest = path + std::strlen(folder);
    while (*rest == '\\') rest++;
    return *rest != 0;
}

// 1 when a listed folder may go: it lies below one of the shell's folders
// (Programs, Startup) and holds one of the listed links, as a group folder
// Setup made does. An edited list can name no other folder.
int IsShellGroup(const char* item, const char* const* shellFolders, size_t shellFolderCount,
                 const std::vector<std::string>& listedLinks) {
    if (HasDevicePart(item)) return 0;
    int below = 0;
    for (size_t i = 0; i < shellFolderCount; i++)
        below = below || IsBelowFolder(item, shellFolders[i]);
    if (!below) return 0;
    for (const std::string& link : listedLinks)
        if (IsInFolder(link.c_str(), item)) return 1;
    return 0;
}

}  // namespace

int IsInFolder(const char* path, const char* folder) {
    size_t length = std::strlen(folder);
    if (length == 0 || std::strlen(path) < length || !SamePrefixIgnoringCase(path, folder, length)) return 0;
    if (path[length] == 0) return 1;
    if (path[length] != '\\') return 0;
    // A folder typed with a trailing backslash gives targets with two.
    const char* rest = path + length;
    while (*rest == '\\') rest++;
    return !*rest || StaysInFolder(rest);
}

int StaysInFolder(const char* name) {
    if (!name[0] || name[0] == '\\' || name[0] == '/' || std::strchr(name, ':')) return 0;
    const char* part = name;
    for (;;) {
        size_t length = std::strcspn(part, "\\/");
        size_t dots = 0;
        if (LeavingPart(part, length)) return 0;
        if (!part[length]) return !DotsAndBlanksOnly(part, length, &dots);  // the last part names the file itself
        part += length + 1;
    }
}

int ClimbsOutOfFolder(const char* name) { return AnyPart(name, LeavingPart); }

int IsLinkPath(const char* path) {
    size_t length = std::strlen(path);
    return length >= 4 && SameTextIgnoringCase(path + length - 4, ".lnk");
}

int RemoveListed(const char* folder, const char* const* shellFolders, size_t shellFolderCount, RemovalSink sink,
                 void* context) {
    char list[kPathSize];
    char path[kPathSize];
    if (!FormatPath(list, sizeof list, "%s\\%s", folder, kInstalledListName)) return 0;
    std::vector<std::string> listedLinks, links, files;  // links and files: the product's, still there
    for (const std::string& item : ReadListSection(list, kListLinks)) {
        if (!IsLinkPath(item.c_str()) || HasDevicePart(item.c_str())) continue;
        listedLinks.push_back(item);
        if (!sink(context, kRemoveLink, item.c_str())) links.push_back(item);
    }
    for (const std::string& item : ReadListSection(list, kListFolders))
        if (IsShellGroup(item.c_str(), shellFolders, shellFolderCount, listedLinks))
            sink(context, kRemoveFolder, item.c_str());
    for (const std::string& item : ReadListSection(list, kListFiles))
        if (StaysInFolder(item.c_str()) && FormatPath(path, sizeof path, "%s\\%s", folder, item.c_str()) &&
            !sink(context, kRemoveFile, path))
            files.push_back(item);
    if (links.empty() && files.empty()) return 0;
    RewriteListSection(list, kListLinks, links);
    RewriteListSection(list, kListFiles, files);
    return static_cast<int>(links.size() + files.size());
}

size_t ListCreatedParents(const char* folder, char (*out)[kPathSize], size_t capacity) {
    char list[kPathSize];
    if (!FormatPath(list, sizeof list, "%s\\%s", folder, kInstalledListName)) return 0;
    size_t count = 0;
    for (const std::string& listed : ReadListSection(list, kListParents)) {
        const char* item = listed.c_str();
        // A drive ("D:", "D:\") is never one of them: "D:" alone would name
        // the current folder of that drive.
        const char* last = LastBackslash(item);
        if (count >= capacity || !last || !last[1]) continue;
        if (IsInFolder(folder, item) && !SameTextIgnoringCase(folder, item) && CopyText(out[count], kPathSize, item))
            count++;
    }
    // Deepest first: a folder's name is longer than the names of those that
    // hold it. Setup lists them outermost first; a list it extended twice is
    // put in order here.
    char held[kPathSize];
    for (size_t i = 1; i < count; i++)
        for (size_t j = i; j > 0 && std::strlen(out[j]) > std::strlen(out[j - 1]); j--) {
            std::memcpy(held, out[j], kPathSize);
            std::memcpy(out[j], out[j - 1], kPathSize);
            std::memcpy(out[j - 1], held, kPathSize);
        }
    return count;
}
