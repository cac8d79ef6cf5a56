// The Win32 layer's one conversion between the logic's byte strings and
// UTF-16, the form every wide Windows call takes: texts, file and folder
// names, registry values.
//
// Texts are GBK as stored (the sources' strings, modules' display names) and
// are decoded with code page 936 whatever code page the system runs, so they
// read the same on every Windows. File names are held by the logic as GBK
// too, extended: a character GBK cannot spell (ñ, 한, an emoji, even a lone
// surrogate the file system allows) is four bytes, a lead byte (0x81 to
// 0xFE), a digit, a lead byte and a digit that together number its code
// point. GBK never puts a digit after a lead byte, so those four bytes mean
// nothing else, and code that walks GBK (a lead byte and the byte after it)
// never splits them or takes part of them for '\\', '/' or a letter. Every
// name GBK can spell keeps the bytes and length it always had; every name
// the file system holds comes back unchanged from the round trip.
//
// The authoring tools take their paths from the command line in the
// system's code page and keep them so: their build links
// text_codec_ansi.cpp instead of text_codec_gbk.cpp, which converts with
// the system's code page, as the ANSI calls did.
#pragma once

#include <windows.h>

#include <cstdint>

// Decodes `length` bytes (zeros included) into `out`, which has room for
// `length` units (never more are needed). Returns the number of units.
uint32_t DecodeToWide(const char* bytes, uint32_t length, wchar_t* out);

// Encodes `units` UTF-16 units (zeros included) as bytes. Writes at most
// `capacity` of them to `out` and returns the byte count of the whole
// result (at most 4 per unit); nothing is NUL-terminated.
uint32_t EncodeFromWide(const wchar_t* wide, uint32_t units, char* out, uint32_t capacity);

// A byte string converted to UTF-16 for the wide calls made while it lives,
// NUL-terminated. nullptr stays nullptr; when memory runs out it is an
// empty text, which names no file.
class WideText {
public:
    explicit WideText(const char* text);
    WideText(const char* bytes, uint32_t length);  // zeros inside are kept
    ~WideText();
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    const wchar_t* get() const { return text_; }
    uint32_t length() const { return length_; }  // units, without the ending zero

private:
    void Convert(const char* bytes, uint32_t length);

    wchar_t small_[128];
    wchar_t* heap_ = nullptr;
    const wchar_t* text_ = nullptr;
    uint32_t length_ = 0;
};

// Converts NUL-terminated UTF-16 into `out` (capacity bytes, its NUL
// included). Returns 1, or 0 with `out` empty when it does not fit.
int NarrowText(const wchar_t* wide, char* out, uint32_t capacity);

// Sets the text of a dialog's control from a GBK text.
inline void SetDlgItemTextGbk(HWND dialog, int id, const char* text) {
    SetDlgItemTextW(dialog, id, WideText(text).get());
}
