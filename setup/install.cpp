// The installation steps over Setup's platform services.
#include "setup/install.h"

#include "setup/installed_list.h"
#include "setup/setup_system.h"
#include "setup/uninst/owned.h"

#include <cstdio>
#include <cstring>

namespace {

// Profile keys of the numbered lists are their index in decimal.
void IndexKey(int index, char (&key)[16]) { std::snprintf(key, sizeof key, "%d", index); }

// Copies `length` bytes of `text` into `out` as a terminated text.
void CopySpan(const char* text, size_t length, char* out) {
    std::memcpy(out, text, length);
    out[length] = 0;
}

// Creates the install folder and its parents, then records the parents that
// did not exist before, so the uninstaller can take them back.
void CreateFolders(const SetupDescription* setup) {
    const char* installFolder = setup->installFolder;
    size_t lengths[kPathSize];
    size_t count = ListFoldersToCreate(installFolder, lengths, kPathSize);
    char folder[kPathSize];
    size_t made[kPathSize];
    size_t madeCount = 0;
    for (size_t i = 0; i < count; i++) {
        CopySpan(installFolder, lengths[i], folder);
        // One that exists already is fine.
        if (SysCreateFolder(folder) && lengths[i] < std::strlen(installFolder)) made[madeCount++] = lengths[i];
    }
    for (size_t i = 0; i < madeCount; i++) {
        CopySpan(installFolder, made[i], folder);
        RecordInstalled(setup, kListParents, folder);
    }
}

// Copies `source` to a temporary name beside `target`, then puts it in the
// target's place in one step: a copy that stops halfway (a full disk, a bad
// medium) leaves the old target as it was.
int CopyOver(const char* source, const char* target) {
    char temporary[kPathSize];
    // A target too long for a temporary name beside it is copied directly.
    if (!FormatPath(temporary, sizeof temporary, "%s.~new", target)) return SysCopyFile(source, target);
    if (SysCopyFile(source, temporary)) {
        // Read-only from the medium would stop the clean-up below.
        SysSetArchiveOnly(temporary);
        if (SysReplaceFile(temporary, target)) return 1;
    }
    SysSetArchiveOnly(temporary);
    SysDeleteFile(temporary);
    return 0;
}

// Copies `source` over `target` unless the target is as new or newer.
// Returns 1 when the target is in place afterwards.
int InstallOneFile(const char* source, const char* target) {
    // A setup folder chosen as the install folder: the file is its own
    // target, and it is not the product's to take away.
    if (SysSameFile(source, target)) return 0;
    if (SysPathExists(target)) {
        uint64_t targetTime = 0, sourceTime = 0;
        // A time that cannot be read (a file in use, say) counts as "not
        // newer": the installed copy is kept rather than fought over.
        if (!SysFileWriteTime(target, &targetTime) || !SysFileWriteTime(source, &sourceTime) ||
            sourceTime <= targetTime)
            return 1;
    }
    if (!CopyOver(source, target)) return SysPathExists(target);
    SysSetArchiveOnly(target);
    return 1;
}

}  // namespace

int SettleInstallFolder(SetupDescription* setup) {
    char full[kPathSize];
    char resolved[kPathSize];
    if (!IsRootedPath(setup->installFolder) || !SysFullPath(setup->installFolder, resolved, sizeof resolved) ||
        !SysLongPath(resolved, full, sizeof full))
        return 0;
    size_t length = std::strlen(full);
    // "D:\Apps\X\" becomes "D:\Apps\X"; the root "D:\" stays whole.
    while (length > 3 && LastBackslash(full) == full + length - 1) full[--length] = 0;
    return CopyText(setup->installFolder, sizeof setup->installFolder, full);
}

size_t ListFoldersToCreate(const char* installFolder, size_t* lengths, size_t capacity) {
    size_t count = 0;
    const char* first = NextBackslash(installFolder);
    if (first) {
        for (const char* at = NextBackslash(first + 1); at && count < capacity;
             at = NextBackslash(at + 1))
            lengths[count++] = static_cast<size_t>(at - installFolder);
    }
    if (count < capacity) lengths[count++] = std::strlen(installFolder);
    return count;
}

int MakeSourcePath(const SetupDescription* setup, const char* name, char* out, size_t size) {
    if (setup->sourceFolder[0])
        return FormatPath(out, size, "%s\\%s\\%s", setup->setupFolder, setup->sourceFolder, name);
    return FormatPath(out, size, "%s\\%s", setup->setupFolder, name);
}

int MakeTargetPath(const SetupDescription* setup, const char* name, char* out, size_t size) {
    return FormatPath(out, size, "%s\\%s", setup->installFolder, name);
}

int FolderOfPath(const char* path, char* out, size_t size) {
    const char* last = LastBackslash(path);
    if (!last || static_cast<size_t>(last - path) >= size) return 0;
    CopySpan(path, static_cast<size_t>(last - path), out);
    return 1;
}

ShortcutCursor StartShortcutList(const char* text) { return ShortcutCursor{text, 0, 0}; }

int NextShortcutEntry(ShortcutCursor* cursor, ShortcutEntry* entry) {
    if (cursor->done) return 0;
    const char* start = cursor->text + cursor->at;
    const char* comma = std::strchr(start, ',');
    if (!comma) {
        cursor->done = 1;
        return 0;
    }
    const char* arguments = comma + 1;
    const char* end = std::strchr(arguments, ',');
    entry->name = start;
    entry->nameLength = static_cast<size_t>(comma - start);
    entry->arguments = arguments;
    entry->argumentsLength = end ? static_cast<size_t>(end - arguments) : std::strlen(arguments);
    if (end)
        cursor->at = static_cast<size_t>(end + 1 - cursor->text);
    else
        cursor->done = 1;
    return 1;
}

void RecordInstalled(const SetupDescription* setup, const char* section, const char* item) {
    char list[kPathSize];
    if (MakeTargetPath(setup, kInstalledListName, list, sizeof list)) AddListItem(list, section, item);
}

int InstallFiles(const SetupDescription* setup, ProgressSink sink, void* context) {
    sink(context, nullptr);
    CreateFolders(setup);

    char key[16];
    char value[kValueSize];
    char name[kPathSize];
    char source[kPathSize];
    char target[kPathSize];
    int index = 1;
    for (;; index++) {
        IndexKey(index, key);
        ReadSetupValue(setup, "SetupFiles", key, "", value);
        if (!value[0]) break;
        // A name too long for a path is passed over; it does not end the list.
        if (!ReadSetupPath(setup, "SetupFiles", key, name)) continue;
        sink(context, name);
        if (!StaysInFolder(name) || !MakeSourcePath(setup, name, source, sizeof source) ||
            !MakeTargetPath(setup, name, target, sizeof target))
            continue;
        if (InstallOneFile(source, target)) RecordInstalled(setup, kListFiles, name);
    }

    // The uninstaller always comes from the setup folder itself and always replaces an older one.
    if (FormatPath(source, sizeof source, "%s\\%s", setup->setupFolder, kUninstallerSource) &&
        MakeTargetPath(setup, kUninstallerTarget, target, sizeof target) && CopyOver(source, target))
        SysSetArchiveOnly(target);
    return index;
}

void MakeShortcuts(const SetupDescription* setup, const char* section, const char* folder, int stopIndex) {
    char key[16];
    char list[kPathSize];
    char name[kPathSize];
    char target[kPathSize];
    char workingFolder[kPathSize];
    char linkName[kPathSize];
    char arguments[kPathSize];
    char link[kPathSize];
    for (int index = 1; index <= stopIndex; index++) {
        IndexKey(index, key);
        if (!ReadSetupPath(setup, section, key, list)) continue;
        ReadSetupPath(setup, "SetupFiles", key, name);
        // An empty name (the stop index) makes links to the install folder itself.
        if ((name[0] && !StaysInFolder(name)) || !MakeTargetPath(setup, name, target, sizeof target) ||
            !FolderOfPath(target, workingFolder, sizeof workingFolder))
            continue;
        ShortcutCursor cursor = StartShortcutList(list);
        ShortcutEntry entry;
        while (NextShortcutEntry(&cursor, &entry)) {
            CopySpan(entry.name, entry.nameLength, linkName);
            CopySpan(entry.arguments, entry.argumentsLength, arguments);
            // A link name that climbs out of the group or Startup folder would
            // put a link anywhere Setup may write: it is passed over.
            if (ClimbsOutOfFolder(linkName) || !FormatPath(link, sizeof link, "%s\\%s.lnk", folder, linkName))
                continue;
            if (SysMakeShellLink(link, target, arguments, workingFolder)) RecordInstalled(setup, kListLinks, link);
        }
    }
}

void MakeStartMenuShortcuts(const SetupDescription* setup, const char* programs, int stopIndex) {
    char group[kPathSize];
    char folder[kPathSize];
    if (ReadSetupPath(setup, "StartMenu", "StartMenu", group)) {
        if (!FormatPath(folder, sizeof folder, "%s\\%s", programs, group)) return;
        SysCreateFolder(folder);  // an existing group is fine
        RecordInstalled(setup, kListFolders, folder);
    } else if (!CopyText(folder, sizeof folder, programs)) {
        return;
    }
    MakeShortcuts(setup, "StartMenu", folder, stopIndex);
}

void WriteRegistryEntries(const SetupDescription* setup) {
    char text[kPathSize];
    if (SysGbkToUtf8(kUninstallDisplayName, text, sizeof text))
        SysWriteMachineText(kUninstallKey, "DisplayName", text);
    if (MakeTargetPath(setup, kUninstallerTarget, text, sizeof text))
        SysWriteMachineText(kUninstallKey, "UninstallString", text);
    if (SysGbkToUtf8(setup->moduleName, text, sizeof text))
        SysWriteMachineText(kSetupProductKey, kSetupModuleValue, text);
}
