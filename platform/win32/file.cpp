// Win32 file service: CreateFileW with read sharing, SetFilePointer and ReadFile.
#include "platform/file.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

struct SysFile {
    HANDLE handle;
};

static int64_t g_liveFiles = 0;  // files opened and not yet closed

SysFile* SysFileOpenRead(const char* path) {
    if (!path) return nullptr;
    HANDLE handle = CreateFileW(WideText(path).get(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    SysFile* file = static_cast<SysFile*>(HeapAlloc(GetProcessHeap(), 0, sizeof(SysFile)));
    if (!file) {
        CloseHandle(handle);
        return nullptr;
    }
    file->handle = handle;
    g_liveFiles++;
    return file;
}

int SysFileSize(SysFile* file, uint32_t* size) {
    if (!file) return 0;
    DWORD high = 0;
    DWORD low = GetFileSize(file->handle, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    if (high != 0 || low == 0xFFFFFFFFu) return 0;
    *size = low;
    return 1;
}

int SysFileReadAt(SysFile* file, uint32_t offset, void* buffer, uint32_t length, uint32_t* got) {
    *got = 0;
    if (!file) return 0;
    // SetFilePointer takes the low 32 bits signed; passing a high word makes
    // offsets of 2 GiB and more unambiguous.
    LONG high = 0;
    DWORD moved = SetFilePointer(file->handle, static_cast<LONG>(offset), &high, FILE_BEGIN);
    if (moved == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return 0;
    DWORD read = 0;
    if (!ReadFile(file->handle, buffer, length, &read, nullptr)) return 0;
    *got = read;
    return 1;
}

void SysFileClose(SysFile* file) {
    if (!file) return;
    CloseHandle(file->handle);
    HeapFree(GetProcessHeap(), 0, file);
    g_liveFiles--;
}

int64_t SysLiveFiles() { return g_liveFiles; }
