// GBK byte strings: character boundaries and ASCII-caseless comparison.
#include "settings/gbk_text.h"

uint32_t GbkCharLength(const char* text) {
    if (!text[0]) return 0;
    if (IsGbkLead(static_cast<uint8_t>(text[0])) && text[1]) return 2;
    return 1;
}

uint32_t GbkFitLength(const char* text, uint32_t limit) {
    uint32_t length = 0;
    for (;;) {
        uint32_t next = GbkCharLength(text + length);
        if (next == 0 || length + next > limit) return length;
        length += next;
    }
}

int64_t GbkFindLast(const char* text, char c) {
    int64_t found = -1;
    for (uint32_t i = 0; text[i];) {
        uint32_t length = GbkCharLength(text + i);
        if (length == 1 && text[i] == c) found = i;
        i += length;
    }
    return found;
}

static uint8_t FoldAscii(uint8_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c - 'A' + 'a') : c; }

int GbkEqualIgnoringAsciiCase(const char* a, const char* b) {
    const uint8_t* x = reinterpret_cast<const uint8_t*>(a);
    const uint8_t* y = reinterpret_cast<const uint8_t*>(b);
    while (*x && *y) {
        uint32_t length = GbkCharLength(reinterpret_cast<const char*>(x));
        if (length == 2) {
            if (x[0] != y[0] || x[1] != y[1]) return 0;
        } else if (FoldAscii(*x) != FoldAscii(*y)) {
            return 0;
        }
        x += length;
        y += length;
    }
    return *x == *y;
}
