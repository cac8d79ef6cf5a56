// The help's decision between the WinHelp file and the shipped page, and the
// page's address.
#include "settings/help.h"

#include "platform/directory.h"
#include "settings/gbk_text.h"

#include <cstdio>
#include <cstring>

namespace {

// Appends bytes to a bounded text; remembers when they did not fit.
struct TextOut {
    char* out;
    uint32_t capacity;
    uint32_t length;
    bool overflow;

    void Put(const char* bytes, uint32_t count) {
        if (overflow || length + count >= capacity) {
            overflow = true;
            return;
        }
        std::memcpy(out + length, bytes, count);
        length += count;
        out[length] = 0;
    }
    void Put(const char* text) { Put(text, static_cast<uint32_t>(std::strlen(text))); }
    int Finish() {
        if (overflow && capacity) out[0] = 0;
        return overflow ? 0 : 1;
    }
};

// Length of the folder part of `path`, its last separator included; 0 for a bare name.
uint32_t FolderLength(const char* path) {
    int64_t backslash = GbkFindLast(path, '\\');
    int64_t slash = GbkFindLast(path, '/');
    int64_t last = backslash > slash ? backslash : slash;
    return static_cast<uint32_t>(last + 1);
}

bool NeedsEscape(uint8_t byte) { return byte <= 0x20 || byte == 0x7F || byte == '%' || byte == '#' || byte == '?'; }

}  // namespace

int SiblingPath(const char* programPath, const char* name, char* out, uint32_t capacity) {
    if (capacity) out[0] = 0;
    TextOut text = {out, capacity, 0, capacity == 0};
    text.Put(programPath, FolderLength(programPath));
    text.Put(name);
    return text.Finish();
}

HelpWay ChooseHelpWay(const char* programPath) {
    char path[1024];
    int isDirectory = 0;
    if (programPath && SiblingPath(programPath, kHelpFile, path, sizeof path) && SysPathKind(path, &isDirectory) &&
        !isDirectory)
        return HelpWay::kWinHelp;
    return HelpWay::kPage;
}

int HelpPageUrl(const char* programPath, int32_t context, char* out, uint32_t capacity) {
    if (capacity) out[0] = 0;
    char page[1024];
    if (!SiblingPath(programPath, kHelpPage, page, sizeof page)) return 0;
    TextOut text = {out, capacity, 0, capacity == 0};
    const char* at = page;
    bool separatorFirst = at[0] == '\\' || at[0] == '/';
    if (separatorFirst && (at[1] == '\\' || at[1] == '/')) {
        text.Put("file://");  // a UNC path: the server comes next
        at += 2;
    } else {
        text.Put(separatorFirst ? "file://" : "file:///");  // a rooted path brings its own slash
    }
    while (*at) {
        uint32_t length = GbkCharLength(at);
        uint8_t byte = static_cast<uint8_t>(*at);
        if (length == 2) {
            text.Put(at, 2);
        } else if (byte == '\\') {
            text.Put("/");
        } else if (NeedsEscape(byte)) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            text.Put(escaped);
        } else {
            text.Put(at, 1);
        }
        at += length;
    }
    char anchor[32];
    std::snprintf(anchor, sizeof anchor, "#topic-%d", static_cast<int>(context));
    text.Put(anchor);
    return text.Finish();
}
