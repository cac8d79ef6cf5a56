// Win32 helpers of Setup.exe and UnInst.exe: conversions and the DLL search.
#include "setup/win32/win32_support.h"

#include <windows.h>

#include <climits>

namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring Widen(UINT codePage, const char* text) {
    int count = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (count <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], count);
    wide.resize(static_cast<size_t>(count - 1));
    return wide;
}

}  // namespace

std::wstring WideFromGbk(const char* text) { return Widen(kGbkCodePage, text); }

std::wstring WideFromUtf8(const char* text) { return Widen(CP_UTF8, text); }

int ShowGbkMessage(HWND owner, const char* text, const char* caption, UINT style) {
    return MessageBoxW(owner, WideFromGbk(text).c_str(), WideFromGbk(caption).c_str(), style);
}

int Utf8FromWide(const wchar_t* text, char* out, size_t size) {
    if (size == 0) return 0;
    out[0] = 0;
    if (size > INT_MAX) size = INT_MAX;
    int written = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, static_cast<int>(size), nullptr, nullptr);
    if (written > 0) return 1;
    out[0] = 0;
    return 0;
}

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
