// The settings store over the platform's key store: the product key of the
// machine, and the same key of the user where the machine's refuses writes.
#include "settings/settings.h"

#include "platform/keystore.h"
#include "platform/memory.h"

#include <cstring>

namespace {

// The product key as read: the user's (nullptr when absent), then the machine's.
struct ProductKeys {
    SysKey* user;
    SysKey* machine;
};

// Reads a value from the user's key when it is readable there, else from the
// machine's; the arguments as for SysKeyRead.
int ReadValue(const ProductKeys& keys, const char* name, void* buffer, uint32_t* size) {
    uint32_t capacity = *size;
    if (SysKeyRead(keys.user, name, buffer, size)) return 1;
    *size = capacity;
    return SysKeyRead(keys.machine, name, buffer, size);
}

// Reads a 32-bit number value. Values of any other size are unreadable: a
// shorter one would leave part of the number undefined.
int ReadDword(const ProductKeys& keys, const char* name, int32_t* value) {
    uint8_t data[4];
    uint32_t size = sizeof data;
    if (!ReadValue(keys, name, data, &size) || size != sizeof data) return 0;
    *value = static_cast<int32_t>(static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                                  (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24));
    return 1;
}

int WriteDword(SysKey* key, const char* name, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    uint8_t data[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
                       static_cast<uint8_t>(bits >> 24)};
    return SysKeyWrite(key, name, kKeyDword, data, sizeof data);
}

// 1 when `key` holds a 32-bit number value `name`.
int HoldsDword(SysKey* key, const char* name) {
    uint8_t data[4];
    uint32_t size = sizeof data;
    return SysKeyRead(key, name, data, &size) && size == sizeof data;
}

// Writes the values to `key`. Returns 1 when every write succeeded.
int WriteValues(SysKey* key, const char* module) {
    if (!key) return 0;
    const char* text = module ? module : "";
    int written = SysKeyWrite(key, "Module", kKeyText, text, static_cast<uint32_t>(std::strlen(text)));
    written &= WriteDword(key, "CharActPer", UserSettings.CharActPer);
    written &= WriteDword(key, "SndUse", UserSettings.SndUse);
    // Most users never set this one: while it holds the default and the key
    // has no number of that name, the key stays exactly as it was.
    if (UserSettings.HideOverFullScreen != 1 || HoldsDword(key, "HideOverFullScreen"))
        written &= WriteDword(key, "HideOverFullScreen", UserSettings.HideOverFullScreen);
    return written;
}

// 0 (no key), or a virtual-key code of 1 to 255 with modifier bits of
// kHotKeyAlt to kHotKeyWin above it and nothing more.
bool IsHotKeyValue(int32_t value) { return value == 0 || ((value & ~0xFFF) == 0 && (value & 0xFF) != 0); }

void CloseKeys(const ProductKeys& keys) {
    SysKeyClose(keys.user);
    SysKeyClose(keys.machine);
}

}  // namespace

int LoadSettings() {
    ProductKeys keys = {SysKeyOpen(kProductKey, KeyRoot::kUser), SysKeyOpen(kProductKey, KeyRoot::kMachine)};
    if (!keys.user && !keys.machine) return 0;

    SysFree(UserSettings.Module);
    UserSettings.Module = nullptr;
    char buffer[kModuleValueBuffer];
    uint32_t size = sizeof buffer;
    if (!ReadValue(keys, "Module", buffer, &size)) {
        CloseKeys(keys);
        return 0;
    }
    // The text ends at the first zero byte or the end of the stored data; 256
    // bytes without a zero leave no room for the terminator and do not fit.
    const void* nul = std::memchr(buffer, 0, size);
    uint32_t length = nul ? static_cast<uint32_t>(static_cast<const char*>(nul) - buffer) : size;
    if (length >= kModuleValueBuffer) {
        CloseKeys(keys);
        return 0;
    }
    buffer[length] = 0;
    UserSettings.Module = SysDupText(buffer);
    if (!UserSettings.Module) {
        CloseKeys(keys);
        return 0;
    }

    if (!ReadDword(keys, "CharActPer", &UserSettings.CharActPer)) UserSettings.CharActPer = kDefaultCharActPer;
    if (UserSettings.CharActPer < kMinCharActPer || UserSettings.CharActPer > kMaxCharActPer)
        UserSettings.CharActPer = kDefaultCharActPer;
    if (!ReadDword(keys, "SndUse", &UserSettings.SndUse)) UserSettings.SndUse = 1;
    if (!ReadDword(keys, "HideOverFullScreen", &UserSettings.HideOverFullScreen)) UserSettings.HideOverFullScreen = 1;
    // The choices below have no control in the program, which never writes
    // them: the user sets them in the key, and a value that means nothing
    // leaves today's behaviour.
    if (!ReadDword(keys, "HideHotKey", &UserSettings.HideHotKey) || !IsHotKeyValue(UserSettings.HideHotKey))
        UserSettings.HideHotKey = kDefaultHideHotKey;
    if (!ReadDword(keys, "IdleMinutes", &UserSettings.IdleMinutes) || UserSettings.IdleMinutes < 0)
        UserSettings.IdleMinutes = 0;
    if (!ReadDword(keys, "SizeFactor", &UserSettings.SizeFactor) || UserSettings.SizeFactor < 1 ||
        UserSettings.SizeFactor > kMaxSizeFactor)
        UserSettings.SizeFactor = 1;
    std::strcpy(UserSettings.UserName, "********");
    CloseKeys(keys);
    return 1;
}

void SaveSettings(const char* module) {
    SysKey* machine = SysKeyCreate(kProductKey, KeyRoot::kMachine);
    int saved = WriteValues(machine, module);
    SysKeyClose(machine);
    // The user's key takes the values when the machine's refused them, and
    // once it exists it is kept up to date, since it is read first.
    SysKey* user = saved ? SysKeyOpen(kProductKey, KeyRoot::kUser) : SysKeyCreate(kProductKey, KeyRoot::kUser);
    WriteValues(user, module);
    SysKeyClose(user);
}

void ReleaseSettings() {
    SysFree(UserSettings.Module);
    UserSettings = Settings{nullptr, kDefaultCharActPer, 1, 1, kDefaultHideHotKey, 0, 1, ""};
}
