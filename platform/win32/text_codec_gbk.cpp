// Zippit's codec: GBK (code page 936) whatever the system's code page, and
// a four-byte form for the characters GBK cannot spell (see wide_text.h).
#include "platform/win32/wide_text.h"

namespace {

constexpr UINT kGbk = 936;
constexpr uint32_t kLastCodePoint = 0x10FFFF;

bool IsLead(uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsDigit(uint8_t byte) { return byte >= '0' && byte <= '9'; }
bool IsTrail(uint8_t byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

const uint8_t* Bytes(const char* text) { return reinterpret_cast<const uint8_t*>(text); }

// The code point of the four-byte form at `at`, or -1 when none starts there.
int64_t FourByteCode(const uint8_t* at, uint32_t left) {
    if (left < 4 || !IsLead(at[0]) || !IsDigit(at[1]) || !IsLead(at[2]) || !IsDigit(at[3])) return -1;
    uint32_t code = ((at[0] - 0x81u) * 10 + (at[1] - '0')) * 1260 + (at[2] - 0x81u) * 10 + (at[3] - '0');
    return code <= kLastCodePoint ? code : -1;
}

void PutFourBytes(uint32_t code, char bytes[4]) {
    bytes[3] = static_cast<char>('0' + code % 10);
    code /= 10;
    bytes[2] = static_cast<char>(0x81 + code % 126);
    code /= 126;
    bytes[1] = static_cast<char>('0' + code % 10);
    bytes[0] = static_cast<char>(0x81 + code / 10);
}

}  // namespace

uint32_t DecodeToWide(const char* bytes, uint32_t length, wchar_t* out) {
    const uint8_t* in = Bytes(bytes);
    uint32_t units = 0;
    uint32_t at = 0;
    while (at < length) {
        int64_t code = FourByteCode(in + at, length - at);
        if (code >= 0x10000) {
            out[units++] = static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            out[units++] = static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            at += 4;
            continue;
        }
        if (code >= 0) {
            out[units++] = static_cast<wchar_t>(code);
            at += 4;
            continue;
        }
        // A run of plain GBK up to the next four-byte form, in one call.
        uint32_t end = at;
        while (end < length && (end == at || FourByteCode(in + end, length - end) < 0))
            end += IsLead(in[end]) && end + 1 < length && IsTrail(in[end + 1]) ? 2 : 1;
        int got = MultiByteToWideChar(kGbk, 0, bytes + at, static_cast<int>(end - at), out + units,
                                      static_cast<int>(end - at));
        units += got > 0 ? static_cast<uint32_t>(got) : 0;
        at = end;
    }
    return units;
}

uint32_t EncodeFromWide(const wchar_t* wide, uint32_t units, char* out, uint32_t capacity) {
    uint32_t length = 0;
    for (uint32_t at = 0; at < units;) {
        uint32_t code = wide[at];
        uint32_t taken = 1;
        if (code >= 0xD800 && code < 0xDC00 && at + 1 < units && wide[at + 1] >= 0xDC00 && wide[at + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[at + 1] - 0xDC00);
            taken = 2;
        }
        char bytes[4];
        int count = 0;
        if (code < 0x80) {
            bytes[0] = static_cast<char>(code);
            count = 1;
        } else if (taken == 1 && (code < 0xD800 || code >= 0xE000)) {
            // Only an exact mapping: a best fit (A for À) would name another file.
            BOOL defaulted = FALSE;
            count = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, wide + at, 1, bytes, 2, nullptr, &defaulted);
            if (defaulted) count = 0;
        }
        if (count <= 0) {
            PutFourBytes(code, bytes);
            count = 4;
        }
        for (int i = 0; i < count; i++, length++)
            if (length < capacity) out[length] = bytes[i];
        at += taken;
    }
    return length;
}
