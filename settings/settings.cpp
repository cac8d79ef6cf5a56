// The settings store over the platform's key store: the product key of the
// machine, and the same key of the user where the machine's refuses writes.
#include "settings/settings.h"

#include "platform/file.h"
#include "platform/keystore.h"
#include "platform/memory.h"

#include <cstring>

namespace {

// The product key as read: the user's and the machine's, either nullptr when
// absent, and which of them comes first.
struct ProductKeys {
    SysKey* user;
    SysKey* machine;
    int userFirst;
};

SysKey* FirstKey(const ProductKeys& keys) { return keys.userFirst ? keys.user : keys.machine; }
SysKey* SecondKey(const ProductKeys& keys) { return keys.userFirst ? keys.machine : keys.user; }

// Opens both product keys. The user's comes first only when it was written
// after the machine's, or when a time cannot be read (the order earlier
// versions always read them in): a later Setup's `Module` in the machine's
// key wins over what an earlier exit saved in the user's key.
ProductKeys OpenProductKeys() {
    ProductKeys keys = {SysKeyOpen(kProductKey, KeyRoot::kUser), SysKeyOpen(kProductKey, KeyRoot::kMachine), 0};
    uint64_t userTime = 0;
    uint64_t machineTime = 0;
    keys.userFirst = keys.user && (!keys.machine || !SysKeyWriteTime(keys.user, &userTime) ||
                                   !SysKeyWriteTime(keys.machine, &machineTime) || userTime > machineTime);
    return keys;
}

// Reads a value from the first key when it is readable there, else from the
// second; the arguments as for SysKeyRead.
int ReadValue(const ProductKeys& keys, const char* name, void* buffer, uint32_t* size) {
    uint32_t capacity = *size;
    if (SysKeyRead(FirstKey(keys), name, buffer, size)) return 1;
    *size = capacity;
    return SysKeyRead(SecondKey(keys), name, buffer, size);
}

// Reads `key`'s `Module` into `text` (kModuleValueBuffer bytes). The text ends
// at the first zero byte or the end of the stored data. Returns 0 when the
// value is missing or its text is longer than 255 bytes.
int ReadModule(SysKey* key, char* text) {
    uint32_t size = kModuleValueBuffer;
    if (!SysKeyRead(key, "Module", text, &size)) return 0;
    // 256 bytes without a zero leave no room for the terminator and do not fit.
    const void* nul = std::memchr(text, 0, size);
    uint32_t length = nul ? static_cast<uint32_t>(static_cast<const char*>(nul) - text) : size;
    if (length >= kModuleValueBuffer) return 0;
    text[length] = 0;
    return 1;
}

// 1 when `module` opens as a file, resolved as the module reader resolves it.
int NamesFile(const char* module) {
    SysFile* file = SysFileOpenRead(module);
    SysFileClose(file);
    return file != nullptr;
}

// The start-up module into `text` (kModuleValueBuffer bytes): the first
// key's, else the second's. A name from the user's key that names no file
// (its module was removed, or a later installation replaced it) gives way to
// the machine's. Returns 0 when neither key has a readable one.
int ChooseModule(const ProductKeys& keys, char* text) {
    SysKey* from = FirstKey(keys);
    if (!ReadModule(from, text)) {
        from = SecondKey(keys);
        if (!ReadModule(from, text)) return 0;
    }
    char machineText[kModuleValueBuffer];
    if (from == keys.user && !NamesFile(text) && ReadModule(keys.machine, machineText))
        std::memcpy(text, machineText, sizeof machineText);
    return 1;
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

// Writes the values to `key`. Returns 1 when every write succeeded.
// `HideOverFullScreen` is never written: nothing in the program changes it,
// so an edit made in the key while the program runs survives the exit.
int WriteValues(SysKey* key, const char* module) {
    if (!key) return 0;
    const char* text = module ? module : "";
    uint32_t size = static_cast<uint32_t>(std::strlen(text) + 1);
    // The registry skips a write that changes nothing and keeps the key's
    // write time, so a save that left the user's key as it was would leave it
    // older than a machine's key written since. The name goes out once as
    // binary data first (it reads the same, whatever the type), so the save is
    // always the key's latest write. Then as text with its terminating zero,
    // as readers of REG_SZ expect.
    SysKeyWrite(key, "Module", kKeyBinary, text, size);
    int written = SysKeyWrite(key, "Module", kKeyText, text, size);
    written &= WriteDword(key, "CharActPer", UserSettings.CharActPer);
    written &= WriteDword(key, "SndUse", UserSettings.SndUse);
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
    ProductKeys keys = OpenProductKeys();
    if (!keys.user && !keys.machine) return 0;

    SysFree(UserSettings.Module);
    UserSettings.Module = nullptr;
    char module[kModuleValueBuffer];
    if (ChooseModule(keys, module)) UserSettings.Module = SysDupText(module);
    if (!UserSettings.Module) {
        CloseKeys(keys);
        return 0;
    }

    if (!ReadDword(keys, "CharActPer", &UserSettings.CharActPer)) UserSettings.CharActPer = kDefaultCharActPer;
    if (UserSettings.CharActPer < kMinCharActPer || UserSettings.CharActPer > kMaxCharActPer)
        UserSettings.CharActPer = kDefaultCharActPer;
    if (!ReadDword(keys, "SndUse", &UserSettings.SndUse)) UserSettings.SndUse = 1;
    // The choices below have no control in the program, which never writes
    // them: the user sets them in the key, so the keys' times say nothing
    // about them and the user's own setting comes first. A value that means
    // nothing leaves today's behaviour.
    ProductKeys usersFirst = {keys.user, keys.machine, 1};
    if (!ReadDword(usersFirst, "HideOverFullScreen", &UserSettings.HideOverFullScreen))
        UserSettings.HideOverFullScreen = 1;
    if (!ReadDword(usersFirst, "HideHotKey", &UserSettings.HideHotKey) || !IsHotKeyValue(UserSettings.HideHotKey))
        UserSettings.HideHotKey = kDefaultHideHotKey;
    if (!ReadDword(usersFirst, "IdleMinutes", &UserSettings.IdleMinutes) || UserSettings.IdleMinutes < 0)
        UserSettings.IdleMinutes = 0;
    if (!ReadDword(usersFirst, "SizeFactor", &UserSettings.SizeFactor) || UserSettings.SizeFactor < 1 ||
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
    // once it exists it is kept up to date too, so that it never holds older
    // choices (where the keys' times cannot be compared it is read first).
    SysKey* user = saved ? SysKeyOpen(kProductKey, KeyRoot::kUser) : SysKeyCreate(kProductKey, KeyRoot::kUser);
    WriteValues(user, module);
    SysKeyClose(user);
}

void ReleaseSettings() {
    SysFree(UserSettings.Module);
    UserSettings = Settings{nullptr, kDefaultCharActPer, 1, 1, kDefaultHideHotKey, 0, 1, ""};
}
