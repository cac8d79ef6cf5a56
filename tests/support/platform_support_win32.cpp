// Test support over the real registry (Wine's, in the tests).
#include "tests/support/platform_support.h"

#include <windows.h>

bool InjectAllocFailureAfter(int) { return false; }

void DeleteTestKey(const char* path) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
    RegDeleteTreeA(HKEY_CURRENT_USER, path);
}

bool RefuseMachineWrites() { return false; }

bool StoredValueInfo(const char* path, const char* name, uint32_t* type, uint32_t* size) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS) return false;
    DWORD valueType = 0;
    DWORD bytes = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &valueType, nullptr, &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    *type = valueType;
    *size = bytes;
    return true;
}

bool MessagesAreRecorded() { return false; }
int RecordedMessageCount() { return 0; }
const char* LastMessageText() { return ""; }
const char* LastMessageCaption() { return ""; }
int LastMessageIcon() { return -1; }
void ClearRecordedMessages() {}
