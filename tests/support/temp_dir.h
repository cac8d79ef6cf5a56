// Test support: a fresh temporary directory that becomes the current directory
// for one test (the module reader resolves relative paths and loose files there).
#pragma once

#include <string>

class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string previous_;
};
