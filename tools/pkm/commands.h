// The module tool's commands; each takes the words after its name and returns the exit code.
#pragma once

#include "modules/container.h"
#include "tools/pkm/authoring.h"

#include <cstdio>

int PkmList(int argc, char** argv);
int PkmCat(int argc, char** argv);
int PkmCheck(int argc, char** argv);
int PkmBuild(int argc, char** argv);
int PkmUnpack(int argc, char** argv);
int PkmSheet(int argc, char** argv);

// A reader's failure in words for the tool's messages.
const char* ContainerReason(ContainerError why);

// What pkm check found.
struct CheckResult {
    int errors;
    int warnings;
    int actions;  // actions checked
};

// Checks the module at `modulePath` as the program loads it, and every action
// reachable from its start list, writing one line per problem to `out`
// ("error: WHERE: what" or "warning: WHERE: what"). Entries are named as the
// files of `files` when given (a module just built from that folder), else by
// their names; `shownName` stands for the module as a whole.
CheckResult CheckModule(const char* modulePath, const char* shownName, const AuthorFiles* files, FILE* out);
