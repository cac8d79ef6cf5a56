// Win32 standard output service: the C runtime's _setmode on standard output.
#include "platform/standard_output.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

int SysBinaryStandardOutput() {
    std::fflush(stdout);
    return _setmode(_fileno(stdout), _O_BINARY) != -1 ? 1 : 0;
}
