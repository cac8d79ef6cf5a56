// The setup description: what the installer reads from Setup.ini beside it
// once at start-up, with the setup folder and the title, and the names of the
// product's registry keys that the installer writes.
#pragma once

#include "setup/text.h"

#include <cstdint>

// The product key of the main program's settings store; Setup writes its
// start-up module here.
constexpr char kSetupProductKey[] = "Software\\Tallowmere\\PocopalDemo";
constexpr char kSetupModuleValue[] = "Module";
// The system's uninstall entry of the product.
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PocopalDemo";
constexpr char kUninstallDisplayName[] = "Zippit(演示版)";

constexpr char kUninstallerSource[] = "UnInst.dat";
constexpr char kUninstallerTarget[] = "UnInst.exe";
// What the install made, kept in the install folder for the uninstaller
// (installed_list.h). Sections: the listed files (names relative to the
// install folder), the shell links made, the Start-menu group folder, and the
// folders made on the way to the install folder (outermost first).
constexpr char kInstalledListName[] = "UnInst.lst";
constexpr char kListFiles[] = "Files";
constexpr char kListLinks[] = "Links";
constexpr char kListFolders[] = "Folders";
constexpr char kListParents[] = "Parents";

// Paths are UTF-8, texts GBK (setup_system.h).
struct SetupDescription {
    char setupFolder[kPathSize];      // folder of Setup and Setup.ini, no trailing backslash
    char descriptionPath[kPathSize];  // setupFolder\Setup.ini
    char productName[kValueSize];     // text
    char installFolder[kPathSize];    // DefaultPath with the drive filled in; then what the user confirmed
    char sourceFolder[kPathSize];     // subfolder of the setup folder holding the listed files; may be empty
    int32_t neededSize;               // bytes
    char productVersion[kValueSize];  // text
    char moduleName[kValueSize];      // text, written to the product key's Module value
    char title[kMessageSize];         // text "<product> 安装": background window class, caption and painted text
};

// The one description of the run, filled by ReadSetupDescription.
extern SetupDescription Description;

enum SetupReadResult {
    kSetupReady,     // the description is filled
    kNoSetupFolder,  // the command line holds no backslash: end silently
    kSetupFailed,    // no Setup.ini, no ProductName or DefaultPath, or a folder too long
};

// Finds the setup folder from the command line, makes it the current
// directory and reads Setup.ini into `setup`. On kSetupFailed or
// kNoSetupFolder the record's contents are unspecified.
SetupReadResult ReadSetupDescription(SetupDescription* setup);

// The folder part of a command line: after one leading double quote is
// skipped, everything in front of the last backslash of the whole line
// (arguments included). Returns kSetupReady with `out` filled,
// kNoSetupFolder without a backslash, kSetupFailed when the folder would not
// fit `size`.
SetupReadResult CutSetupFolder(const char* commandLine, char* out, size_t size);

// Replaces a leading '?' of `path` with `drive`; anything else is unchanged.
void SubstituteDrive(char* path, char drive);

// The needed size from its text: blanks skipped, an optional sign, then
// decimal digits up to the first other character; no digits give 0. Values
// beyond the 32-bit range stop at its ends.
int32_t ParseNeededSize(const char* text);

// Reads one value of Setup.ini (the description path of `setup`) into `out`,
// a buffer of kValueSize bytes: GBK as it stands in the file.
void ReadSetupValue(const SetupDescription* setup, const char* section, const char* key, const char* fallback,
                    char* out);

// Reads one value of Setup.ini that is a path (a file or folder name, a
// shortcut list) into `out`, a buffer of kPathSize bytes, as UTF-8. Returns
// 0, `out` empty, when the value is missing or empty or does not fit.
int ReadSetupPath(const SetupDescription* setup, const char* section, const char* key, char* out);
