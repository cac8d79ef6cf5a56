// Platform standard output service: what a command-line tool prints reaches its reader byte for byte.
#pragma once

// Puts standard output into binary mode: "\n" reaches a pipe or file as one
// byte and module bytes written there arrive unchanged (the Windows C
// runtime's text mode writes CR LF and would also rewrite bytes 0x0A inside
// binary data). Call before anything is printed. Returns 1, or 0 when the
// mode cannot be set.
int SysBinaryStandardOutput();
