// What Setup.exe and UnInst.exe share on Windows beside the logic's services:
// the conversions at the edge to the system's wide calls, and the DLL search.
//
// Texts are GBK (Setup.ini, the programs' own strings) and are converted with
// code page 936 named explicitly, never the system's code page, so they read
// the same on every system. Paths are UTF-8 inside Setup (setup_system.h) and
// UTF-16 at every call that names a file.
#pragma once

#include <windows.h>

#include <string>

// UTF-16 of a GBK text (code page 936).
std::wstring WideFromGbk(const char* text);

// UTF-16 of a UTF-8 path or text.
std::wstring WideFromUtf8(const char* text);

// A message box of GBK texts; returns the button pressed.
int ShowGbkMessage(HWND owner, const char* text, const char* caption, UINT style);

// UTF-8 of a UTF-16 path or text into `out` (capacity `size`). Returns 0,
// `out` empty, when it does not fit.
int Utf8FromWide(const wchar_t* text, char* out, size_t size);

// Limits the DLLs this process loads by name to the system folder, so that a
// DLL planted beside the program (in a download or temporary folder, from
// where it runs elevated) is never loaded. Called first thing. On a system
// without SetDefaultDllDirectories it does nothing.
void LimitDllSearchToSystem();
