// Portable key store: the machine's configuration keys kept in memory.
//
// Key paths compare without regard to ASCII case, as the registry's do; value
// names too. A key opened here is a reference to its path, so a key that is
// cleared while open simply reads as empty.
#include "platform/keystore.h"
#include "platform/portable/hooks.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct StoredValue {
    uint32_t type;
    std::vector<unsigned char> data;
};

std::string FoldCase(const char* text) {
    std::string folded(text ? text : "");
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::map<std::string, std::map<std::string, StoredValue>>& Keys() {
    static std::map<std::string, std::map<std::string, StoredValue>> keys;  // path -> values
    return keys;
}

}  // namespace

struct SysKey {
    std::string path;
};

SysKey* SysKeyOpen(const char* path) {
    std::string folded = FoldCase(path);
    if (Keys().find(folded) == Keys().end()) return nullptr;
    return new SysKey{folded};
}

SysKey* SysKeyCreate(const char* path) {
    std::string folded = FoldCase(path);
    // Every key above the new one exists too, as in the registry.
    for (size_t at = folded.find('\\'); at != std::string::npos; at = folded.find('\\', at + 1))
        Keys()[folded.substr(0, at)];
    Keys()[folded];
    return new SysKey{folded};
}

int SysKeyRead(SysKey* key, const char* name, void* buffer, uint32_t* size) {
    if (!key) return 0;
    auto found = Keys().find(key->path);
    if (found == Keys().end()) return 0;
    auto value = found->second.find(FoldCase(name));
    if (value == found->second.end()) return 0;
    if (value->second.data.size() > *size) return 0;
    std::copy(value->second.data.begin(), value->second.data.end(), static_cast<unsigned char*>(buffer));
    *size = static_cast<uint32_t>(value->second.data.size());
    return 1;
}

int SysKeyWrite(SysKey* key, const char* name, uint32_t type, const void* data, uint32_t size) {
    if (!key) return 0;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    Keys()[key->path][FoldCase(name)] = StoredValue{type, std::vector<unsigned char>(bytes, bytes + size)};
    return 1;
}

void SysKeyClose(SysKey* key) { delete key; }

void SysTestKeyStoreClear() { Keys().clear(); }

int SysTestKeyInfo(const char* path, const char* name, uint32_t* type, uint32_t* size) {
    auto found = Keys().find(FoldCase(path));
    if (found == Keys().end()) return 0;
    auto value = found->second.find(FoldCase(name));
    if (value == found->second.end()) return 0;
    *type = value->second.type;
    *size = static_cast<uint32_t>(value->second.data.size());
    return 1;
}
