// UnInst.exe, the product's uninstaller, installed by Setup into the install
// folder. Started from there (or from the system's list of programs) it asks
// for confirmation, copies itself to the temporary folder and lets that copy
// do the work, so that the install folder holds no running program: the copy
// removes the shortcuts and the group folder listed in UnInst.lst that still
// point into the install folder, the listed product files, the uninstall
// entry and the product key (when they name this folder), then UnInst.exe,
// the list and the folder when nothing else is left in it.
#include "setup/description.h"
#include "setup/text.h"
#include "setup/uninst/owned.h"

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

// 1 when the shell link `link` points at a path inside `folder`.
int LinkPointsInto(const char* link, const char* folder) {
    WCHAR wide[kPathSize];
    if (MultiByteToWideChar(CP_ACP, 0, link, -1, wide, kPathSize) <= 0) return 0;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return 0;
    int inside = 0;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        char target[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)))
            inside = IsInFolder(target, folder);
        file->Release();
    }
    shellLink->Release();
    return inside;
}

void DeleteProductFile(const char* path) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path);
}

// Removes one item of the installed list of the folder `context`.
void RemoveListed(void* context, RemovalKind kind, const char* path) {
    const char* folder = static_cast<const char*>(context);
    switch (kind) {
    case kRemoveLink:
        if (LinkPointsInto(path, folder)) DeleteProductFile(path);
        break;
    case kRemoveFolder:
        RemoveDirectoryA(path);  // fails, and keeps it, when the user put something there
        break;
    case kRemoveFile:
        DeleteProductFile(path);
        break;
    }
}

// The uninstall entry and the product key go only when the entry names the
// uninstaller of this folder: a later install elsewhere keeps its entries.
void RemoveRegistryEntries(const char* uninstaller) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    char recorded[kPathSize] = "";
    DWORD size = sizeof recorded - 1;
    DWORD type = 0;
    LONG read = RegQueryValueExA(key, "UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(recorded), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) return;
    recorded[size] = 0;
    if (!SameTextIgnoringCase(recorded, uninstaller)) return;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSetupProductKey);
    // The maker's key above the product key goes too when nothing else is in it.
    char maker[sizeof kSetupProductKey];
    std::memcpy(maker, kSetupProductKey, sizeof maker);
    *std::strrchr(maker, '\\') = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, maker, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 1, values = 1;
    LONG info = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (info == ERROR_SUCCESS && subkeys == 0 && values == 0) RegDeleteKeyA(HKEY_LOCAL_MACHINE, maker);
}

// Removes what the install into `folder` made. `self` is this program's file
// when it runs from the folder itself (it cannot delete itself then; it and
// the folder go at the next restart), or nullptr.
void RemoveProduct(const char* folder, const char* self) {
    char list[kPathSize];
    if (!FormatPath(list, sizeof list, "%s\\%s", folder, kInstalledListName)) return;
    CoInitialize(nullptr);
    ListRemovals(folder, RemoveListed, const_cast<char*>(folder));

    char uninstaller[kPathSize];
    if (FormatPath(uninstaller, sizeof uninstaller, "%s\\%s", folder, kUninstallerTarget)) {
        RemoveRegistryEntries(uninstaller);
        if (self)
            MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        else
            DeleteProductFile(uninstaller);
    }
    DeleteProductFile(list);
    // Fails, and keeps the folder, when the user put files of their own in it.
    if (!RemoveDirectoryA(folder) && self) MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// The second stage, in the temporary copy: waits for the first stage to end,
// removes the product and deletes its own copy at the next restart.
int RunRemoval(DWORD starter, const char* folder) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, starter);
    if (process) {
        WaitForSingleObject(process, 30000);
        CloseHandle(process);
    }
    RemoveProduct(folder, nullptr);
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length > 0 && length < sizeof self) MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MessageBoxA(nullptr, "Zippit(演示版) 已从您的计算机中删除。", kDoneCaption, MB_ICONINFORMATION);
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
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(copy, commandLine, nullptr, nullptr, FALSE, 0, nullptr, temp, &startup, &process)) {
        DeleteFileA(copy);
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc == 4 && std::strcmp(__argv[1], kRemoveSwitch) == 0)
        return RunRemoval(static_cast<DWORD>(std::strtoul(__argv[2], nullptr, 10)), __argv[3]);

    char self[kPathSize];
    char folder[kPathSize];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) return 1;
    const char* last = LastBackslash(self);
    if (!last) return 1;
    std::memcpy(folder, self, static_cast<size_t>(last - self));
    folder[last - self] = 0;

    HANDLE running = OpenMutexA(SYNCHRONIZE, FALSE, kProgramMutex);
    if (running) {
        CloseHandle(running);
        MessageBoxA(nullptr, "Zippit(演示版) 正在运行。请先退出它，再卸载。", kCaption, MB_ICONWARNING);
        return 0;
    }
    if (MessageBoxA(nullptr, "确实要从您的计算机中删除 Zippit(演示版) 及其所有组件吗？", kCaption,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return 0;
    if (StartRemovalCopy(self, folder)) return 0;
    // Without a temporary copy the work is done here; this program and its
    // folder are left for the next restart.
    RemoveProduct(folder, self);
    MessageBoxA(nullptr, "Zippit(演示版) 已从您的计算机中删除。", kDoneCaption, MB_ICONINFORMATION);
    return 0;
}
