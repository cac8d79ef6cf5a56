// Fuzz target: the settings values as the key store hands them over. Input:
// a flags byte (which values exist), the byte counts of Module (two bytes),
// CharActPer and SndUse (one byte each, low four bits; the high four bits of
// SndUse's are HideOverFullScreen's), then the values' bytes in that order.
// Whatever LoadSettings accepts must survive SaveSettings and a second load.
#include "platform/keystore.h"
#include "platform/portable/hooks.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstring>

namespace {

// Takes up to `want` bytes from the input; returns how many were taken.
uint32_t Take(const uint8_t** data, size_t* size, uint32_t want) {
    uint32_t got = want < *size ? want : static_cast<uint32_t>(*size);
    *data += got;
    *size -= got;
    return got;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    uint8_t flags = data[0];
    uint32_t moduleLength = static_cast<uint32_t>(data[1] | ((data[2] & 3) << 8));
    uint32_t actLength = data[3] & 15;
    uint32_t soundLength = data[4] & 15;
    uint32_t hideLength = data[4] >> 4;
    data += 5;
    size -= 5;

    SysTestKeyStoreClear();
    ReleaseSettings();
    if (flags & 1) {
        SysKey* key = SysKeyCreate(kProductKey);
        const uint8_t* at = data;
        uint32_t got = Take(&data, &size, moduleLength);
        if (flags & 2) SysKeyWrite(key, "Module", (flags & 16) ? kKeyBinary : kKeyText, at, got);
        at = data;
        got = Take(&data, &size, actLength);
        if (flags & 4) SysKeyWrite(key, "CharActPer", (flags & 32) ? kKeyBinary : kKeyDword, at, got);
        at = data;
        got = Take(&data, &size, soundLength);
        if (flags & 8) SysKeyWrite(key, "SndUse", kKeyDword, at, got);
        at = data;
        got = Take(&data, &size, hideLength);
        if (flags & 64) SysKeyWrite(key, "HideOverFullScreen", (flags & 128) ? kKeyText : kKeyDword, at, got);
        SysKeyClose(key);
    }

    if (LoadSettings()) {
        FuzzCheck(UserSettings.Module && std::strlen(UserSettings.Module) < kModuleValueBuffer, "Module too long");
        FuzzCheck(UserSettings.CharActPer >= kMinCharActPer && UserSettings.CharActPer <= kMaxCharActPer,
                  "CharActPer outside its range");
        FuzzCheck(std::strcmp(UserSettings.UserName, "********") == 0, "the user line is not masked");
        // What was read is written back and read again unchanged.
        char module[kModuleValueBuffer];
        std::strcpy(module, UserSettings.Module);
        int32_t act = UserSettings.CharActPer;
        int32_t sound = UserSettings.SndUse;
        int32_t hide = UserSettings.HideOverFullScreen;
        SaveSettings(module);
        FuzzCheck(LoadSettings() == 1, "settings just saved cannot be loaded");
        FuzzCheck(std::strcmp(module, UserSettings.Module) == 0 && act == UserSettings.CharActPer &&
                      sound == UserSettings.SndUse && hide == UserSettings.HideOverFullScreen,
                  "settings changed through a save and a load");
    } else {
        FuzzCheck(UserSettings.Module == nullptr, "a failed load left a module name");
    }
    ReleaseSettings();
    SysTestKeyStoreClear();
    FuzzCheckNothingLeft();
    return 0;
}
