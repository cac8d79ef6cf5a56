// Win32 directory service: FindFirstFileA and FindNextFileA, GetFileAttributesA, DeleteFileA.
#include "platform/directory.h"

#include <windows.h>

#include <cstring>

struct SysFind {
    HANDLE handle;
};

static void CopyName(const WIN32_FIND_DATAA& data, char name[kFoundNameCapacity]) {
    std::strncpy(name, data.cFileName, kFoundNameCapacity - 1);
    name[kFoundNameCapacity - 1] = 0;
}

SysFind* SysFindFirst(const char* pattern, char name[kFoundNameCapacity]) {
    name[0] = 0;
    if (!pattern) return nullptr;
    WIN32_FIND_DATAA data;
    HANDLE handle = FindFirstFileA(pattern, &data);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    SysFind* find = static_cast<SysFind*>(HeapAlloc(GetProcessHeap(), 0, sizeof(SysFind)));
    if (!find) {
        FindClose(handle);
        return nullptr;
    }
    find->handle = handle;
    CopyName(data, name);
    return find;
}

int SysFindNext(SysFind* find, char name[kFoundNameCapacity]) {
    name[0] = 0;
    if (!find) return 0;
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(find->handle, &data)) return 0;
    CopyName(data, name);
    return 1;
}

void SysFindClose(SysFind* find) {
    if (!find) return;
    FindClose(find->handle);
    HeapFree(GetProcessHeap(), 0, find);
}

int SysPathKind(const char* path, int* isDirectory) {
    *isDirectory = 0;
    if (!path) return 0;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    *isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    return 1;
}

int SysDeleteFile(const char* path) { return path && DeleteFileA(path) ? 1 : 0; }
