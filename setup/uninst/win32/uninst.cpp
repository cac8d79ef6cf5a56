// UnInst.exe, the product's uninstaller, installed by Setup into the install
// folder. Started from there (or from the system's list of programs) it asks
// for confirmation, copies itself to the temporary folder and lets that copy
// do the work, so that the install folder holds no running program: the copy
// removes the shortcuts and the group folder listed in UnInst.lst that still
// point into the install folder, the listed product files, the uninstall
// entry and the product key (when they name this folder), then UnInst.exe,
// the list and the folder when nothing else is left in it.
#include "setup/description.h"
#include "setup/install.h"
#include "setup/setup_system.h"
#include "setup/text.h"
#include "setup/uninst/owned.h"
#include "setup/win32/win32_support.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr char kCaption[] = "Zippit(演示版) 卸载";
constexpr char kDoneCaption[] = "卸载完成";
// The main program's single-instance mutex: while it exists the program runs.
constexpr char kProgramMutex[] = "Zippit(演示版)";
constexpr char kRemoveSwitch[] = "/remove";

// 1 when `path` lies in `folder` (a full path in its long form): as the
// system spells it in full with long names, or, for another spelling of the
// folder (a drive mapped or substituted to it, a junction), when one of the
// folders holding it is the folder itself.
int LiesInFolder(const char* path, const char* folder) {
    char full[kPathSize], longForm[kPathSize];
    if (!SysFullPath(path, full, sizeof full) || !SysLongPath(full, longForm, sizeof longForm)) return 0;
    if (IsInFolder(longForm, folder)) return 1;
    // Never cut to a bare drive ("D:"), which names that drive's current folder.
    for (const char* last = LastBackslash(full); last && last - full > 2; last = LastBackslash(full)) {
        full[last - full] = 0;
        if (SysSameFile(full, folder)) return 1;
    }
    return 0;
}

enum LinkTarget { kLinkGone, kLinkUnreadable, kLinkElsewhere, kLinkInto };

// Where the shell link `link` points: into `folder`, elsewhere, or nowhere
// known (a link file that cannot be read, or no link file at all).
LinkTarget ReadLinkTarget(const char* link, const char* folder) {
    if (GetFileAttributesA(link) == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return kLinkGone;
    }
    WCHAR wide[kPathSize];
    if (MultiByteToWideChar(CP_ACP, 0, link, -1, wide, kPathSize) <= 0) return kLinkUnreadable;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return kLinkUnreadable;
    LinkTarget found = kLinkUnreadable;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        char target[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)))
            found = LiesInFolder(target, folder) ? kLinkInto : kLinkElsewhere;
        file->Release();
    }
    shellLink->Release();
    return found;
}

// Deletes a file of the product. Returns 1 when it is gone (or was gone already).
int DeleteProductFile(const char* path) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) return 1;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A folder that is a drive root ("D:", "D:\") is never removed.
int IsDriveRoot(const char* folder) {
    return folder[0] && folder[1] == ':' && (!folder[2] || std::strcmp(folder + 2, "\\") == 0);
}

// One run of the removal: the install folder and the names of the product's
// files that could not be removed, for the closing message.
struct Removal {
    const char* folder;
    char left[kMessageSize / 2];  // half a message: the advice behind the names always fits
};

// Removes one item of the installed list. Returns 0 when it is the
// product's and still there.
int RemoveOne(void* context, RemovalKind kind, const char* path) {
    Removal* removal = static_cast<Removal*>(context);
    int gone = 1;
    switch (kind) {
    case kRemoveLink:
        switch (ReadLinkTarget(path, removal->folder)) {
        case kLinkInto: gone = DeleteProductFile(path); break;
        case kLinkUnreadable: gone = 0; break;  // it may be ours: kept, and named
        default: break;
        }
        break;
    case kRemoveFolder:
        RemoveDirectoryA(path);  // fails, and keeps it, when the user put something there
        break;
    case kRemoveFile:
        gone = DeleteProductFile(path);
        break;
    }
    if (!gone) {
        size_t used = std::strlen(removal->left);
        FormatText(removal->left + used, sizeof removal->left - used, "%s\n", path);
    }
    return gone;
}

// 1 when the uninstaller `recorded` in the uninstall entry is `uninstaller`:
// the same file, or, when either is gone, the same path in full with long
// names (letters compared without regard to case). A folder typed with a
// trailing backslash, forward slashes, another case, a short name or through
// another drive still matches.
int SameUninstaller(const char* recorded, const char* uninstaller) {
    if (SysSameFile(recorded, uninstaller)) return 1;
    char full[2][kPathSize], longForm[2][kPathSize];
    const char* paths[2] = {recorded, uninstaller};
    for (int i = 0; i < 2; i++)
        if (!SysFullPath(paths[i], full[i], kPathSize) || !SysLongPath(full[i], longForm[i], kPathSize)) return 0;
    return SameTextIgnoringCase(longForm[0], longForm[1]);
}

// Deletes the product key under `root`, and the maker's key above it when
// nothing else is in it.
void RemoveProductKey(HKEY root) {
    RegDeleteKeyA(root, kSetupProductKey);
    char maker[sizeof kSetupProductKey];
    std::memcpy(maker, kSetupProductKey, sizeof maker);
    *std::strrchr(maker, '\\') = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, maker, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 1, values = 1;
    LONG info = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (info == ERROR_SUCCESS && subkeys == 0 && values == 0) RegDeleteKeyA(root, maker);
}

// 1 when the uninstall entry names `uninstaller`, the uninstaller of this
// folder: only then are the entry and the product key this install's. A later
// install elsewhere keeps its entries.
int EntryNamesUninstaller(const char* uninstaller) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    char recorded[kPathSize] = "";
    DWORD size = sizeof recorded - 1;
    DWORD type = 0;
    LONG read = RegQueryValueExA(key, "UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(recorded), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) return 0;
    recorded[size] = 0;  // earlier installs stored the text without its terminating zero
    return SameUninstaller(recorded, uninstaller);
}

// Deletes the uninstall entry and the product key; the settings the program
// kept for the uninstalling user, under the same path in HKEY_CURRENT_USER,
// go too. Returns 1 when the entry is gone.
int RemoveRegistryEntries() {
    LONG entry = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    RemoveProductKey(HKEY_LOCAL_MACHINE);
    RemoveProductKey(HKEY_CURRENT_USER);
    return entry == ERROR_SUCCESS || entry == ERROR_FILE_NOT_FOUND;
}

// Paths of the shell's Programs and Startup folders, where Setup made the
// group folder and the links; `count` gets how many the shell gave.
void ShellFolders(char (*paths)[MAX_PATH], const char** pointers, size_t* count) {
    *count = 0;
    const int folders[] = {CSIDL_PROGRAMS, CSIDL_STARTUP};
    for (int folder : folders)
        if (SUCCEEDED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, paths[*count]))) {
            pointers[*count] = paths[*count];
            ++*count;
        }
}

// Most folders Setup can have made on the way to the install folder.
constexpr size_t kMostParents = 32;

// Removes what the install into `folder` made. `self` is this program's file
// when it runs from the folder itself (it cannot delete itself then; it and
// the folder go at the next restart), or nullptr. When a link or file of the
// product cannot be removed, the uninstaller, its list (naming what is left)
// and the registry entries stay for a second run, and the user is told.
// Returns 1 when everything of the product is gone.
int RemoveProduct(const char* folder, const char* self) {
    char list[kPathSize];
    char uninstaller[kPathSize];
    if (!FormatPath(list, sizeof list, "%s\\%s", folder, kInstalledListName) ||
        !FormatPath(uninstaller, sizeof uninstaller, "%s\\%s", folder, kUninstallerTarget))
        return 0;
    int ours = EntryNamesUninstaller(uninstaller);
    // Without a list of what was made and without the entry, nothing here is
    // known to be the product's: nothing is removed and nothing reported removed.
    if (!ours && GetFileAttributesA(list) == INVALID_FILE_ATTRIBUTES) {
        MessageBoxA(nullptr, "在此文件夹中找不到 Zippit(演示版) 的安装记录，没有删除任何文件。", kCaption,
                    MB_ICONWARNING);
        return 0;
    }
    CoInitialize(nullptr);
    static Removal removal;
    removal.folder = folder;
    removal.left[0] = 0;
    char shellPaths[2][MAX_PATH];
    const char* shellFolders[2];
    size_t shellFolderCount = 0;
    ShellFolders(shellPaths, shellFolders, &shellFolderCount);
    int left = RemoveListed(folder, shellFolders, shellFolderCount, RemoveOne, &removal);
    if (!left && ours && !RemoveRegistryEntries()) {
        FormatText(removal.left, sizeof removal.left, "HKEY_LOCAL_MACHINE\\%s\n", kUninstallKey);
        left = 1;
    }
    if (left) {
        char text[kMessageSize];
        FormatText(text, sizeof text,
                   "以下文件未能删除，它们可能正被其他程序使用：\n\n%s\n请退出这些程序，然后再次运行卸载程序。",
                   removal.left);
        MessageBoxA(nullptr, text, kCaption, MB_ICONWARNING);
        return 0;
    }

    static char parents[kMostParents][kPathSize];
    size_t parentCount = ListCreatedParents(folder, parents, kMostParents);
    if (self)
        MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    else
        DeleteProductFile(uninstaller);
    DeleteProductFile(list);
    if (IsDriveRoot(folder)) return 1;
    // Fails, and keeps the folder, when the user put files of their own in it.
    if (!RemoveDirectoryA(folder)) {
        if (self) MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return 1;
    }
    // The folders made on the way go too, deepest first, as long as they are empty.
    for (size_t i = 0; i < parentCount && RemoveDirectoryA(parents[i]); i++) {
    }
    return 1;
}

// The second stage, in the temporary copy: waits for the first stage to end
// and removes the product. The copy itself goes when it ends (the first
// stage left it a handle that deletes it on close); should that fail it is
// deleted at the next restart.
int RunRemoval(DWORD starter, const char* folder) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, starter);
    if (process) {
        WaitForSingleObject(process, 30000);
        CloseHandle(process);
    }
    int done = RemoveProduct(folder, nullptr);
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length > 0 && length < sizeof self) MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (done) MessageBoxA(nullptr, "Zippit(演示版) 已从您的计算机中删除。", kDoneCaption, MB_ICONINFORMATION);
    return 0;
}

// Starts the temporary copy of this program on `folder`. Returns 1 when it runs.
int StartRemovalCopy(const char* self, const char* folder) {
    char temp[MAX_PATH];
    char copy[kPathSize];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) return 0;
    if (!FormatPath(copy, sizeof copy, "%sZippitUnInst%lu.exe", temp, GetCurrentProcessId())) return 0;
    if (!CopyFileA(self, copy, FALSE)) return 0;
    char commandLine[kMessageSize];
    if (!FormatPath(commandLine, sizeof commandLine, "\"%s\" %s %lu \"%s\"", copy, kRemoveSwitch,
                    GetCurrentProcessId(), folder)) {
        DeleteFileA(copy);
        return 0;
    }
    // A handle that deletes the copy when it is closed, inherited by the copy
    // itself: the last one closes when the copy ends.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE deleter = CreateFileA(copy, GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited,
                                 OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(copy, commandLine, nullptr, nullptr, deleter != INVALID_HANDLE_VALUE, 0, nullptr,
                                  temp, &startup, &process);
    if (deleter != INVALID_HANDLE_VALUE) CloseHandle(deleter);  // deletes the copy now when it did not start
    if (!started) {
        DeleteFileA(copy);
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LimitDllSearchToSystem();
    if (__argc == 4 && std::strcmp(__argv[1], kRemoveSwitch) == 0)
        return RunRemoval(static_cast<DWORD>(std::strtoul(__argv[2], nullptr, 10)), __argv[3]);

    char self[kPathSize];
    char started[kPathSize];
    char folder[kPathSize];
    DWORD length = GetModuleFileNameA(nullptr, started, sizeof started);
    if (length == 0 || length >= sizeof started) return 1;
    // The folder in its long form, as Setup recorded it, whichever spelling started this program.
    if (!SysLongPath(started, self, sizeof self) || !FolderOfPath(self, folder, sizeof folder)) return 1;

    HANDLE running = OpenMutexA(SYNCHRONIZE, FALSE, kProgramMutex);
    // A mutex of a program that another user runs exists but cannot be opened.
    if (running || GetLastError() == ERROR_ACCESS_DENIED) {
        if (running) CloseHandle(running);
        MessageBoxA(nullptr, "Zippit(演示版) 正在运行。请先退出它，再卸载。", kCaption, MB_ICONWARNING);
        return 0;
    }
    if (MessageBoxA(nullptr, "确实要从您的计算机中删除 Zippit(演示版) 及其所有组件吗？", kCaption,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return 0;
    if (StartRemovalCopy(self, folder)) return 0;
    // Without a temporary copy the work is done here; this program and its
    // folder are left for the next restart.
    if (RemoveProduct(folder, self))
        MessageBoxA(nullptr, "Zippit(演示版) 已从您的计算机中删除。", kDoneCaption, MB_ICONINFORMATION);
    return 0;
}
