// Portable Setup services over the in-memory machine of fake_system.h, for the
// native tests of the installer's logic.
#include "setup/setup_system.h"

#include "setup/portable/fake_system.h"
#include "setup/text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// Folders are compared as the system resolves them, so "X\\sub\\.." is X.
int FolderExists(const std::string& path) {
    if (path.size() == 2 && path[1] == ':') return 1;
    char full[1024], known[1024];
    if (!ResolveFullPath(path.c_str(), Fake().currentFolder.c_str(), full, sizeof full)) return 0;
    if (std::strlen(full) == 3 && full[1] == ':') return 1;
    // A folder named with a trailing backslash is the same folder.
    size_t length = std::strlen(full);
    if (length > 3 && full[length - 1] == '\\') full[length - 1] = 0;
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

int SysReadFileBytes(const char* path, size_t limit, std::string* bytes) {
    bytes->clear();
    auto file = Fake().profiles.find(path);
    if (file == Fake().profiles.end() || file->second.size() > limit) return 0;
    *bytes = file->second;
    return 1;
}

int SysWriteFileBytes(const char* path, const std::string& bytes) {
    Fake().profiles[path] = bytes;
    return 1;
}

namespace {

// Converts `text` with iconv. With `replace`, a byte that starts no character
// of `from` becomes U+FFFD and the conversion goes on; else it fails.
int Convert(const char* from, const char* to, const char* text, bool replace, char* out, size_t size) {
    if (size) out[0] = 0;
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return 0;
    std::string input = text, output(4 * input.size() + 4, '\0');
    char* in = &input[0];
    char* put = &output[0];
    size_t inLeft = input.size(), outLeft = output.size();
    int ok = 1;
    while (inLeft && ok) {
        if (iconv(converter, &in, &inLeft, &put, &outLeft) != static_cast<size_t>(-1)) break;
        if (!replace || errno == E2BIG || outLeft < 3) {
            ok = 0;
        } else {
            std::memcpy(put, "\xEF\xBF\xBD", 3);
            put += 3;
            outLeft -= 3;
            in++;
            inLeft--;
        }
    }
    iconv_close(converter);
    if (!ok) return 0;
    output.resize(output.size() - outLeft);
    return CopyText(out, size, output.c_str());
}

}  // namespace

int SysGbkToUtf8(const char* gbk, char* out, size_t size) { return Convert("CP936", "UTF-8", gbk, true, out, size); }

int SysUtf8ToGbk(const char* utf8, char* out, size_t size) {
    return Convert("UTF-8", "CP936", utf8, false, out, size);
}

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
