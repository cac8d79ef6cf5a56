// Fuzz target: the text of a shortcut list ("name,args,name,args..."). The
// walk with StartShortcutList/NextShortcutEntry must stay inside the text,
// end, and agree with a plain split at commas; the same list as [StartMenu] 1
// of a Setup.ini must make exactly those links with MakeShortcuts.
#include "setup/install.h"
#include "setup/portable/fake_system.h"
#include "setup/setup_system.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzz_paths.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Pair {
    std::string name, arguments;
};

// The list split at every comma into fields; each field with a comma behind
// it names a link whose arguments are the next field. A last name without a
// comma makes nothing.
std::vector<Pair> ReferenceWalk(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    std::vector<Pair> pairs;
    size_t commas = fields.size() - 1;
    for (size_t at = 0; at < commas; at += 2) pairs.push_back(Pair{fields[at], fields[at + 1]});
    return pairs;
}

// Walks `text` (terminated, `length` bytes before the terminator) and checks
// every entry against the text's bounds.
std::vector<Pair> CheckedWalk(const char* text, size_t length) {
    std::vector<Pair> pairs;
    ShortcutCursor cursor = StartShortcutList(text);
    ShortcutEntry entry;
    const char* end = text + length;
    size_t steps = 0;
    while (NextShortcutEntry(&cursor, &entry)) {
        FuzzCheck(++steps <= length + 1, "the walk does not end");
        FuzzCheck(entry.name >= text && entry.name <= end && entry.nameLength <= static_cast<size_t>(end - entry.name),
                  "a link name outside the text");
        FuzzCheck(entry.name[entry.nameLength] == ',', "a link name not ended by a comma");
        FuzzCheck(entry.arguments == entry.name + entry.nameLength + 1, "arguments not right after the name's comma");
        FuzzCheck(entry.argumentsLength <= static_cast<size_t>(end - entry.arguments), "arguments past the end");
        char after = entry.arguments[entry.argumentsLength];
        FuzzCheck(after == ',' || after == 0, "arguments not ended by a comma or the end");
        FuzzCheck(!std::memchr(entry.name, ',', entry.nameLength) &&
                      !std::memchr(entry.arguments, ',', entry.argumentsLength),
                  "an entry holds a comma");
        pairs.push_back(Pair{std::string(entry.name, entry.nameLength),
                             std::string(entry.arguments, entry.argumentsLength)});
    }
    FuzzCheck(NextShortcutEntry(&cursor, &entry) == 0, "a finished list goes on");
    return pairs;
}

bool SamePairs(const std::vector<Pair>& a, const std::vector<Pair>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (a[i].name != b[i].name || a[i].arguments != b[i].arguments) return false;
    return true;
}

// The list as [StartMenu] 1 for file 1 = a.exe: the links MakeShortcuts makes
// must be the reference pairs of the list as the profile reader gives it, in
// UTF-8 as Setup reads names.
void CheckMadeLinks(const std::string& list) {
    ResetFake();
    Fake().folders = {"C:\\Menu", "C:\\Apps", "C:\\Apps\\X"};
    Fake().profiles["C:\\Setup\\Setup.ini"] = "[SetupFiles]\n1=a.exe\n[StartMenu]\n1=" + list + "\n";
    SetupDescription setup{};
    std::strcpy(setup.setupFolder, "C:\\Setup");
    std::strcpy(setup.descriptionPath, "C:\\Setup\\Setup.ini");
    std::strcpy(setup.installFolder, "C:\\Apps\\X");

    char value[kPathSize];
    ReadSetupPath(&setup, "StartMenu", "1", value);
    // Each pair makes its link "C:\Menu\NAME.lnk" in order, except: a name
    // with a part of two dots or more (taken between every '\' and '/' byte)
    // would climb out and makes nothing, as does one with a part naming a
    // device; one too long for a path makes nothing; and a name with a
    // backslash asks for a folder below C:\Menu,
    // which exists only where the name's folder part resolves to C:\Menu
    // itself, so it may or may not make its link.
    MakeShortcuts(&setup, "StartMenu", "C:\\Menu", 2);
    const std::vector<FakeLink>& links = Fake().links;
    size_t made = 0;
    for (const Pair& pair : ReferenceWalk(value)) {
        std::string link = "C:\\Menu\\" + pair.name + ".lnk";
        bool climbs = false;
        for (const std::string& part : FuzzSplitParts(pair.name))
            climbs = climbs || FuzzNamesDevice(part) ||
                     (part.find_first_not_of(". ") == std::string::npos && std::count(part.begin(), part.end(), '.') >= 2);
        bool here = made < links.size() && links[made].link == link;
        if (climbs || link.size() >= kPathSize) {
            FuzzCheck(!here, "a link whose name climbs out of the folder or does not fit");
            continue;
        }
        if (pair.name.find('\\') != std::string::npos && !here) continue;
        FuzzCheck(here, "a link missing or of another name");
        FuzzCheck(links[made].arguments == pair.arguments, "a link with other arguments");
        FuzzCheck(links[made].target == "C:\\Apps\\X\\a.exe" && links[made].folder == "C:\\Apps\\X",
                  "a link to another file or folder");
        made++;
    }
    FuzzCheck(made == links.size(), "MakeShortcuts made links no pair asked for");
    ResetFake();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A block of exactly the text and its terminator, so a read past the end
    // is caught; a NUL inside ends the text there, as for a C string.
    char* text = static_cast<char*>(std::malloc(size + 1));
    if (!text) return 0;
    std::memcpy(text, data, size);
    text[size] = 0;
    size_t length = std::strlen(text);
    FuzzCheck(SamePairs(CheckedWalk(text, length), ReferenceWalk(std::string(text, length))),
              "the walk differs from a split at commas");
    // A profile value is one line. Each link made is added to the installed
    // list, which is read from its start every time: a list of a hundred
    // links takes half a second, so only short lists go through the install.
    if (!std::strpbrk(text, "\r\n") && ReferenceWalk(text).size() <= 16) CheckMadeLinks(text);
    std::free(text);
    return 0;
}
