// Test support: temporary directories on Linux.
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

ScopedTempDir::ScopedTempDir() {
    char pattern[] = "/tmp/zippit-test-XXXXXX";
    path_ = mkdtemp(pattern);
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
