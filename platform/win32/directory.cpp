// Win32 directory service: FindFirstFileW and FindNextFileW, GetFileAttributesW, DeleteFileW, CompareStringOrdinal.
#include "platform/directory.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

struct SysFind {
    HANDLE handle;
};

// Puts the found name into `name`, or the next one that fits when it does
// not (a name of characters GBK cannot spell takes up to 4 bytes each).
// Returns 0 when no name is left.
static int TakeName(HANDLE handle, WIN32_FIND_DATAW* data, char name[kFoundNameCapacity]) {
    while (!NarrowText(data->cFileName, name, kFoundNameCapacity))
        if (!FindNextFileW(handle, data)) return 0;
    return 1;
}

SysFind* SysFindFirst(const char* pattern, char name[kFoundNameCapacity]) {
    name[0] = 0;
    if (!pattern) return nullptr;
    WIN32_FIND_DATAW data;
    HANDLE handle = FindFirstFileW(WideText(pattern).get(), &data);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    SysFind* find = static_cast<SysFind*>(HeapAlloc(GetProcessHeap(), 0, sizeof(SysFind)));
    if (!find || !TakeName(handle, &data, name)) {
        if (find) HeapFree(GetProcessHeap(), 0, find);
        FindClose(handle);
        return nullptr;
    }
    find->handle = handle;
    return find;
}

int SysFindNext(SysFind* find, char name[kFoundNameCapacity]) {
    name[0] = 0;
    if (!find) return 0;
    WIN32_FIND_DATAW data;
    if (!FindNextFileW(find->handle, &data)) return 0;
    return TakeName(find->handle, &data, name);
}

void SysFindClose(SysFind* find) {
    if (!find) return;
    FindClose(find->handle);
    HeapFree(GetProcessHeap(), 0, find);
}

int SysPathKind(const char* path, int* isDirectory) {
    *isDirectory = 0;
    if (!path) return 0;
    DWORD attributes = GetFileAttributesW(WideText(path).get());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    *isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    return 1;
}

int SysDeleteFile(const char* path) { return path && DeleteFileW(WideText(path).get()) ? 1 : 0; }

int SysSameFileName(const char* a, const char* b) {
    if (!a || !b) return 0;
    // The system's own upper-case table, as its file systems compare names.
    return CompareStringOrdinal(WideText(a).get(), -1, WideText(b).get(), -1, TRUE) == CSTR_EQUAL;
}
