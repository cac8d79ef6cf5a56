// Portable Setup services over the in-memory machine of fake_system.h, for the
// native tests of the installer's logic.
#include "setup/setup_system.h"

#include "setup/portable/fake_system.h"
#include "setup/text.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

FakeMachine& Fake() {
    static FakeMachine machine;
    return machine;
}

void ResetFake() { Fake() = FakeMachine(); }

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

// Folders are compared as the system resolves them, so "X\sub\.." is X.
// A line of a profile file as the system reads it: a text (a zero byte ends
// it) without blanks around it.
std::string CleanLine(const std::string& line) { return Trim(line.substr(0, line.find('\0'))); }

int FolderExists(const std::string& path) {
    if (path.size() == 2 && path[1] == ':') return 1;
    char full[1024], known[1024];
    if (!ResolveFullPath(path.c_str(), Fake().currentFolder.c_str(), full, sizeof full)) return 0;
    if (std::strlen(full) == 3 && full[1] == ':') return 1;
    // A folder named with a trailing backslash is the same folder.
    size_t length = std::strlen(full);
    if (length > 3 && full[length - 1] == '\\' && !SysIsLeadByte(static_cast<unsigned char>(full[length - 2])))
        full[length - 1] = 0;
    for (const std::string& folder : Fake().folders)
        if (ResolveFullPath(folder.c_str(), Fake().currentFolder.c_str(), known, sizeof known) &&
            Lower(known) == Lower(full))
            return 1;
    return 0;
}

void CopyOut(const std::string& text, char* out, size_t size) {
    size_t length = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), length);
    out[length] = 0;
}

}  // namespace

const char* SysCommandLine() { return Fake().commandLine.c_str(); }

int SysSetCurrentFolder(const char* folder) {
    if (!FolderExists(folder)) return 0;
    // A bare drive ("E:") gives that drive's current folder, its root in a fresh process.
    Fake().currentFolder = std::strlen(folder) == 2 ? std::string(folder) + "\\" : folder;
    return 1;
}

int SysGetCurrentFolder(char* out, size_t size) {
    if (Fake().currentFolder.size() >= size) {
        if (size) out[0] = 0;
        return 0;
    }
    CopyOut(Fake().currentFolder, out, size);
    return 1;
}

char SysWindowsDrive() { return Fake().windowsDrive; }

void SysReadProfile(const char* path, const char* section, const char* key, const char* fallback, char* out,
                    size_t size) {
    CopyOut(fallback, out, size);
    auto file = Fake().profiles.find(path);
    if (file == Fake().profiles.end()) return;
    std::istringstream lines(file->second);
    std::string line, current;
    while (std::getline(lines, line)) {
        line = CleanLine(line);
        if (!line.empty() && line[0] == '[') {
            current = Lower(line.substr(1, line.find(']') - 1));
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos || current != Lower(section)) continue;
        if (Lower(Trim(line.substr(0, equals))) != Lower(key)) continue;
        CopyOut(Trim(line.substr(equals + 1)), out, size);
        return;
    }
}

namespace {

// The lines of a profile file, and where [section] and its last key line are.
struct ProfileSection {
    std::vector<std::string> lines;
    size_t header;  // lines.size() when the section is missing
    size_t end;     // one past the section's last line
};

ProfileSection FindSection(const std::string& text, const char* section) {
    ProfileSection found;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) found.lines.push_back(line);
    found.header = found.end = found.lines.size();
    for (size_t at = 0; at < found.lines.size(); at++) {
        std::string trimmed = CleanLine(found.lines[at]);
        if (trimmed.empty() || trimmed[0] != '[') continue;
        if (found.header < found.lines.size()) {
            found.end = at;
            break;
        }
        if (Lower(trimmed.substr(1, trimmed.find(']') - 1)) == Lower(section)) found.header = at;
    }
    return found;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

}  // namespace

int SysWriteProfile(const char* path, const char* section, const char* key, const char* value) {
    std::string& text = Fake().profiles[path];
    ProfileSection found = FindSection(text, section);
    std::string line = std::string(key) + "=" + value;
    if (found.header == found.lines.size()) {
        found.lines.push_back(std::string("[") + section + "]");
        found.lines.push_back(line);
    } else {
        size_t at = found.header + 1;
        for (; at < found.end; at++) {
            std::string clean = CleanLine(found.lines[at]);
            size_t equals = clean.find('=');
            if (equals != std::string::npos && Lower(Trim(clean.substr(0, equals))) == Lower(key)) break;
        }
        if (at < found.end)
            found.lines[at] = line;
        else
            found.lines.insert(found.lines.begin() + static_cast<std::ptrdiff_t>(found.end), line);
    }
    text = JoinLines(found.lines);
    return 1;
}

int SysDeleteProfileSection(const char* path, const char* section) {
    auto file = Fake().profiles.find(path);
    if (file == Fake().profiles.end()) return 1;
    // Every block of that name goes, should the file hold it twice.
    for (;;) {
        ProfileSection found = FindSection(file->second, section);
        if (found.header == found.lines.size()) return 1;
        found.lines.erase(found.lines.begin() + static_cast<std::ptrdiff_t>(found.header),
                          found.lines.begin() + static_cast<std::ptrdiff_t>(found.end));
        file->second = JoinLines(found.lines);
    }
}

int SysIsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

int SysFullPath(const char* path, char* out, size_t size) {
    return ResolveFullPath(path, Fake().currentFolder.c_str(), out, size);
}

int SysLongPath(const char* path, char* out, size_t size) {
    std::string result = path;
    for (const auto& name : Fake().longNames) {
        const std::string& shortForm = name.first;
        if (result.size() >= shortForm.size() && Lower(result.substr(0, shortForm.size())) == Lower(shortForm) &&
            (result.size() == shortForm.size() || result[shortForm.size()] == '\\'))
            result = name.second + result.substr(shortForm.size());
    }
    return CopyText(out, size, result.c_str());
}

int SysSameFile(const char* a, const char* b) {
    char fullA[1024], fullB[1024], longA[1024], longB[1024];
    if (!SysPathExists(a) || !SysPathExists(b)) return 0;
    return SysFullPath(a, fullA, sizeof fullA) && SysFullPath(b, fullB, sizeof fullB) &&
           SysLongPath(fullA, longA, sizeof longA) && SysLongPath(fullB, longB, sizeof longB) &&
           Lower(longA) == Lower(longB);
}

int SysCreateFolder(const char* path) {
    std::string folder = path;
    size_t last = folder.rfind('\\');
    if (FolderExists(folder) || Fake().files.count(folder)) return 0;
    if (last == std::string::npos || !FolderExists(folder.substr(0, last))) return 0;
    Fake().folders.push_back(folder);
    Fake().createdFolders.push_back(folder);
    return 1;
}

int SysPathExists(const char* path) { return FolderExists(path) || Fake().files.count(path) != 0; }

int SysFileWriteTime(const char* path, uint64_t* ticks) {
    auto file = Fake().files.find(path);
    if (file == Fake().files.end() || file->second.locked) return 0;
    *ticks = file->second.writeTime;
    return 1;
}

int SysCopyFile(const char* from, const char* to) {
    auto source = Fake().files.find(from);
    std::string target = to;
    size_t last = target.rfind('\\');
    if (source == Fake().files.end() || last == std::string::npos || !FolderExists(target.substr(0, last)))
        return 0;
    FakeFile copy = source->second;
    copy.archiveOnly = 0;
    copy.locked = 0;
    if (Fake().failingCopies.count(target)) {
        // The medium or the disk gave out: half of the file is there.
        copy.content.resize(copy.content.size() / 2);
        Fake().files[target] = copy;
        return 0;
    }
    Fake().files[target] = copy;
    return 1;
}

int SysReplaceFile(const char* from, const char* to) {
    auto source = Fake().files.find(from);
    if (source == Fake().files.end() || FolderExists(to)) return 0;
    FakeFile moved = source->second;
    Fake().files.erase(source);
    Fake().files[to] = moved;
    return 1;
}

int SysDeleteFile(const char* path) { return Fake().files.erase(path) != 0; }

int SysSetArchiveOnly(const char* path) {
    auto file = Fake().files.find(path);
    if (file == Fake().files.end()) return 0;
    file->second.archiveOnly = 1;
    return 1;
}

int SysDriveSpace(const char* root, uint32_t* sectorsPerCluster, uint32_t* bytesPerSector, uint32_t* freeClusters) {
    auto drive = Fake().drives.find(root);
    if (drive == Fake().drives.end()) return 0;
    *sectorsPerCluster = drive->second.sectorsPerCluster;
    *bytesPerSector = drive->second.bytesPerSector;
    *freeClusters = drive->second.freeClusters;
    return 1;
}

int SysMakeShellLink(const char* link, const char* target, const char* arguments, const char* folder) {
    std::string path = link;
    size_t last = path.rfind('\\');
    if (last == std::string::npos || !FolderExists(path.substr(0, last))) return 0;
    Fake().links.push_back(FakeLink{link, target, arguments, folder});
    return 1;
}

int SysWriteMachineText(const char* key, const char* name, const char* text) {
    Fake().registry[std::string(key) + "|" + name] = text;
    return 1;
}
