// Fuzz target: the installed list UnInst.lst as the uninstaller finds it in
// its folder, bytes as they come (a list someone tampered with). Every file
// ListRemovals hands out must lie inside the folder as the system resolves
// paths, every link item must be a link file, the walk keeps its order and
// ends; a path IsInFolder accepts must resolve inside the folder as well.
#include "setup/portable/fake_system.h"
#include "setup/text.h"
#include "setup/uninst/owned.h"
#include "tests/fuzz/fuzz_check.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The install folder, its last name in GBK bytes.
constexpr char kFolder[] = "C:\\Apps\\\xd1\xdd\xca\xbe";

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The parts of `path` as the system takes them: split at '\' and '/' (with
// GBK double-byte characters kept whole when `gbk`, at every such byte when
// not), trailing dots and blanks dropped from each part, "." left out and
// ".." taking the part before it away (never the drive). ASCII letters folded.
std::vector<std::string> Resolve(const std::string& path, bool gbk) {
    std::vector<std::string> raw(1);
    for (size_t at = 0; at < path.size(); at++) {
        unsigned char c = static_cast<unsigned char>(path[at]);
        if (c == '\\' || c == '/') {
            raw.emplace_back();
        } else if (gbk && c >= 0x81 && c <= 0xFE && at + 1 < path.size()) {
            raw.back() += path.substr(at, 2);
            at++;
        } else {
            raw.back() += path[at];
        }
    }
    std::vector<std::string> parts;
    for (std::string part : raw) {
        if (part.find_first_not_of(". ") == std::string::npos) {
            // "", "." and runs of separators are left out; "..", and (the
            // harsher reading) any other part of dots and blanks with two
            // dots or more, go up.
            if (std::count(part.begin(), part.end(), '.') >= 2 && parts.size() > 1) parts.pop_back();
            continue;
        }
        while (part.back() == '.' || part.back() == ' ') part.pop_back();
        parts.push_back(Lower(part));
    }
    return parts;
}

// 1 when `path` resolves to the install folder or below it, both ways of
// splitting; `strictly` asks for below.
bool ResolvesInside(const std::string& path, bool strictly) {
    for (bool gbk : {false, true}) {
        std::vector<std::string> folder = Resolve(kFolder, gbk), parts = Resolve(path, gbk);
        if (parts.size() < folder.size() + (strictly ? 1 : 0)) return false;
        for (size_t i = 0; i < folder.size(); i++)
            if (parts[i] != folder[i]) return false;
        // A ':' past the drive names a stream or another drive.
        for (size_t i = 1; i < parts.size(); i++)
            if (parts[i].find(':') != std::string::npos) return false;
    }
    return true;
}

struct Walk {
    std::vector<std::pair<RemovalKind, std::string>> items;
};

void Collect(void* context, RemovalKind kind, const char* path) {
    Walk* walk = static_cast<Walk*>(context);
    FuzzCheck(std::strlen(path) < kPathSize, "a removal path longer than a path");
    FuzzCheck(walk->items.empty() || walk->items.back().first <= kind, "removals out of their order");
    walk->items.emplace_back(kind, path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFake();
    std::string text(reinterpret_cast<const char*>(data), size);
    Fake().profiles[std::string(kFolder) + "\\UnInst.lst"] = text;
    Walk walk;
    ListRemovals(kFolder, Collect, &walk);

    // Each item is a line of the list.
    size_t lines = 1;
    for (char c : text) lines += c == '\n';
    FuzzCheck(walk.items.size() <= lines, "more removals than lines in the list");
    for (const auto& item : walk.items) {
        const std::string& path = item.second;
        switch (item.first) {
        case kRemoveLink:
            FuzzCheck(IsLinkPath(path.c_str()), "a link removal that is no link file");
            break;
        case kRemoveFolder:
            break;
        case kRemoveFile:
            FuzzCheck(path.compare(0, sizeof kFolder, std::string(kFolder) + "\\") == 0,
                      "a file removal not joined to the folder");
            FuzzCheck(ResolvesInside(path, true), "a file removal that resolves outside the folder");
            break;
        }
        // The uninstaller asks IsInFolder where a link points; any item serves as such a target.
        if (IsInFolder(path.c_str(), kFolder))
            FuzzCheck(ResolvesInside(path, false), "IsInFolder vouches for a path outside the folder");
    }
    ResetFake();
    return 0;
}
