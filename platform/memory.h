// Platform memory service: the one allocator for every block the logic owns.
//
// Blocks read from module files, scripts, texts and lists all come from here and
// go back here; on Windows this is the global allocator with fixed memory, in the
// portable build plain malloc. Both count live blocks so tests can prove that a
// failed load leaves nothing behind.
#pragma once

#include <cstddef>
#include <cstdint>

// Returns a new block of `size` bytes (a zero size still gives a distinct block),
// or nullptr when the allocator refuses. The caller owns the block and frees it
// with SysFree.
void* SysAlloc(size_t size);

// Frees a block from SysAlloc. A nullptr is ignored.
void SysFree(void* block);

// Number of blocks handed out by SysAlloc and not yet freed.
int64_t SysLiveBlocks();

// Copies `text` (a NUL-terminated byte string) into a new block of its length
// plus one. Returns nullptr when `text` is nullptr or the allocation fails.
char* SysDupText(const char* text);
