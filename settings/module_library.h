// The installed character modules: the module files (*.Pkm) of the current
// directory, listed by their display names, and the texts of deleting one.
// Switching the running character to one of them is the mascot's own
// (mascot/running_character.h).
#pragma once

#include <cstdint>

constexpr char kModulePattern[] = "*.Pkm";
constexpr char kMsgModuleInvalid[] = "组件的数据是无效的。";
constexpr char kMsgModuleInUse[] = "组件目前正在使用中，无法删除。";
constexpr uint32_t kDeleteQuestionCapacity = 256;  // the question, NUL included

// One listed module: both texts owned by the entry.
struct ModuleListing {
    char* displayName;  // the text between the first and second comma of info.txt
    char* fileName;     // the name exactly as the directory search returned it
};

struct ModuleList {
    int32_t count;
    ModuleListing* entries;  // sorted by display name (bytes), then by file name
};

// Reads a module's description text (info.txt, ending at its last byte or its
// first zero byte). Returns 1 and the display name's place when the module is
// to be listed: the text has two commas and the number before the first reads
// as 0 (blanks, a sign and digits; no digits read as 0). Returns 0 otherwise.
int ListedDisplayName(const uint8_t* text, uint32_t size, uint32_t* nameStart, uint32_t* nameLength);

// Lists the modules that match `pattern` (kModulePattern for the current
// directory): not folders, not files whose attributes cannot be read, not
// names over 255 bytes (the settings could not hold them), only those whose
// info.txt gives a listed display name. Two modules with the same
// display name are both listed. Returns 1 with `list` filled (it may be
// empty), or 0 when memory runs out, with `list` empty and nothing allocated.
// Free with ReleaseModuleList.
int ListModules(const char* pattern, ModuleList* list);

// Frees every entry's texts that are still present (an entry whose texts
// were taken over is set to nullptr by the taker) and the array; leaves the
// list empty. Safe on a zeroed list.
void ReleaseModuleList(ModuleList* list);

// Whether `fileName` names the running module `modulePath`: equal texts as
// the file system compares names (SysSameFileName: on Windows any letter
// without regard to case). A path with a folder does not match a bare name.
// 0 when either is nullptr.
int IsModuleInUse(const char* fileName, const char* modulePath);

// Puts the deletion question for `displayName` into `out` (capacity
// kDeleteQuestionCapacity): "您确定要删除“NAME”组件吗？". A name too long for
// it is cut at a character boundary and ends with "…". Returns 1 when the
// whole name fits, 0 when it was cut.
int BuildDeleteQuestion(const char* displayName, char out[kDeleteQuestionCapacity]);
