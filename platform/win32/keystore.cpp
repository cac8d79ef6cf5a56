// Win32 key store: the registry under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
#include "platform/keystore.h"

#include <windows.h>

// An HKEY is a pointer-sized handle; the opaque SysKey is that handle itself.
static SysKey* FromHkey(HKEY key) { return reinterpret_cast<SysKey*>(key); }
static HKEY ToHkey(SysKey* key) { return reinterpret_cast<HKEY>(key); }

static HKEY RootKey(KeyRoot root) { return root == KeyRoot::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

SysKey* SysKeyOpen(const char* path, KeyRoot root) {
    HKEY key = nullptr;
    if (RegOpenKeyA(RootKey(root), path, &key) != ERROR_SUCCESS) return nullptr;
    return FromHkey(key);
}

// A standard account gets ERROR_ACCESS_DENIED here for the machine root in a
// 64-bit program; a 32-bit one without a manifest is silently redirected to
// the user's virtual store instead, and succeeds.
SysKey* SysKeyCreate(const char* path, KeyRoot root) {
    HKEY key = nullptr;
    if (RegCreateKeyA(RootKey(root), path, &key) != ERROR_SUCCESS) return nullptr;
    return FromHkey(key);
}

int SysKeyRead(SysKey* key, const char* name, void* buffer, uint32_t* size) {
    if (!key) return 0;
    DWORD type = 0;
    DWORD bytes = *size;
    // ERROR_MORE_DATA when the value does not fit: unreadable, as the caller expects.
    if (RegQueryValueExA(ToHkey(key), name, nullptr, &type, static_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS)
        return 0;
    if (bytes > *size) return 0;
    *size = bytes;
    return 1;
}

int SysKeyWrite(SysKey* key, const char* name, uint32_t type, const void* data, uint32_t size) {
    if (!key) return 0;
    if (type != kKeyText)
        return RegSetValueExA(ToHkey(key), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    // Wine stores a terminating zero of its own when the byte after the given
    // count is zero; the text goes out of a copy followed by a non-zero byte so
    // that exactly `size` bytes are stored, as on Windows.
    BYTE* copy = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, size + 1));
    if (!copy) return 0;
    CopyMemory(copy, data, size);
    copy[size] = 0xFF;
    LONG result = RegSetValueExA(ToHkey(key), name, 0, type, copy, size);
    HeapFree(GetProcessHeap(), 0, copy);
    return result == ERROR_SUCCESS;
}

int SysKeyWriteTime(SysKey* key, uint64_t* time) {
    if (!key) return 0;
    FILETIME written;
    if (RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &written) != ERROR_SUCCESS)
        return 0;
    *time = (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return 1;
}

void SysKeyClose(SysKey* key) {
    if (key) RegCloseKey(ToHkey(key));
}
