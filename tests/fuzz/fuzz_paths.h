// Paths as the system resolves them, for the installer's fuzz targets: an
// oracle of its own, written apart from the installer's code.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

inline std::string FuzzLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The parts of `path` split at every '\' and '/' byte, as they stand.
inline std::vector<std::string> FuzzSplitParts(const std::string& path) {
    std::vector<std::string> parts(1);
    for (char c : path) {
        if (c == '\\' || c == '/')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// 1 when a part names a device of the system: NUL, CON, PRN, AUX, COM1-9,
// LPT1-9, any case, whatever follows a dot or a colon, blanks before it.
inline bool FuzzNamesDevice(const std::string& part) {
    std::string base = FuzzLower(part.substr(0, part.find_first_of(".:")));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base == "nul" || base == "con" || base == "prn" || base == "aux") return true;
    return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// The parts of `path` as the system takes them: split at '\\' and '/' (paths
// are UTF-8, where no byte of a character is either), trailing dots and
// blanks dropped from each part, "." left out and ".." taking the part before
// it away (never the drive). ASCII letters folded.
inline std::vector<std::string> FuzzResolve(const std::string& path) {
    std::vector<std::string> parts;
    for (std::string part : FuzzSplitParts(path)) {
        if (part.find_first_not_of(". ") == std::string::npos) {
            // "", "." and runs of separators are left out; "..", and (the
            // harsher reading) any other part of dots and blanks with two
            // dots or more, go up.
            if (std::count(part.begin(), part.end(), '.') >= 2 && parts.size() > 1) parts.pop_back();
            continue;
        }
        while (part.back() == '.' || part.back() == ' ') part.pop_back();
        parts.push_back(FuzzLower(part));
    }
    return parts;
}

// 1 when `path` resolves to `folder` or below it; `strictly` asks for below.
// With `streams`, a part below the folder holding ':' (a stream, another
// drive) is never inside.
inline bool FuzzResolvesInside(const std::string& path, const std::string& folder, bool strictly,
                               bool streams = true) {
    std::vector<std::string> base = FuzzResolve(folder), parts = FuzzResolve(path);
    if (parts.size() < base.size() + (strictly ? 1 : 0)) return false;
    for (size_t i = 0; i < base.size(); i++)
        if (parts[i] != base[i]) return false;
    for (size_t i = std::max<size_t>(1, base.size()); streams && i < parts.size(); i++)
        if (parts[i].find(':') != std::string::npos) return false;
    return true;
}
