// The Win32 handles behind the platform layer's opaque types, for the
// Windows program code (window procedures, dialogs, start-up) that hands
// them to USER32 and GDI32 directly. Each opaque pointer is the handle itself.
#pragma once

#include "platform/graphics.h"
#include "platform/window.h"

#include <windows.h>

inline HWND ToHwnd(SysWindow* window) { return reinterpret_cast<HWND>(window); }
inline SysWindow* FromHwnd(HWND window) { return reinterpret_cast<SysWindow*>(window); }
inline HDC ToHdc(SysDC* dc) { return reinterpret_cast<HDC>(dc); }
inline HPALETTE ToHpalette(SysPalette* palette) { return reinterpret_cast<HPALETTE>(palette); }
inline HBITMAP ToHbitmap(SysBitmap* bitmap) { return reinterpret_cast<HBITMAP>(bitmap); }
