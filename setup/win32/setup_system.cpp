// Win32 implementation of Setup's platform services.
#include "setup/setup_system.h"

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
    DWORD length = static_cast<DWORD>(std::strlen(text));
    // Wine stores a terminating zero of its own when the byte after the given
    // count is zero; the text goes out of a copy followed by a non-zero byte so
    // that exactly `length` bytes are stored, as on Windows.
    BYTE* copy = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, length + 1));
    LONG result = ERROR_OUTOFMEMORY;
    if (copy) {
        CopyMemory(copy, text, length);
        copy[length] = 0xFF;
        result = RegSetValueExA(handle, name, 0, REG_SZ, copy, length);
        HeapFree(GetProcessHeap(), 0, copy);
    }
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}
