// Test support: temporary directories on Windows (run under Wine in the tests).
#include "tests/support/temp_dir.h"

#include <windows.h>

#include <filesystem>

ScopedTempDir::ScopedTempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char name[MAX_PATH];
    GetTempFileNameA(base, "zpt", 0, name);  // creates a file; a folder takes its place
    DeleteFileA(name);
    CreateDirectoryA(name, nullptr);
    path_ = name;
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
