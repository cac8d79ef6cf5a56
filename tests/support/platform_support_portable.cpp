// Test support over the portable platform layer's hooks.
#include "platform/portable/hooks.h"
#include "tests/support/platform_support.h"

bool InjectAllocFailureAfter(int n) {
    SysTestFailAllocAfter(n);
    return true;
}

void DeleteTestKey(const char*) { SysTestKeyStoreClear(); }

bool RefuseMachineWrites() {
    SysTestRefuseMachineWrites(1);
    return true;
}

bool StoredValueInfo(const char* path, const char* name, uint32_t* type, uint32_t* size) {
    return SysTestKeyInfo(path, name, type, size) != 0;
}

bool MessagesAreRecorded() { return true; }
int RecordedMessageCount() { return SysTestMessageCount(); }
const char* LastMessageText() { return SysTestLastMessageText(); }
const char* LastMessageCaption() { return SysTestLastMessageCaption(); }
int LastMessageIcon() { return SysTestLastMessageIcon(); }
void ClearRecordedMessages() { SysTestClearMessages(); }
