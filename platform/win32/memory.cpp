// Win32 memory service: the global allocator with fixed memory.
#include "platform/memory.h"

#include <windows.h>

static int64_t g_liveBlocks = 0;  // blocks handed out and not freed

void* SysAlloc(size_t size) {
    if (size > 0xFFFFFFFFu) return nullptr;
    void* block = GlobalAlloc(GMEM_FIXED, size ? size : 1);
    if (block) g_liveBlocks++;
    return block;
}

void SysFree(void* block) {
    if (!block) return;
    g_liveBlocks--;
    GlobalFree(block);
}

int64_t SysLiveBlocks() { return g_liveBlocks; }

