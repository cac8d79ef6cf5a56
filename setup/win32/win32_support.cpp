// Win32 helpers of Setup.exe and UnInst.exe.
#include "setup/win32/win32_support.h"

#include <windows.h>

void LimitDllSearchToSystem() {
    // Looked up by name: systems without the loader update of 2011 lack it,
    // and a static import would stop the program from starting there.
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesCall)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (!found) return;
    // Through the generic function type, the one cast the compiler lets pass between function types.
    auto limit = reinterpret_cast<SetDefaultDllDirectoriesCall>(reinterpret_cast<void (*)(void)>(found));
    limit(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
