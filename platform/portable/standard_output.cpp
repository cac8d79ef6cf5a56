// Portable standard output service: POSIX streams are binary already.
#include "platform/standard_output.h"

int SysBinaryStandardOutput() { return 1; }
