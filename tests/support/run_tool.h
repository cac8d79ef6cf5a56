// Test support: runs a command-line tool as a user would and collects its
// exit code, standard output and standard error.
#pragma once

#include <string>

struct ToolRun {
    int exitCode;     // -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `arguments` (words separated by spaces, as a shell reads them).
ToolRun RunTool(const std::string& program, const std::string& arguments);
