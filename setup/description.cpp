// Reading the setup description from the command line and Setup.ini.
#include "setup/description.h"

#include "setup/profile.h"
#include "setup/setup_system.h"

#include <cstring>

SetupDescription Description;

SetupReadResult CutSetupFolder(const char* commandLine, char* out, size_t size) {
    if (commandLine[0] == '"') commandLine++;
    const char* last = LastBackslash(commandLine);
    if (!last) return kNoSetupFolder;
    size_t length = static_cast<size_t>(last - commandLine);
    if (size == 0 || length >= size) return kSetupFailed;
    std::memcpy(out, commandLine, length);
    out[length] = 0;
    return kSetupReady;
}

void SubstituteDrive(char* path, char drive) {
    if (path[0] == '?') path[0] = drive;
}

int32_t ParseNeededSize(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f') text++;
    int negative = 0;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    for (; *text >= '0' && *text <= '9'; text++) {
        value = value * 10 + (*text - '0');
        if (value > limit) value = limit;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

void ReadSetupValue(const SetupDescription* setup, const char* section, const char* key, const char* fallback,
                    char* out) {
    ReadProfile(setup->descriptionPath, section, key, fallback, out, kValueSize);
}

int ReadSetupPath(const SetupDescription* setup, const char* section, const char* key, char* out) {
    char value[kValueSize];
    ReadSetupValue(setup, section, key, "", value);
    if (SysGbkToUtf8(value, out, kPathSize) && out[0]) return 1;
    out[0] = 0;
    return 0;
}

SetupReadResult ReadSetupDescription(SetupDescription* setup) {
    char folder[kPathSize];
    SetupReadResult cut = CutSetupFolder(SysCommandLine(), folder, sizeof folder);
    if (cut != kSetupReady) return cut;
    SysSetCurrentFolder(folder);

    if (!SysGetCurrentFolder(setup->setupFolder, sizeof setup->setupFolder)) return kSetupFailed;
    const char* last = LastBackslash(setup->setupFolder);
    if (last && !last[1]) setup->setupFolder[last - setup->setupFolder] = 0;
    if (!FormatPath(setup->descriptionPath, sizeof setup->descriptionPath, "%s\\Setup.ini", setup->setupFolder))
        return kSetupFailed;

    ReadSetupValue(setup, "Setup", "ProductName", "", setup->productName);
    if (!setup->productName[0] || !ReadSetupPath(setup, "Setup", "DefaultPath", setup->installFolder))
        return kSetupFailed;
    SubstituteDrive(setup->installFolder, SysWindowsDrive());

    char number[kValueSize];
    ReadSetupPath(setup, "Setup", "SetupFiles", setup->sourceFolder);
    ReadSetupValue(setup, "Setup", "DiskSpase", "0", number);
    setup->neededSize = ParseNeededSize(number);
    ReadSetupValue(setup, "Setup", "ProductVersion", "", setup->productVersion);
    ReadSetupValue(setup, "LoadModule", "Module", "", setup->moduleName);
    FormatText(setup->title, sizeof setup->title, "%s 安装", setup->productName);
    return kSetupReady;
}
