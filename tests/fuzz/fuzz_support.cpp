// Fuzz support: in-memory module file and end-of-input checks.
#include "tests/fuzz/fuzz_support.h"

#include "platform/file.h"
#include "platform/graphics.h"
#include "platform/memory.h"
#include "platform/portable/hooks.h"

void FuzzUseModule(const uint8_t* bytes, uint32_t size) { SysTestSetMemoryFile(kFuzzModulePath, bytes, size); }

void FuzzForgetModule() { SysTestSetMemoryFile(nullptr, nullptr, 0); }

void FuzzCheckNothingLeft() {
    FuzzCheck(SysLiveBlocks() == 0, "a block was not freed");
    FuzzCheck(SysLiveFiles() == 0, "a file was not closed");
    FuzzCheck(SysLiveGraphicsObjects() == 0, "a graphics object was not deleted");
}
