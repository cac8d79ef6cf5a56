// GBK byte strings: character boundaries.
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
