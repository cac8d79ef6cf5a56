// Bounded formatting of the installer's paths and messages.
#include "setup/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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
    for (size_t at = 0; at < length; at++) {
        unsigned char x = static_cast<unsigned char>(a[at]), y = static_cast<unsigned char>(b[at]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return 0;
        if (!x) return 1;
    }
    return 1;
}

int SameTextIgnoringCase(const char* a, const char* b) {
    size_t length = std::strlen(a);
    return std::strlen(b) == length && SamePrefixIgnoringCase(a, b, length);
}

const char* NextBackslash(const char* from) { return std::strchr(from, '\\'); }

const char* LastBackslash(const char* text) { return std::strrchr(text, '\\'); }

namespace {

int IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Length of the root of a full path: "X:\" (3), or "\\server\share" up to
// the backslash behind the share; 0 when `path` is not full.
size_t RootLength(const std::string& path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') return 3;
    if (path.compare(0, 2, "\\\\") != 0) return 0;
    const char* server = NextBackslash(path.c_str() + 2);
    const char* share = server ? NextBackslash(server + 1) : nullptr;
    return share ? static_cast<size_t>(share - path.c_str()) : path.size();
}

}  // namespace

int IsRootedPath(const char* path) {
    auto slash = [](char c) { return c == '\\' || c == '/'; };
    if (IsDriveLetter(path[0]) && path[1] == ':') return slash(path[2]);
    return slash(path[0]) && slash(path[1]);
}

int ResolveFullPath(const char* path, const char* current, char* out, size_t size) {
    if (size) out[0] = 0;
    std::string text = path;
    for (char& c : text)
        if (c == '/') c = '\\';
    std::string base = current;
    std::string full;
    if (RootLength(text)) {
        full = text;
    } else if (text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == ':') {
        std::string drive = text.substr(0, 2);
        if (RootLength(base) == 3 && SamePrefixIgnoringCase(base.c_str(), drive.c_str(), 2))
            full = base + "\\" + text.substr(2);
        else
            full = drive + "\\" + text.substr(2);
    } else {
        size_t root = RootLength(base);
        if (!root) return 0;
        full = text[0] == '\\' ? base.substr(0, root) + text : base + "\\" + text;
    }

    size_t root = RootLength(full);
    std::string result = full.substr(0, root);
    if (result.back() != '\\') result += '\\';
    std::vector<std::string> parts;
    const char* at = full.c_str() + root;
    while (*at) {
        const char* end = NextBackslash(at);
        std::string part = end ? std::string(at, end) : std::string(at);
        if (!end) {
            size_t keep = part.find_last_not_of(". ");
            // ".." and "." as the last part are resolved below, not trimmed.
            if (part != "." && part != "..") part = keep == std::string::npos ? "" : part.substr(0, keep + 1);
        }
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (!end) break;
        at = end + 1;
    }
    int trailing = full.size() > root && full.back() == '\\' && !parts.empty();
    for (size_t i = 0; i < parts.size(); i++) result += (i ? "\\" : "") + parts[i];
    if (trailing) result += '\\';
    return CopyText(out, size, result.c_str());
}
