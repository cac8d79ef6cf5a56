// Portable memory service: malloc with a live-block count and fault injection.
#include "platform/memory.h"
#include "platform/portable/hooks.h"

#include <cstdlib>
#include <cstring>

static int64_t g_liveBlocks = 0;    // blocks handed out and not freed
static int g_failCountdown = -1;    // allocations left before an injected failure; -1: off

void* SysAlloc(size_t size) {
    if (g_failCountdown == 0) {
        g_failCountdown = -1;
        return nullptr;
    }
    if (g_failCountdown > 0) g_failCountdown--;
    void* block = std::malloc(size ? size : 1);
    if (block) g_liveBlocks++;
    return block;
}

void SysFree(void* block) {
    if (!block) return;
    g_liveBlocks--;
    std::free(block);
}

int64_t SysLiveBlocks() { return g_liveBlocks; }

char* SysDupText(const char* text) {
    if (!text) return nullptr;
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(SysAlloc(length + 1));
    if (copy) std::memcpy(copy, text, length + 1);
    return copy;
}

void SysTestFailAllocAfter(int n) { g_failCountdown = n < 0 ? -1 : n; }
