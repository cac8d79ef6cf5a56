// Portable key store: the machine's and the user's configuration keys kept in
// memory.
//
// Key paths compare without regard to ASCII case, as the registry's do; value
// names too. A key opened here is a reference to its root and path, so a key
// that is cleared while open simply reads as empty. When the test hook
// refuses machine writes, a missing machine key cannot be created and no
// value below the machine root can be written, as for a standard account.
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

using KeyTree = std::map<std::string, std::map<std::string, StoredValue>>;  // path -> values

KeyTree& Keys(KeyRoot root) {
    static KeyTree machine;
    static KeyTree user;
    return root == KeyRoot::kUser ? user : machine;
}

bool g_refuseMachineWrites = false;  // the test hook's standard account

bool Refused(KeyRoot root) { return root == KeyRoot::kMachine && g_refuseMachineWrites; }

}  // namespace

struct SysKey {
    KeyRoot root;
    std::string path;
};

SysKey* SysKeyOpen(const char* path, KeyRoot root) {
    std::string folded = FoldCase(path);
    if (Keys(root).find(folded) == Keys(root).end()) return nullptr;
    return new SysKey{root, folded};
}

SysKey* SysKeyCreate(const char* path, KeyRoot root) {
    std::string folded = FoldCase(path);
    if (Refused(root) && Keys(root).find(folded) == Keys(root).end()) return nullptr;
    // Every key above the new one exists too, as in the registry.
    for (size_t at = folded.find('\\'); at != std::string::npos; at = folded.find('\\', at + 1))
        Keys(root)[folded.substr(0, at)];
    Keys(root)[folded];
    return new SysKey{root, folded};
}

int SysKeyRead(SysKey* key, const char* name, void* buffer, uint32_t* size) {
    if (!key) return 0;
    auto found = Keys(key->root).find(key->path);
    if (found == Keys(key->root).end()) return 0;
    auto value = found->second.find(FoldCase(name));
    if (value == found->second.end()) return 0;
    if (value->second.data.size() > *size) return 0;
    std::copy(value->second.data.begin(), value->second.data.end(), static_cast<unsigned char*>(buffer));
    *size = static_cast<uint32_t>(value->second.data.size());
    return 1;
}

int SysKeyWrite(SysKey* key, const char* name, uint32_t type, const void* data, uint32_t size) {
    if (!key || Refused(key->root)) return 0;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    Keys(key->root)[key->path][FoldCase(name)] = StoredValue{type, std::vector<unsigned char>(bytes, bytes + size)};
    return 1;
}

void SysKeyClose(SysKey* key) { delete key; }

void SysTestKeyStoreClear() {
    Keys(KeyRoot::kMachine).clear();
    Keys(KeyRoot::kUser).clear();
    g_refuseMachineWrites = false;
}

void SysTestRefuseMachineWrites(int refuse) { g_refuseMachineWrites = refuse != 0; }

int SysTestKeyInfo(const char* path, const char* name, uint32_t* type, uint32_t* size) {
    auto found = Keys(KeyRoot::kMachine).find(FoldCase(path));
    if (found == Keys(KeyRoot::kMachine).end()) return 0;
    auto value = found->second.find(FoldCase(name));
    if (value == found->second.end()) return 0;
    *type = value->second.type;
    *size = static_cast<uint32_t>(value->second.data.size());
    return 1;
}
