// Win32 implementation of Setup's platform services.
#include "setup/setup_system.h"

#include "setup/text.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

const char* SysCommandLine() { return GetCommandLineA(); }

int SysSetCurrentFolder(const char* folder) { return SetCurrentDirectoryA(folder) != 0; }

int SysGetCurrentFolder(char* out, size_t size) {
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(size), out);
    // The length excludes the terminator on success and includes it when the buffer is too small.
    if (length == 0 || length >= size) {
        if (size) out[0] = 0;
        return 0;
    }
    return 1;
}

char SysWindowsDrive() {
    char folder[MAX_PATH + 1];
    UINT length = GetWindowsDirectoryA(folder, sizeof folder);
    return (length > 0 && length < sizeof folder) ? folder[0] : 0;
}

void SysReadProfile(const char* path, const char* section, const char* key, const char* fallback, char* out,
                    size_t size) {
    GetPrivateProfileStringA(section, key, fallback, out, static_cast<DWORD>(size), path);
}

int SysWriteProfile(const char* path, const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, path) != 0;
}

int SysDeleteProfileSection(const char* path, const char* section) {
    return WritePrivateProfileStringA(section, nullptr, nullptr, path) != 0;
}

int SysIsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

int SysFullPath(const char* path, char* out, size_t size) {
    char* name = nullptr;
    DWORD length = GetFullPathNameA(path, static_cast<DWORD>(size), out, &name);
    // The length excludes the terminator on success and includes it when the buffer is too small.
    if (length == 0 || length >= size) {
        if (size) out[0] = 0;
        return 0;
    }
    return 1;
}

int SysLongPath(const char* path, char* out, size_t size) {
    // The longest leading part that exists takes its long form; the parts
    // behind it, not made yet, are kept as they are.
    char head[kPathSize];
    if (!CopyText(head, sizeof head, path)) return 0;
    for (;;) {
        char longForm[kPathSize];
        DWORD got = GetLongPathNameA(head, longForm, sizeof longForm);
        if (got > 0 && got < sizeof longForm)
            return FormatPath(out, size, "%s%s", longForm, path + std::strlen(head));
        const char* last = LastBackslash(head);
        // Nothing shorter than "D:\" is asked.
        if (!last || last - head < 3) return CopyText(out, size, path);
        head[last - head] = 0;
    }
}

namespace {

// The volume and index of an existing file or folder. Returns 0 when it cannot be opened.
int FileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* identity) {
    // No access rights are asked: a file another program holds open is still found.
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    BOOL ok = GetFileInformationByHandle(file, identity);
    CloseHandle(file);
    return ok != 0;
}

}  // namespace

int SysSameFile(const char* a, const char* b) {
    BY_HANDLE_FILE_INFORMATION first, second;
    if (!FileIdentity(a, &first) || !FileIdentity(b, &second)) return 0;
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

int SysCreateFolder(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }

int SysPathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

int SysFileWriteTime(const char* path, uint64_t* ticks) {
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, FALSE};
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_WRITE, &security, OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    FILETIME written;
    BOOL ok = GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    if (!ok) return 0;
    *ticks = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return 1;
}

int SysCopyFile(const char* from, const char* to) { return CopyFileA(from, to, FALSE) != 0; }

int SysReplaceFile(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

int SysDeleteFile(const char* path) { return DeleteFileA(path) != 0; }

int SysSetArchiveOnly(const char* path) { return SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE) != 0; }

int SysDriveSpace(const char* root, uint32_t* sectorsPerCluster, uint32_t* bytesPerSector, uint32_t* freeClusters) {
    DWORD sectors = 0, bytes = 0, clusters = 0, total = 0;
    if (!GetDiskFreeSpaceA(root, &sectors, &bytes, &clusters, &total)) return 0;
    *sectorsPerCluster = sectors;
    *bytesPerSector = bytes;
    *freeClusters = clusters;
    return 1;
}

int SysMakeShellLink(const char* link, const char* target, const char* arguments, const char* folder) {
    // Initialised before every link and never uninitialised: the installer
    // uses COM only here, on its one thread.
    CoInitialize(nullptr);
    IShellLinkA* shellLink = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      reinterpret_cast<void**>(&shellLink));
    if (FAILED(result)) return 0;
    shellLink->SetPath(target);
    shellLink->SetArguments(arguments);
    shellLink->SetWorkingDirectory(folder);
    IPersistFile* file = nullptr;
    result = shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(result)) {
        WCHAR wide[520];
        if (MultiByteToWideChar(CP_ACP, 0, link, -1, wide, 520) > 0)
            result = file->Save(wide, TRUE);
        else
            result = E_FAIL;
        file->Release();
    }
    shellLink->Release();
    return SUCCEEDED(result);
}

int SysWriteMachineText(const char* key, const char* name, const char* text) {
    HKEY handle = nullptr;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, key, &handle) != ERROR_SUCCESS) return 0;
    // The terminating zero is stored with the text: readers such as the
    // system's list of programs take the stored bytes as a terminated string.
    DWORD size = static_cast<DWORD>(std::strlen(text) + 1);
    LONG result = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}
