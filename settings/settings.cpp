// The settings store over the platform's key store.
#include "settings/settings.h"

#include "platform/keystore.h"
#include "platform/memory.h"

#include <cstring>

Settings g_settings = {nullptr, kDefaultCharActPer, 1, ""};

namespace {

// Reads a 32-bit number value. Values of any other size are unreadable: a
// shorter one would leave part of the number undefined.
int ReadDword(SysKey* key, const char* name, int32_t* value) {
    uint8_t data[4];
    uint32_t size = sizeof data;
    if (!SysKeyRead(key, name, data, &size) || size != sizeof data) return 0;
    *value = static_cast<int32_t>(static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                                  (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24));
    return 1;
}

void WriteDword(SysKey* key, const char* name, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    uint8_t data[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
                       static_cast<uint8_t>(bits >> 24)};
    SysKeyWrite(key, name, kKeyDword, data, sizeof data);
}

}  // namespace

int LoadSettings() {
    SysKey* key = SysKeyOpen(kProductKey);
    if (!key) return 0;

    SysFree(g_settings.Module);
    g_settings.Module = nullptr;
    char buffer[kModuleValueBuffer];
    uint32_t size = sizeof buffer;
    if (!SysKeyRead(key, "Module", buffer, &size)) {
        SysKeyClose(key);
        return 0;
    }
    // The text ends at the first zero byte or the end of the stored data; 256
    // bytes without a zero leave no room for the terminator and do not fit.
    const void* nul = std::memchr(buffer, 0, size);
    uint32_t length = nul ? static_cast<uint32_t>(static_cast<const char*>(nul) - buffer) : size;
    if (length >= kModuleValueBuffer) {
        SysKeyClose(key);
        return 0;
    }
    buffer[length] = 0;
    g_settings.Module = SysDupText(buffer);
    if (!g_settings.Module) {
        SysKeyClose(key);
        return 0;
    }

    if (!ReadDword(key, "CharActPer", &g_settings.CharActPer)) g_settings.CharActPer = kDefaultCharActPer;
    if (g_settings.CharActPer < kMinCharActPer || g_settings.CharActPer > kMaxCharActPer)
        g_settings.CharActPer = kDefaultCharActPer;
    if (!ReadDword(key, "SndUse", &g_settings.SndUse)) g_settings.SndUse = 1;
    std::strcpy(g_settings.UserName, "********");
    SysKeyClose(key);
    return 1;
}

void SaveSettings(const char* module) {
    SysKey* key = SysKeyCreate(kProductKey);
    if (!key) return;
    const char* text = module ? module : "";
    SysKeyWrite(key, "Module", kKeyText, text, static_cast<uint32_t>(std::strlen(text)));
    WriteDword(key, "CharActPer", g_settings.CharActPer);
    WriteDword(key, "SndUse", g_settings.SndUse);
    SysKeyClose(key);
}

void ReleaseSettings() {
    SysFree(g_settings.Module);
    g_settings = Settings{nullptr, kDefaultCharActPer, 1, ""};
}
