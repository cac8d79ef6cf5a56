// The module tool's commands; each takes the words after its name and returns the exit code.
#pragma once

int PkmList(int argc, char** argv);
int PkmCat(int argc, char** argv);
int PkmCheck(int argc, char** argv);
