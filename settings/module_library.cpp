// The module library: listing module files, the in-use test, the deletion
// question.
#include "settings/module_library.h"

#include "modules/container.h"
#include "modules/script.h"
#include "platform/directory.h"
#include "platform/memory.h"
#include "settings/gbk_text.h"
#include "settings/settings.h"

#include <cstring>

namespace {

constexpr char kDescriptionEntry[] = "info.txt";
constexpr char kQuestionStart[] = "您确定要删除“";
constexpr char kQuestionEnd[] = "”组件吗？";
constexpr char kCutMark[] = "…";

// A new copy of `length` bytes of `text` with a NUL after them, or nullptr.
char* CopyBytes(const uint8_t* text, uint32_t length) {
    char* copy = static_cast<char*>(SysAlloc(static_cast<size_t>(length) + 1));
    if (!copy) return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

// Adds one entry, growing the array by doubling. Returns 0 when memory runs out.
int AppendListing(ModuleList* list, int32_t* capacity, const ModuleListing& listing) {
    if (list->count == *capacity) {
        int32_t grown = *capacity ? *capacity * 2 : 8;
        auto* entries = static_cast<ModuleListing*>(SysAlloc(sizeof(ModuleListing) * static_cast<size_t>(grown)));
        if (!entries) return 0;
        if (list->count) std::memcpy(entries, list->entries, sizeof(ModuleListing) * static_cast<size_t>(list->count));
        SysFree(list->entries);
        list->entries = entries;
        *capacity = grown;
    }
    list->entries[list->count++] = listing;
    return 1;
}

bool ListsBefore(const ModuleListing& a, const ModuleListing& b) {
    int order = std::strcmp(a.displayName, b.displayName);
    return order < 0 || (order == 0 && std::strcmp(a.fileName, b.fileName) < 0);
}

// Insertion sort: module folders hold a handful of files.
void SortListings(ModuleList* list) {
    for (int32_t i = 1; i < list->count; i++) {
        ModuleListing moving = list->entries[i];
        int32_t j = i;
        for (; j > 0 && ListsBefore(moving, list->entries[j - 1]); j--) list->entries[j] = list->entries[j - 1];
        list->entries[j] = moving;
    }
}

// Whether `fileName` fits the settings' `Module` value: a longer name would be
// saved and then refused by every later start.
bool FitsModuleValue(const char* fileName) { return std::strlen(fileName) < kModuleValueBuffer; }

// Reads one found module. Returns 1 when it was listed or skipped, 0 when
// memory ran out.
int ListOne(const char* fileName, ModuleList* list, int32_t* capacity) {
    if (!FitsModuleValue(fileName)) return 1;
    int isDirectory = 0;
    if (!SysPathKind(fileName, &isDirectory) || isDirectory) return 1;
    uint32_t size = 0;
    uint8_t* text = ReadScrambledEntry(fileName, kDescriptionEntry, &size);
    if (!text) return 1;
    uint32_t start = 0;
    uint32_t length = 0;
    int ok = 1;
    if (ListedDisplayName(text, size, &start, &length)) {
        ModuleListing listing = {CopyBytes(text + start, length), SysDupText(fileName)};
        if (!listing.displayName || !listing.fileName || !AppendListing(list, capacity, listing)) {
            SysFree(listing.displayName);
            SysFree(listing.fileName);
            ok = 0;
        }
    }
    SysFree(text);
    return ok;
}

}  // namespace

int ListedDisplayName(const uint8_t* text, uint32_t size, uint32_t* nameStart, uint32_t* nameLength) {
    *nameStart = *nameLength = 0;
    if (!text) return 0;
    const void* zero = std::memchr(text, 0, size);
    uint32_t length = zero ? static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - text) : size;
    const void* first = std::memchr(text, ',', length);
    if (!first) return 0;
    uint32_t firstAt = static_cast<uint32_t>(static_cast<const uint8_t*>(first) - text);
    if (ParseNumber(text, firstAt) != 0) return 0;
    const void* second = std::memchr(text + firstAt + 1, ',', length - firstAt - 1);
    if (!second) return 0;
    uint32_t secondAt = static_cast<uint32_t>(static_cast<const uint8_t*>(second) - text);
    *nameStart = firstAt + 1;
    *nameLength = secondAt - firstAt - 1;
    return 1;
}

int ListModules(const char* pattern, ModuleList* list) {
    list->count = 0;
    list->entries = nullptr;
    int32_t capacity = 0;
    char name[kFoundNameCapacity];
    SysFind* find = SysFindFirst(pattern, name);
    if (!find) return 1;
    int ok = 1;
    do {
        ok = ListOne(name, list, &capacity);
    } while (ok && SysFindNext(find, name));
    SysFindClose(find);
    if (!ok) {
        ReleaseModuleList(list);
        return 0;
    }
    SortListings(list);
    return 1;
}

void ReleaseModuleList(ModuleList* list) {
    for (int32_t i = 0; i < list->count; i++) {
        SysFree(list->entries[i].displayName);
        SysFree(list->entries[i].fileName);
    }
    SysFree(list->entries);
    list->count = 0;
    list->entries = nullptr;
}

int IsModuleInUse(const char* fileName, const char* modulePath) {
    return SysSameFileName(fileName, modulePath);
}

int BuildDeleteQuestion(const char* displayName, char out[kDeleteQuestionCapacity]) {
    constexpr uint32_t fixed = sizeof kQuestionStart - 1 + sizeof kQuestionEnd - 1;
    constexpr uint32_t room = kDeleteQuestionCapacity - 1 - fixed;
    static_assert(room > sizeof kCutMark, "the question leaves room for a name");
    const char* name = displayName ? displayName : "";
    uint32_t length = static_cast<uint32_t>(std::strlen(name));
    int whole = length <= room;
    if (!whole) length = GbkFitLength(name, room - (sizeof kCutMark - 1));
    char* at = out;
    std::memcpy(at, kQuestionStart, sizeof kQuestionStart - 1);
    at += sizeof kQuestionStart - 1;
    std::memcpy(at, name, length);
    at += length;
    if (!whole) {
        std::memcpy(at, kCutMark, sizeof kCutMark - 1);
        at += sizeof kCutMark - 1;
    }
    std::memcpy(at, kQuestionEnd, sizeof kQuestionEnd);  // with its NUL
    return whole;
}
