// Win32 implementation of Setup's platform services.
//
// Every path and text crosses here in UTF-8 (setup_system.h) and reaches the
// system as UTF-16 through the wide calls, converted once at the call: a
// name that neither GBK nor the system's code page can spell survives. GBK
// goes through code page 936, named explicitly.
#include "setup/setup_system.h"

#include "setup/text.h"
#include "setup/win32/win32_support.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <climits>
#include <cstring>
#include <string>

const char* SysCommandLine() {
    static char line[32768 * 3];
    if (!Utf8FromWide(GetCommandLineW(), line, sizeof line)) line[0] = 0;
    return line;
}

int SysSetCurrentFolder(const char* folder) { return SetCurrentDirectoryW(WideFromUtf8(folder).c_str()) != 0; }

int SysGetCurrentFolder(char* out, size_t size) {
    WCHAR folder[MAX_PATH * 4];
    DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, folder);
    // The length excludes the terminator on success and includes it when the buffer is too small.
    if (length == 0 || length >= MAX_PATH * 4) {
        if (size) out[0] = 0;
        return 0;
    }
    return Utf8FromWide(folder, out, size);
}

char SysWindowsDrive() {
    WCHAR folder[MAX_PATH + 1];
    UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
    return (length > 0 && length <= MAX_PATH && folder[0] < 0x80) ? static_cast<char>(folder[0]) : 0;
}

int SysReadFileBytes(const char* path, size_t limit, std::string* bytes) {
    bytes->clear();
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size;
    int ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && static_cast<uint64_t>(size.QuadPart) <= limit;
    if (ok) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes->empty() ||
             (ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &got, nullptr) && got == bytes->size());
    }
    CloseHandle(file);
    if (!ok) bytes->clear();
    return ok;
}

int SysWriteFileBytes(const char* path, const std::string& bytes) {
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD written = 0;
    int ok = bytes.size() <= MAXDWORD &&
             (bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) &&
             written == bytes.size();
    CloseHandle(file);
    return ok;
}

int SysGbkToUtf8(const char* gbk, char* out, size_t size) { return Utf8FromWide(WideFromGbk(gbk).c_str(), out, size); }

int SysUtf8ToGbk(const char* utf8, char* out, size_t size) {
    if (size) out[0] = 0;
    std::wstring wide = WideFromUtf8(utf8);
    BOOL lossy = FALSE;
    int length = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, out,
                                     static_cast<int>(size > INT_MAX ? INT_MAX : size), nullptr, &lossy);
    // A character GBK lacks would come out as a question mark.
    if (length > 0 && !lossy && WideFromGbk(out) == wide) return 1;
    if (size) out[0] = 0;
    return 0;
}

int SysFullPath(const char* path, char* out, size_t size) {
    WCHAR full[MAX_PATH * 4];
    DWORD length = GetFullPathNameW(WideFromUtf8(path).c_str(), MAX_PATH * 4, full, nullptr);
    // The length excludes the terminator on success and includes it when the buffer is too small.
    if (length == 0 || length >= MAX_PATH * 4) {
        if (size) out[0] = 0;
        return 0;
    }
    return Utf8FromWide(full, out, size);
}

int SysLongPath(const char* path, char* out, size_t size) {
    // The longest leading part that exists takes its long form; the parts
    // behind it, not made yet, are kept as they are.
    char head[kPathSize];
    if (!CopyText(head, sizeof head, path)) return 0;
    for (;;) {
        WCHAR longForm[MAX_PATH * 4];
        DWORD got = GetLongPathNameW(WideFromUtf8(head).c_str(), longForm, MAX_PATH * 4);
        char converted[kPathSize];
        if (got > 0 && got < MAX_PATH * 4 && Utf8FromWide(longForm, converted, sizeof converted))
            return FormatPath(out, size, "%s%s", converted, path + std::strlen(head));
        const char* last = LastBackslash(head);
        // Nothing shorter than "D:\\" is asked.
        if (!last || last - head < 3) return CopyText(out, size, path);
        head[last - head] = 0;
    }
}

namespace {

// The volume and index of an existing file or folder. Returns 0 when it cannot be opened.
int FileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* identity) {
    // No access rights are asked: a file another program holds open is still found.
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

int SysCreateFolder(const char* path) { return CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr) != 0; }

int SysPathExists(const char* path) {
    return GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int SysFileWriteTime(const char* path, uint64_t* ticks) {
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, FALSE};
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_WRITE, &security, OPEN_EXISTING,
                              FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    FILETIME written;
    BOOL ok = GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    if (!ok) return 0;
    *ticks = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return 1;
}

int SysCopyFile(const char* from, const char* to) {
    return CopyFileW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), FALSE) != 0;
}

int SysReplaceFile(const char* from, const char* to) {
    return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

int SysDeleteFile(const char* path) { return DeleteFileW(WideFromUtf8(path).c_str()) != 0; }

int SysSetArchiveOnly(const char* path) {
    return SetFileAttributesW(WideFromUtf8(path).c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
}

int SysDriveSpace(const char* root, uint32_t* sectorsPerCluster, uint32_t* bytesPerSector, uint32_t* freeClusters) {
    DWORD sectors = 0, bytes = 0, clusters = 0, total = 0;
    if (!GetDiskFreeSpaceW(WideFromUtf8(root).c_str(), &sectors, &bytes, &clusters, &total)) return 0;
    *sectorsPerCluster = sectors;
    *bytesPerSector = bytes;
    *freeClusters = clusters;
    return 1;
}

int SysMakeShellLink(const char* link, const char* target, const char* arguments, const char* folder) {
    // Initialised before every link and never uninitialised: the installer
    // uses COM only here, on its one thread.
    CoInitialize(nullptr);
    IShellLinkW* shellLink = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      reinterpret_cast<void**>(&shellLink));
    if (FAILED(result)) return 0;
    shellLink->SetPath(WideFromUtf8(target).c_str());
    shellLink->SetArguments(WideFromUtf8(arguments).c_str());
    shellLink->SetWorkingDirectory(WideFromUtf8(folder).c_str());
    IPersistFile* file = nullptr;
    result = shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(result)) {
        result = file->Save(WideFromUtf8(link).c_str(), TRUE);
        file->Release();
    }
    shellLink->Release();
    return SUCCEEDED(result);
}

int SysWriteMachineText(const char* key, const char* name, const char* text) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    // The terminating zero is stored with the text: readers such as the
    // system's list of programs take the stored bytes as a terminated string.
    std::wstring wide = WideFromUtf8(text);
    DWORD size = static_cast<DWORD>((wide.size() + 1) * sizeof(WCHAR));
    LONG result = RegSetValueExW(handle, WideFromUtf8(name).c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(wide.c_str()), size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}
