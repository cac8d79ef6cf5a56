// Portable file service over POSIX open/pread.
#include "platform/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

struct SysFile {
    int fd;
};

static int64_t g_liveFiles = 0;  // files opened and not yet closed

SysFile* SysFileOpenRead(const char* path) {
    if (!path) return nullptr;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    SysFile* file = new SysFile{fd};
    g_liveFiles++;
    return file;
}

int SysFileSize(SysFile* file, uint32_t* size) {
    struct stat info;
    if (!file || fstat(file->fd, &info) != 0) return 0;
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > 0xFFFFFFFEu) return 0;
    *size = static_cast<uint32_t>(info.st_size);
    return 1;
}

int SysFileReadAt(SysFile* file, uint32_t offset, void* buffer, uint32_t length, uint32_t* got) {
    *got = 0;
    if (!file) return 0;
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
    close(file->fd);
    delete file;
    g_liveFiles--;
}

int64_t SysLiveFiles() { return g_liveFiles; }
