// Reading and writing profile files over their bytes.
#include "setup/profile.h"

#include "setup/setup_system.h"

#include <cstring>
#include <sstream>
#include <vector>

namespace {

// Setup.ini and UnInst.lst are small; a larger file reads as missing.
constexpr size_t kMostProfileBytes = 4 << 20;

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

// A line as the system reads it: a text (a zero byte ends it) without blanks around it.
std::string CleanLine(const std::string& line) { return Trim(line.substr(0, line.find('\0'))); }

// The name of a section header line "[name]", lowered; false for other lines.
bool SectionName(const std::string& clean, std::string* name) {
    if (clean.empty() || clean[0] != '[') return false;
    *name = Lower(clean.substr(1, clean.find(']') - 1));
    return true;
}

std::string FileText(const char* path) {
    std::string bytes;
    if (!SysReadFileBytes(path, kMostProfileBytes, &bytes)) return "";
    return bytes;
}

// The lines of a profile file, and where [section] and its last key line are.
struct ProfileSection {
    std::vector<std::string> lines;
    size_t header;  // lines.size() when the section is missing
    size_t end;     // one past the section's last line
};

ProfileSection FindSection(const std::string& text, const char* section) {
    ProfileSection found;
    std::istringstream stream(text);
    std::string line, name;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        found.lines.push_back(line);
    }
    found.header = found.end = found.lines.size();
    for (size_t at = 0; at < found.lines.size(); at++) {
        if (!SectionName(CleanLine(found.lines[at]), &name)) continue;
        if (found.header < found.lines.size()) {
            found.end = at;
            break;
        }
        if (name == Lower(section)) found.header = at;
    }
    return found;
}

// The lines ended as the system's profile writer ends them.
std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace

int ReadProfileValue(const char* path, const char* section, const char* key, std::string* value) {
    value->clear();
    std::istringstream lines(FileText(path));
    std::string line, current, name;
    while (std::getline(lines, line)) {
        line = CleanLine(line);
        if (SectionName(line, &name)) {
            current = name;
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos || current != Lower(section)) continue;
        if (Lower(Trim(line.substr(0, equals))) != Lower(key)) continue;
        *value = Trim(line.substr(equals + 1));
        size_t length = value->size();
        if (length >= 2 && ((*value)[0] == '"' || (*value)[0] == '\'') && (*value)[length - 1] == (*value)[0])
            *value = value->substr(1, length - 2);
        return 1;
    }
    return 0;
}

void ReadProfile(const char* path, const char* section, const char* key, const char* fallback, char* out,
                 size_t size) {
    std::string value;
    if (!ReadProfileValue(path, section, key, &value)) value = fallback;
    size_t length = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(out, value.data(), length);
    out[length] = 0;
}

int WriteProfile(const char* path, const char* section, const char* key, const char* value) {
    ProfileSection found = FindSection(FileText(path), section);
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
    return SysWriteFileBytes(path, JoinLines(found.lines));
}

int DeleteProfileSection(const char* path, const char* section) {
    std::string text = FileText(path);
    int deleted = 0;
    for (;; deleted = 1) {
        ProfileSection found = FindSection(text, section);
        if (found.header == found.lines.size()) break;
        found.lines.erase(found.lines.begin() + static_cast<std::ptrdiff_t>(found.header),
                          found.lines.begin() + static_cast<std::ptrdiff_t>(found.end));
        text = JoinLines(found.lines);
    }
    return !deleted || SysWriteFileBytes(path, text);
}
