// Portable memory service: malloc with a live-block count and fault injection.
#include "platform/memory.h"
#include "platform/portable/hooks.h"

#include <cstdlib>

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

void SysTestFailAllocAfter(int n) { g_failCountdown = n < 0 ? -1 : n; }
