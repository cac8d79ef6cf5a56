// Test support: running a tool and collecting what it printed.
#include "tests/support/run_tool.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

ToolRun RunTool(const std::string& program, const std::string& arguments) {
    char errPath[] = "/tmp/zippit-tool-stderr-XXXXXX";
    int errFd = mkstemp(errPath);
    if (errFd >= 0) close(errFd);
    std::string command = program + " " + arguments + " 2>" + errPath;
    ToolRun run{-1, "", ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe) {
        char buffer[4096];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
        int status = pclose(pipe);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (FILE* err = fopen(errPath, "rb")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, err)) > 0) run.err.append(buffer, n);
        fclose(err);
    }
    unlink(errPath);
    return run;
}
