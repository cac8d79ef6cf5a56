// Test support over the portable platform layer's hooks.
#include "platform/portable/hooks.h"
#include "tests/support/platform_support.h"

bool InjectAllocFailureAfter(int n) {
    SysTestFailAllocAfter(n);
    return true;
}

void DeleteTestKey(const char*) { SysTestKeyStoreClear(); }

bool StoredValueInfo(const char* path, const char* name, uint32_t* type, uint32_t* size) {
    return SysTestKeyInfo(path, name, type, size) != 0;
}
