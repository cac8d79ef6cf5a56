// Byte strings to UTF-16 for one wide call, and back, over the build's codec.
#include "platform/win32/wide_text.h"

WideText::WideText(const char* text) {
    if (text) Convert(text, static_cast<uint32_t>(lstrlenA(text)));
}

WideText::WideText(const char* bytes, uint32_t length) {
    if (bytes) Convert(bytes, length);
}

WideText::~WideText() {
    if (heap_) HeapFree(GetProcessHeap(), 0, heap_);
}

void WideText::Convert(const char* bytes, uint32_t length) {
    wchar_t* out = small_;
    // A byte never becomes more than one unit.
    if (length >= sizeof small_ / sizeof small_[0]) {
        SIZE_T bytes = (static_cast<SIZE_T>(length) + 1) * sizeof(wchar_t);
        heap_ = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
        if (!heap_) {
            small_[0] = 0;
            text_ = small_;
            return;
        }
        out = heap_;
    }
    length_ = DecodeToWide(bytes, length, out);
    out[length_] = 0;
    text_ = out;
}

int NarrowText(const wchar_t* wide, char* out, uint32_t capacity) {
    if (capacity == 0) return 0;
    uint32_t units = static_cast<uint32_t>(lstrlenW(wide));
    uint32_t bytes = EncodeFromWide(wide, units, out, capacity - 1);
    if (bytes >= capacity) {
        out[0] = 0;
        return 0;
    }
    out[bytes] = 0;
    return 1;
}
