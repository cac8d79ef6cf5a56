// Whole-file reads and writes and folder listings over Win32 calls: the Windows form of tool_files.cpp.
#include "tools/pkm/tool_files.h"

#include <windows.h>

#include <algorithm>

namespace {

std::string Reason(const char* what) { return std::string(what) + " (error " + std::to_string(GetLastError()) + ")"; }

}  // namespace

int ReadWholeFile(const std::string& path, ByteVector* data, std::string* error) {
    data->clear();
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *error = "missing";
        return 0;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        *error = "not a file";
        return 0;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = Reason("cannot open");
        return 0;
    }
    uint8_t buffer[65536];
    DWORD got = 0;
    BOOL read = FALSE;
    while ((read = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0)
        data->insert(data->end(), buffer, buffer + got);
    CloseHandle(file);
    if (!read) {
        data->clear();
        *error = "cannot read";
        return 0;
    }
    return 1;
}

int WriteWholeFile(const std::string& path, const ByteVector& data, std::string* error) {
    std::string temporary = path + ".part";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = Reason("cannot create");
        return 0;
    }
    bool written = true;
    for (size_t at = 0; written && at < data.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - at, 1u << 20));
        DWORD put = 0;
        written = WriteFile(file, data.data() + at, chunk, &put, nullptr) && put == chunk;
        at += chunk;
    }
    if (!CloseHandle(file)) written = false;
    // Unlike POSIX rename, moving onto an existing file needs asking for.
    if (!written || !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        *error = Reason("cannot write");
        DeleteFileA(temporary.c_str());
        return 0;
    }
    return 1;
}

int IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES ? 1 : 0; }

int ListDirectory(const std::string& path, std::vector<std::string>* names) {
    names->clear();
    if (!IsDirectory(path)) return 0;
    std::string pattern = path;
    if (!pattern.empty() && pattern.back() != '/' && pattern.back() != '\\') pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? 1 : 0;
    do {
        if (found.cFileName[0] == '.') continue;
        names->push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    if (!complete) {
        names->clear();
        return 0;
    }
    std::sort(names->begin(), names->end());
    return 1;
}

int MakeDirectory(const std::string& path, std::string* error) {
    if (CreateDirectoryA(path.c_str(), nullptr) || (GetLastError() == ERROR_ALREADY_EXISTS && IsDirectory(path)))
        return 1;
    *error = Reason("cannot create folder");
    return 0;
}

int FileIdentity(const std::string& path, FileId* id) {
    // Folders open only with backup semantics; no access is asked for, so
    // files in use elsewhere still tell who they are.
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION info;
    BOOL known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known) return 0;
    *id = FileId{info.dwVolumeSerialNumber,
                 (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return 1;
}

int WriteTemporaryFile(const ByteVector& data, std::string* path, std::string* error) {
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH || !GetTempFileNameA(folder, "pkm", 0, name)) {
        *error = Reason("cannot create a temporary file");
        return 0;
    }
    *path = name;
    if (WriteWholeFile(*path, data, error)) return 1;
    *error = *path + ": " + *error;
    RemoveFile(*path);
    return 0;
}

void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }
