// The authoring tools' codec: the system's code page, as the ANSI calls
// convert, for paths the tools take from their command line.
#include "platform/win32/wide_text.h"

uint32_t DecodeToWide(const char* bytes, uint32_t length, wchar_t* out) {
    if (length == 0) return 0;
    int got = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), out, static_cast<int>(length));
    return got > 0 ? static_cast<uint32_t>(got) : 0;
}

uint32_t EncodeFromWide(const wchar_t* wide, uint32_t units, char* out, uint32_t capacity) {
    if (units == 0) return 0;
    int needed = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return 0;
    if (static_cast<uint32_t>(needed) <= capacity)
        WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(units), out, needed, nullptr, nullptr);
    return static_cast<uint32_t>(needed);
}
