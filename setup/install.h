// The installation: the install folder with its parents, the listed files
// (newer ones only) and the uninstaller, the shortcut lists of the Start menu
// and the Startup folder, and the registry entries. What the install made is
// recorded in the install folder's list for the uninstaller.
#pragma once

#include "setup/description.h"

#include <cstddef>

// Puts the install folder the user confirmed into the system's full form
// (SysFullPath), with the long names of the folders that exist (SysLongPath),
// without a trailing backslash unless it is a drive root, so that every path
// built on it, and the uninstaller's path in the registry, is the one the
// system resolves. Returns 0, the folder as it was, for a folder that is not
// rooted (IsRootedPath: it would land in the setup folder or wherever the
// current folder is) or that the system cannot resolve.
int SettleInstallFolder(SetupDescription* setup);

// Lengths of the folders to create for an install folder, in order: the text
// in front of each backslash after the first one, then the whole folder.
// Returns how many were stored in `lengths` (at most `capacity`). Without any
// backslash only the whole folder is listed.
size_t ListFoldersToCreate(const char* installFolder, size_t* lengths, size_t capacity);

// Source of listed file `name`: setup folder, source subfolder (when not
// empty) and name. Returns 0, `out` empty, when the path would not fit.
int MakeSourcePath(const SetupDescription* setup, const char* name, char* out, size_t size);

// Target of a listed file: install folder and name. Returns 0 when it would not fit.
int MakeTargetPath(const SetupDescription* setup, const char* name, char* out, size_t size);

// A path cut at its last backslash (the folder of a file). Returns 0 when the
// path has no backslash; `out` then stays untouched.
int FolderOfPath(const char* path, char* out, size_t size);

// One pair of a shortcut list: the link name and its arguments, pointing into
// the list's text (not terminated). Setup reads the lists as paths (UTF-8).
struct ShortcutEntry {
    const char* name;
    size_t nameLength;
    const char* arguments;
    size_t argumentsLength;
};

// Walks a shortcut list "name,args,name,args...": a name needs a comma behind
// it, the arguments run to the next comma or the end; a last name without a
// comma is ignored. No blanks are trimmed.
struct ShortcutCursor {
    const char* text;
    size_t at;
    int done;
};
ShortcutCursor StartShortcutList(const char* text);
// Returns 1 with the next pair in `entry`, or 0 when the list is done.
int NextShortcutEntry(ShortcutCursor* cursor, ShortcutEntry* entry);

// Receives the progress of the file installation: nullptr when the copying
// starts, then the name (UTF-8) of each listed file as its turn comes. The
// texts shown are the window's to make, as they join GBK texts and paths.
typedef void (*ProgressSink)(void* context, const char* fileName);

// Creates the install folder and its parents (recording the parents it made),
// copies each listed file of [SetupFiles] 1, 2, ... whose target is missing
// or older than its source (a target that is the source itself is neither
// copied nor listed), gives copies the archive attribute alone,
// installs the uninstaller, and reports progress through `sink`. A copy goes
// to a temporary name beside the target first and then replaces it, so a
// copy that fails keeps the old file. Returns the stop index (the first key
// whose value is missing or empty). Nothing is reported as a failure: a file
// that cannot be copied, whose path would not fit, or whose name would leave
// the install folder (StaysInFolder, the uninstaller's rule) is passed over.
int InstallFiles(const SetupDescription* setup, ProgressSink sink, void* context);

// Makes the shortcuts of the numbered lists 1 up to and including `stopIndex`
// of `section` ("StartMenu" or "Startup") into `folder`, each to the listed
// file of the same index in the install folder. A link whose path would not
// fit, or to a name that would leave the install folder, is passed over.
// Made links are recorded for the uninstaller.
void MakeShortcuts(const SetupDescription* setup, const char* section, const char* folder, int stopIndex);

// The Start-menu shortcuts: the group folder [StartMenu] StartMenu below the
// Programs folder `programs` is created (and recorded), then the lists of
// section StartMenu are made into it.
void MakeStartMenuShortcuts(const SetupDescription* setup, const char* programs, int stopIndex);

// Writes the uninstall entry (DisplayName, UninstallString) and the product
// key's Module value. Failures pass silently.
void WriteRegistryEntries(const SetupDescription* setup);

// Adds `item` to `section` of the installed list in the install folder, once:
// an item already listed (compared without regard to ASCII case) is not
// added again, so a second install into the same folder extends the list.
void RecordInstalled(const SetupDescription* setup, const char* section, const char* item);
