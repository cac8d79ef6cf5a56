// Portable key store: the machine's and the user's configuration keys kept in
// memory.
//
// Key paths compare without regard to ASCII case, as the registry's do; value
// names too. A key opened here is a reference to its root and path, so a key
// that is cleared while open simply reads as empty. When the test hook
// refuses machine writes, a missing machine key cannot be created and no
// value below the machine root can be written, as for a standard account.
// Write times come from a counter of the store's own, so tests that compare
// them are exactly reproducible.
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

struct StoredKey {
    std::map<std::string, StoredValue> values;  // by folded name
    uint64_t written;                            // the store's clock at the last write
};

using KeyTree = std::map<std::string, StoredKey>;  // by folded path

KeyTree& Keys(KeyRoot root) {
    static KeyTree machine;
    static KeyTree user;
    return root == KeyRoot::kUser ? user : machine;
}

bool g_refuseMachineWrites = false;  // the test hook's standard account
uint64_t g_writeClock = 0;           // one step per key made or value written

// The key at `path`, made (with the time of making) when absent.
StoredKey& MakeKey(KeyRoot root, const std::string& path) {
    auto found = Keys(root).find(path);
    if (found != Keys(root).end()) return found->second;
    return Keys(root)[path] = StoredKey{{}, ++g_writeClock};
}

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
        MakeKey(root, folded.substr(0, at));
    MakeKey(root, folded);
    return new SysKey{root, folded};
}

int SysKeyRead(SysKey* key, const char* name, void* buffer, uint32_t* size) {
    if (!key) return 0;
    auto found = Keys(key->root).find(key->path);
    if (found == Keys(key->root).end()) return 0;
    auto value = found->second.values.find(FoldCase(name));
    if (value == found->second.values.end()) return 0;
    if (value->second.data.size() > *size) return 0;
    std::copy(value->second.data.begin(), value->second.data.end(), static_cast<unsigned char*>(buffer));
    *size = static_cast<uint32_t>(value->second.data.size());
    return 1;
}

int SysKeyWrite(SysKey* key, const char* name, uint32_t type, const void* data, uint32_t size) {
    if (!key || Refused(key->root)) return 0;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    StoredKey& stored = MakeKey(key->root, key->path);
    StoredValue value{type, std::vector<unsigned char>(bytes, bytes + size)};
    auto found = stored.values.find(FoldCase(name));
    // The registry skips a write that changes nothing, write time included.
    if (found != stored.values.end() && found->second.type == type && found->second.data == value.data) return 1;
    stored.values[FoldCase(name)] = value;
    stored.written = ++g_writeClock;
    return 1;
}

int SysKeyWriteTime(SysKey* key, uint64_t* time) {
    if (!key) return 0;
    auto found = Keys(key->root).find(key->path);
    if (found == Keys(key->root).end()) return 0;
    *time = found->second.written;
    return 1;
}

void SysKeyClose(SysKey* key) { delete key; }

void SysTestKeyStoreClear() {
    Keys(KeyRoot::kMachine).clear();
    Keys(KeyRoot::kUser).clear();
    g_refuseMachineWrites = false;
    g_writeClock = 0;
}

void SysTestRefuseMachineWrites(int refuse) { g_refuseMachineWrites = refuse != 0; }

int SysTestKeyInfo(const char* path, const char* name, uint32_t* type, uint32_t* size) {
    auto found = Keys(KeyRoot::kMachine).find(FoldCase(path));
    if (found == Keys(KeyRoot::kMachine).end()) return 0;
    auto value = found->second.values.find(FoldCase(name));
    if (value == found->second.values.end()) return 0;
    *type = value->second.type;
    *size = static_cast<uint32_t>(value->second.data.size());
    return 1;
}
