// Fuzz target: the installed list UnInst.lst as the uninstaller finds it in
// its folder, bytes as they come (a list someone tampered with), its sections
// in GBK and their ".UTF-8" twins. Every file
// RemoveListed hands out must lie inside the folder as the system resolves
// paths, every link item must be a link file, the walk keeps its order and
// ends; a path IsInFolder accepts must resolve inside the folder as well.
// Items of odd length cannot be removed in the first walk: a second walk then
// finds exactly those links and files. Listed parents must hold the folder;
// a folder handed out lies below the Programs or Startup folder.
#include "setup/portable/fake_system.h"
#include "setup/text.h"
#include "setup/uninst/owned.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzz_paths.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The install folder, its last name "演示" in UTF-8, as paths are inside Setup.
constexpr char kFolder[] = "C:\\Apps\\\xe6\xbc\x94\xe7\xa4\xba";

// The shell's Programs and Startup folders.
const char* const kShellFolders[] = {"C:\\Menu\\Programs", "C:\\Menu\\Startup"};

// 1 when `path` resolves to the install folder or below it; `strictly` asks for below.
bool ResolvesInside(const std::string& path, bool strictly) { return FuzzResolvesInside(path, kFolder, strictly); }

struct Walk {
    std::vector<std::pair<RemovalKind, std::string>> items;
    bool oddStays;                   // items of odd length cannot be removed
    std::vector<std::string> stuck;  // the links and files that could not be
};

int Collect(void* context, RemovalKind kind, const char* path) {
    Walk* walk = static_cast<Walk*>(context);
    FuzzCheck(std::strlen(path) < kPathSize, "a removal path longer than a path");
    FuzzCheck(walk->items.empty() || walk->items.back().first <= kind, "removals out of their order");
    walk->items.emplace_back(kind, path);
    if (!walk->oddStays || std::strlen(path) % 2 == 0) return 1;
    if (kind != kRemoveFolder) walk->stuck.push_back(path);
    return 0;
}

// The links and files a walk handed out, in order of their text: a rewritten
// list holds a name in the GBK section or its UTF-8 twin, so the order of the
// names may change.
std::vector<std::string> Sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> LinksAndFiles(const Walk& walk) {
    std::vector<std::string> paths;
    for (const auto& item : walk.items)
        if (item.first != kRemoveFolder) paths.push_back(item.second);
    return Sorted(paths);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFake();
    std::string text(reinterpret_cast<const char*>(data), size);
    Fake().profiles[std::string(kFolder) + "\\UnInst.lst"] = text;
    Walk walk;
    walk.oddStays = true;
    int left = RemoveListed(kFolder, kShellFolders, 2, Collect, &walk);
    FuzzCheck(left == static_cast<int>(walk.stuck.size()), "another count of what could not be removed");
    if (left) {
        Walk second;
        second.oddStays = false;
        FuzzCheck(RemoveListed(kFolder, kShellFolders, 2, Collect, &second) == 0, "a second walk that could not remove everything");
        FuzzCheck(LinksAndFiles(second) == Sorted(walk.stuck), "the rewritten list names other links and files than were left");
    }
    char parents[16][kPathSize];
    size_t parentCount = ListCreatedParents(kFolder, parents, 16);
    for (size_t i = 0; i < parentCount; i++) {
        FuzzCheck(IsInFolder(kFolder, parents[i]) && !SameTextIgnoringCase(kFolder, parents[i]),
                  "a listed parent that does not hold the folder");
        FuzzCheck(i == 0 || std::strlen(parents[i]) <= std::strlen(parents[i - 1]), "parents not deepest first");
    }

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
            FuzzCheck(FuzzResolvesInside(path, kShellFolders[0], true) || FuzzResolvesInside(path, kShellFolders[1], true),
                      "a folder removal outside the Programs and Startup folders");
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
