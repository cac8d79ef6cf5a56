// Whole-file reads and writes and folder listings over POSIX calls (tool_files_win32.cpp is the Windows form).
#include "tools/pkm/tool_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

int ReadWholeFile(const std::string& path, ByteVector* data, std::string* error) {
    data->clear();
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        *error = "missing";
        return 0;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = "not a file";
        return 0;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = std::string("cannot open: ") + std::strerror(errno);
        return 0;
    }
    uint8_t buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) data->insert(data->end(), buffer, buffer + got);
    int failed = std::ferror(file);
    std::fclose(file);
    if (failed) {
        data->clear();
        *error = "cannot read";
        return 0;
    }
    return 1;
}

int WriteWholeFile(const std::string& path, const ByteVector& data, std::string* error) {
    std::string temporary = path + ".part";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        *error = std::string("cannot create: ") + std::strerror(errno);
        return 0;
    }
    bool written = data.empty() || std::fwrite(data.data(), 1, data.size(), file) == data.size();
    if (std::fclose(file) != 0) written = false;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = std::string("cannot write: ") + std::strerror(errno);
        std::remove(temporary.c_str());
        return 0;
    }
    return 1;
}

int IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int PathExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

int ListDirectory(const std::string& path, std::vector<std::string>* names) {
    names->clear();
    DIR* folder = opendir(path.c_str());
    if (!folder) return 0;
    while (const dirent* item = readdir(folder)) {
        if (item->d_name[0] == '.') continue;
        names->push_back(item->d_name);
    }
    closedir(folder);
    std::sort(names->begin(), names->end());
    return 1;
}

int MakeDirectory(const std::string& path, std::string* error) {
    if (mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && IsDirectory(path))) return 1;
    *error = std::string("cannot create folder: ") + std::strerror(errno);
    return 0;
}

int FileIdentity(const std::string& path, FileId* id) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return 0;
    *id = FileId{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    return 1;
}

int WriteTemporaryFile(const ByteVector& data, std::string* path, std::string* error) {
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/pkm-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        *error = pattern + ": cannot create: " + std::strerror(errno);
        return 0;
    }
    close(descriptor);
    *path = name.data();
    if (WriteWholeFile(*path, data, error)) return 1;
    *error = *path + ": " + *error;
    RemoveFile(*path);
    return 0;
}

void RemoveFile(const std::string& path) { std::remove(path.c_str()); }
