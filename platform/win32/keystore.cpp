// Win32 key store: the registry under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER,
// through the wide calls; texts are stored as UTF-16.
#include "platform/keystore.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

// An HKEY is a pointer-sized handle; the opaque SysKey is that handle itself.
static SysKey* FromHkey(HKEY key) { return reinterpret_cast<SysKey*>(key); }
static HKEY ToHkey(SysKey* key) { return reinterpret_cast<HKEY>(key); }

static HKEY RootKey(KeyRoot root) { return root == KeyRoot::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// The types whose data the system holds as UTF-16 text.
static bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

SysKey* SysKeyOpen(const char* path, KeyRoot root) {
    HKEY key = nullptr;
    if (RegOpenKeyW(RootKey(root), WideText(path).get(), &key) != ERROR_SUCCESS) return nullptr;
    return FromHkey(key);
}

// A standard account gets ERROR_ACCESS_DENIED here for the machine root in a
// 64-bit program; a 32-bit one without a manifest is silently redirected to
// the user's virtual store instead, and succeeds.
SysKey* SysKeyCreate(const char* path, KeyRoot root) {
    HKEY key = nullptr;
    if (RegCreateKeyW(RootKey(root), WideText(path).get(), &key) != ERROR_SUCCESS) return nullptr;
    return FromHkey(key);
}

// A text value's UTF-16 comes back as bytes (wide_text.h), zeros included,
// and must fit as those bytes, as the ANSI call measured it; any other
// value's data comes back as stored.
int SysKeyRead(SysKey* key, const char* name, void* buffer, uint32_t* size) {
    if (!key) return 0;
    WideText valueName(name);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(ToHkey(key), valueName.get(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return 0;
    if (!IsTextType(type)) {
        // ERROR_MORE_DATA when the value does not fit: unreadable, as the caller expects.
        bytes = *size;
        if (RegQueryValueExW(ToHkey(key), valueName.get(), nullptr, &type, static_cast<BYTE*>(buffer), &bytes) !=
                ERROR_SUCCESS ||
            bytes > *size)
            return 0;
        *size = bytes;
        return 1;
    }
    wchar_t* text = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes + sizeof(wchar_t)));
    if (!text) return 0;
    DWORD got = bytes;
    LONG result = RegQueryValueExW(ToHkey(key), valueName.get(), nullptr, &type, reinterpret_cast<BYTE*>(text), &got);
    uint32_t length = 0;
    if (result == ERROR_SUCCESS && got <= bytes)
        length = EncodeFromWide(text, got / sizeof(wchar_t), static_cast<char*>(buffer), *size);
    HeapFree(GetProcessHeap(), 0, text);
    if (result != ERROR_SUCCESS || got > bytes || length > *size) return 0;
    *size = length;
    return 1;
}

int SysKeyWrite(SysKey* key, const char* name, uint32_t type, const void* data, uint32_t size) {
    if (!key) return 0;
    WideText valueName(name);
    if (type != kKeyText)
        return RegSetValueExW(ToHkey(key), valueName.get(), 0, type, static_cast<const BYTE*>(data), size) ==
               ERROR_SUCCESS;
    // The system stores a terminating zero of its own when the unit after
    // the given count is zero; the text goes out of a copy followed by a
    // non-zero unit so that exactly its own units are stored.
    WideText text(static_cast<const char*>(data), size);
    uint32_t units = text.length();
    wchar_t* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (units + 1) * sizeof(wchar_t)));
    if (!copy) return 0;
    CopyMemory(copy, text.get(), units * sizeof(wchar_t));
    copy[units] = 0xFFFF;
    LONG result = RegSetValueExW(ToHkey(key), valueName.get(), 0, type, reinterpret_cast<const BYTE*>(copy),
                                 units * sizeof(wchar_t));
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
