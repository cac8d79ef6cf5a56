// Portable file service over POSIX open/pread, plus one in-memory file that
// tests and fuzz targets can put in place of a file on disk.
#include "platform/file.h"
#include "platform/portable/hooks.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

struct SysFile {
    int fd;                // -1 for the in-memory file
    const uint8_t* bytes;  // the in-memory file's bytes (not owned)
    uint32_t size;         // the in-memory file's size
};

static int64_t g_liveFiles = 0;  // files opened and not yet closed

// The in-memory file: its path and bytes (owned by the test); no path: none.
static std::string g_memoryPath;
static const uint8_t* g_memoryBytes = nullptr;
static uint32_t g_memorySize = 0;

void SysTestSetMemoryFile(const char* path, const uint8_t* bytes, uint32_t size) {
    g_memoryPath = path ? path : "";
    g_memoryBytes = bytes;
    g_memorySize = size;
}

SysFile* SysFileOpenRead(const char* path) {
    if (!path) return nullptr;
    if (!g_memoryPath.empty() && g_memoryPath == path) {
        g_liveFiles++;
        return new SysFile{-1, g_memoryBytes, g_memorySize};
    }
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    SysFile* file = new SysFile{fd, nullptr, 0};
    g_liveFiles++;
    return file;
}

int SysFileSize(SysFile* file, uint32_t* size) {
    if (file && file->fd < 0) {
        *size = file->size;
        return 1;
    }
    struct stat info;
    if (!file || fstat(file->fd, &info) != 0) return 0;
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > 0xFFFFFFFEu) return 0;
    *size = static_cast<uint32_t>(info.st_size);
    return 1;
}

int SysFileReadAt(SysFile* file, uint32_t offset, void* buffer, uint32_t length, uint32_t* got) {
    *got = 0;
    if (!file) return 0;
    if (file->fd < 0) {
        if (offset < file->size) {
            *got = length < file->size - offset ? length : file->size - offset;
            std::memcpy(buffer, file->bytes + offset, *got);
        }
        return 1;
    }
    char* out = static_cast<char*>(buffer);
    while (*got < length) {
        ssize_t n = pread(file->fd, out + *got, length - *got, static_cast<off_t>(offset) + *got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return 0;
        }
        if (n == 0) break;
        *got += static_cast<uint32_t>(n);
    }
    return 1;
}

void SysFileClose(SysFile* file) {
    if (!file) return;
    if (file->fd >= 0) close(file->fd);
    delete file;
    g_liveFiles--;
}

int64_t SysLiveFiles() { return g_liveFiles; }
