// Texts in blocks of the platform allocator; the same on every platform.
#include "platform/memory.h"

#include <cstring>

char* SysDupText(const char* text) {
    if (!text) return nullptr;
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(SysAlloc(length + 1));
    if (copy) std::memcpy(copy, text, length + 1);
    return copy;
}
