// The module tool's commands; each takes the words after its name and returns the exit code.
#pragma once

#include "modules/container.h"

int PkmList(int argc, char** argv);
int PkmCat(int argc, char** argv);
int PkmCheck(int argc, char** argv);
int PkmBuild(int argc, char** argv);
int PkmUnpack(int argc, char** argv);
int PkmSheet(int argc, char** argv);

// A reader's failure in words for the tool's messages.
const char* ContainerReason(ContainerError why);
