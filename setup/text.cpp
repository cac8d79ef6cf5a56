// Bounded formatting of the installer's paths and messages.
#include "setup/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

size_t GbkPrefixLength(const char* text, size_t limit) {
    size_t at = 0;
    while (at < limit && text[at]) {
        unsigned char lead = static_cast<unsigned char>(text[at]);
        // A GBK character is one byte below 0x81, else a lead byte and a trail byte.
        size_t width = (lead >= 0x81 && lead <= 0xFE) ? 2 : 1;
        if (at + width > limit || (width == 2 && !text[at + 1])) break;
        at += width;
    }
    return at;
}

int FormatPath(char* out, size_t size, const char* format, ...) {
    if (size == 0) return 0;
    va_list args;
    va_start(args, format);
    int needed = std::vsnprintf(out, size, format, args);
    va_end(args);
    if (needed < 0 || static_cast<size_t>(needed) >= size) {
        out[0] = 0;
        return 0;
    }
    return 1;
}

void FormatText(char* out, size_t size, const char* format, ...) {
    if (size == 0) return;
    va_list args;
    va_start(args, format);
    int needed = std::vsnprintf(out, size, format, args);
    va_end(args);
    if (needed < 0) {
        out[0] = 0;
        return;
    }
    if (static_cast<size_t>(needed) >= size) out[GbkPrefixLength(out, size - 1)] = 0;
}

int CopyText(char* out, size_t size, const char* text) {
    size_t length = std::strlen(text);
    if (size == 0) return 0;
    if (length >= size) {
        out[0] = 0;
        return 0;
    }
    std::memcpy(out, text, length + 1);
    return 1;
}

int SamePrefixIgnoringCase(const char* a, const char* b, size_t length) {
    size_t at = 0;
    int trail = 0;  // the byte at `at` is the second byte of a GBK character
    for (; at < length; at++) {
        unsigned char x = static_cast<unsigned char>(a[at]), y = static_cast<unsigned char>(b[at]);
        if (!trail) {
            if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
            if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        }
        if (x != y) return 0;
        if (!x) return 1;
        trail = !trail && x >= 0x81 && x <= 0xFE;
    }
    return 1;
}

int SameTextIgnoringCase(const char* a, const char* b) {
    size_t length = std::strlen(a);
    return std::strlen(b) == length && SamePrefixIgnoringCase(a, b, length);
}

namespace {
int IsGbkLead(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte >= 0x81 && byte <= 0xFE;
}
}  // namespace

const char* NextBackslash(const char* from) {
    for (const char* at = from; *at; at++) {
        if (*at == '\\') return at;
        if (IsGbkLead(*at) && at[1]) at++;
    }
    return nullptr;
}

const char* LastBackslash(const char* text) {
    const char* last = nullptr;
    for (const char* at = NextBackslash(text); at; at = NextBackslash(at + 1)) last = at;
    return last;
}
