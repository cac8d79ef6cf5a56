// UnInst.exe, the product's uninstaller, installed by Setup into the install
// folder. Started from there (or from the system's list of programs) it asks
// for confirmation, copies itself to the temporary folder and lets that copy
// do the work, so that the install folder holds no running program: the copy
// removes the shortcuts and the group folder listed in UnInst.lst that still
// point into the install folder, the listed product files, the uninstall
// entry and the product key (when they name this folder), then UnInst.exe,
// the list and the folder when nothing else is left in it. Paths are UTF-8
// here and UTF-16 at every call; texts are GBK, shown through code page 936.
#include "setup/description.h"
#include "setup/install.h"
#include "setup/setup_system.h"
#include "setup/text.h"
#include "setup/uninst/owned.h"
#include "setup/win32/win32_support.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr char kCaption[] = "Zippit(演示版) 卸载";
constexpr char kDoneCaption[] = "卸载完成";
// The main program's single-instance mutex: while it exists the program runs.
constexpr char kProgramMutex[] = "Zippit(演示版)";
constexpr wchar_t kRemoveSwitch[] = L"/remove";

// The last error of a call on a path that may not exist.
int IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

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

// The target of a loaded shell link. Its item list comes first: it names the
// target in full, where the link's path text may hold only what the ANSI code
// page spells (so Wine keeps it).
int ReadTargetPath(IShellLinkW* shellLink, WCHAR (&target)[MAX_PATH * 4]) {
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(shellLink->GetIDList(&list)) && list) {
        BOOL named = SHGetPathFromIDListW(list, target);
        CoTaskMemFree(list);
        if (named) return 1;
    }
    return SUCCEEDED(shellLink->GetPath(target, MAX_PATH * 4, nullptr, SLGP_RAWPATH));
}

enum LinkTarget { kLinkGone, kLinkUnreadable, kLinkElsewhere, kLinkInto };

// Where the shell link `link` points: into `folder`, elsewhere, or nowhere
// known (a link file that cannot be read, or no link file at all).
LinkTarget ReadLinkTarget(const char* link, const char* folder) {
    std::wstring wide = WideFromUtf8(link);
    if (GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES && IsMissing(GetLastError())) return kLinkGone;
    IShellLinkW* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shellLink))))
        return kLinkUnreadable;
    LinkTarget found = kLinkUnreadable;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR target[MAX_PATH * 4] = L"";
        char path[kPathSize];
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) && ReadTargetPath(shellLink, target) &&
            Utf8FromWide(target, path, sizeof path))
            found = LiesInFolder(path, folder) ? kLinkInto : kLinkElsewhere;
        file->Release();
    }
    shellLink->Release();
    return found;
}

// Deletes a file of the product. Returns 1 when it is gone (or was gone already).
int DeleteProductFile(const char* path) {
    std::wstring wide = WideFromUtf8(path);
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(wide.c_str()) || IsMissing(GetLastError());
}

int RemoveFolder(const char* path) { return RemoveDirectoryW(WideFromUtf8(path).c_str()) != 0; }

// Leaves a file or folder to be deleted at the next restart.
void DeleteAtRestart(const char* path) { MoveFileExW(WideFromUtf8(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT); }

// A folder that is a drive root ("D:", "D:\") is never removed.
int IsDriveRoot(const char* folder) {
    return folder[0] && folder[1] == ':' && (!folder[2] || std::strcmp(folder + 2, "\\") == 0);
}

// One run of the removal: the install folder and the names of the product's
// files that could not be removed (UTF-8, a line each), for the closing message.
struct Removal {
    const char* folder;
    std::string left;
};

// No more of the names than this go into the closing message.
constexpr size_t kMostLeftBytes = kMessageSize / 2;

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
        RemoveFolder(path);  // fails, and keeps it, when the user put something there
        break;
    case kRemoveFile:
        gone = DeleteProductFile(path);
        break;
    }
    if (!gone && removal->left.size() < kMostLeftBytes) removal->left += std::string(path) + "\n";
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
    std::wstring product = WideFromUtf8(kSetupProductKey);
    RegDeleteKeyW(root, product.c_str());
    std::wstring maker = product.substr(0, product.rfind(L'\\'));
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, maker.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 1, values = 1;
    LONG info = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (info == ERROR_SUCCESS && subkeys == 0 && values == 0) RegDeleteKeyW(root, maker.c_str());
}

// 1 when the uninstall entry names `uninstaller`, the uninstaller of this
// folder: only then are the entry and the product key this install's. A later
// install elsewhere keeps its entries.
int EntryNamesUninstaller(const char* uninstaller) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(kUninstallKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    WCHAR recorded[MAX_PATH * 4] = L"";
    DWORD size = sizeof recorded - sizeof(WCHAR);
    DWORD type = 0;
    LONG read = RegQueryValueExW(key, L"UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(recorded), &size);
    RegCloseKey(key);
    char path[kPathSize];
    if (read != ERROR_SUCCESS || type != REG_SZ) return 0;
    recorded[size / sizeof(WCHAR)] = 0;  // earlier installs stored the text without its terminating zero
    return Utf8FromWide(recorded, path, sizeof path) && SameUninstaller(path, uninstaller);
}

// Deletes the uninstall entry and the product key; the settings the program
// kept for the uninstalling user, under the same path in HKEY_CURRENT_USER,
// go too. Returns 1 when the entry is gone.
int RemoveRegistryEntries() {
    LONG entry = RegDeleteKeyW(HKEY_LOCAL_MACHINE, WideFromUtf8(kUninstallKey).c_str());
    RemoveProductKey(HKEY_LOCAL_MACHINE);
    RemoveProductKey(HKEY_CURRENT_USER);
    return entry == ERROR_SUCCESS || entry == ERROR_FILE_NOT_FOUND;
}

// Paths of the shell's Programs and Startup folders, where Setup made the
// group folder and the links; `count` gets how many the shell gave.
void ShellFolders(char (*paths)[kPathSize], const char** pointers, size_t* count) {
    *count = 0;
    const int folders[] = {CSIDL_PROGRAMS, CSIDL_STARTUP};
    for (int folder : folders) {
        WCHAR wide[MAX_PATH];
        if (SUCCEEDED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, wide)) &&
            Utf8FromWide(wide, paths[*count], kPathSize)) {
            pointers[*count] = paths[*count];
            ++*count;
        }
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
    if (!ours && !SysPathExists(list)) {
        ShowGbkMessage(nullptr, "在此文件夹中找不到 Zippit(演示版) 的安装记录，没有删除任何文件。", kCaption,
                       MB_ICONWARNING);
        return 0;
    }
    CoInitialize(nullptr);
    Removal removal = {folder, std::string()};
    char shellPaths[2][kPathSize];
    const char* shellFolders[2];
    size_t shellFolderCount = 0;
    ShellFolders(shellPaths, shellFolders, &shellFolderCount);
    int left = RemoveListed(folder, shellFolders, shellFolderCount, RemoveOne, &removal);
    if (!left && ours && !RemoveRegistryEntries()) {
        removal.left = std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey + "\n";
        left = 1;
    }
    if (left) {
        std::wstring text = WideFromGbk("以下文件未能删除，它们可能正被其他程序使用：\n\n") +
                            WideFromUtf8(removal.left.c_str()) +
                            WideFromGbk("\n请退出这些程序，然后再次运行卸载程序。");
        MessageBoxW(nullptr, text.c_str(), WideFromGbk(kCaption).c_str(), MB_ICONWARNING);
        return 0;
    }

    static char parents[kMostParents][kPathSize];
    size_t parentCount = ListCreatedParents(folder, parents, kMostParents);
    if (self)
        DeleteAtRestart(self);
    else
        DeleteProductFile(uninstaller);
    DeleteProductFile(list);
    if (IsDriveRoot(folder)) return 1;
    // Fails, and keeps the folder, when the user put files of their own in it.
    if (!RemoveFolder(folder)) {
        if (self) DeleteAtRestart(folder);
        return 1;
    }
    // The folders made on the way go too, deepest first, as long as they are empty.
    for (size_t i = 0; i < parentCount && RemoveFolder(parents[i]); i++) {
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
    WCHAR self[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    if (length > 0 && length < MAX_PATH * 4) MoveFileExW(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (done) ShowGbkMessage(nullptr, "Zippit(演示版) 已从您的计算机中删除。", kDoneCaption, MB_ICONINFORMATION);
    return 0;
}

// Starts the temporary copy of this program on `folder`. Returns 1 when it runs.
int StartRemovalCopy(const char* self, const char* folder) {
    WCHAR temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return 0;
    std::wstring copy = std::wstring(temp) + L"ZippitUnInst" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    if (!CopyFileW(WideFromUtf8(self).c_str(), copy.c_str(), FALSE)) return 0;
    std::wstring commandLine = L"\"" + copy + L"\" " + kRemoveSwitch + L" " +
                               std::to_wstring(GetCurrentProcessId()) + L" \"" + WideFromUtf8(folder) + L"\"";
    // A handle that deletes the copy when it is closed, inherited by the copy
    // itself: the last one closes when the copy ends.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE deleter = CreateFileW(copy.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited,
                                 OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, deleter != INVALID_HANDLE_VALUE, 0,
                                  nullptr, temp, &startup, &process);
    if (deleter != INVALID_HANDLE_VALUE) CloseHandle(deleter);  // deletes the copy now when it did not start
    if (!started) {
        DeleteFileW(copy.c_str());
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

// The second stage's arguments: the first stage's process id and the
// install folder (UTF-8). Returns 0 when the command line holds other arguments.
int ReadRemovalArguments(DWORD* starter, char (&folder)[kPathSize]) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return 0;
    int ok = count == 4 && std::wcscmp(arguments[1], kRemoveSwitch) == 0 &&
             Utf8FromWide(arguments[3], folder, sizeof folder);
    if (ok) *starter = static_cast<DWORD>(std::wcstoul(arguments[2], nullptr, 10));
    LocalFree(arguments);
    return ok;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LimitDllSearchToSystem();
    DWORD starter = 0;
    char folder[kPathSize];
    if (ReadRemovalArguments(&starter, folder)) return RunRemoval(starter, folder);

    WCHAR started[MAX_PATH * 4];
    char path[kPathSize];
    char self[kPathSize];
    DWORD length = GetModuleFileNameW(nullptr, started, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4 || !Utf8FromWide(started, path, sizeof path)) return 1;
    // The folder in its long form, as Setup recorded it, whichever spelling started this program.
    if (!SysLongPath(path, self, sizeof self) || !FolderOfPath(self, folder, sizeof folder)) return 1;

    HANDLE running = OpenMutexW(SYNCHRONIZE, FALSE, WideFromGbk(kProgramMutex).c_str());
    // A mutex of a program that another user runs exists but cannot be opened.
    if (running || GetLastError() == ERROR_ACCESS_DENIED) {
        if (running) CloseHandle(running);
        ShowGbkMessage(nullptr, "Zippit(演示版) 正在运行。请先退出它，再卸载。", kCaption, MB_ICONWARNING);
        return 0;
    }
    if (ShowGbkMessage(nullptr, "确实要从您的计算机中删除 Zippit(演示版) 及其所有组件吗？", kCaption,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return 0;
    if (StartRemovalCopy(self, folder)) return 0;
    // Without a temporary copy the work is done here; this program and its
    // folder are left for the next restart.
    if (RemoveProduct(folder, self))
        ShowGbkMessage(nullptr, "Zippit(演示版) 已从您的计算机中删除。", kDoneCaption, MB_ICONINFORMATION);
    return 0;
}
