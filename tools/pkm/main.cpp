// pkm: the character module tool for authors: list, read, check, build, unpack and preview *.Pkm files.
#include "platform/standard_output.h"
#include "tools/pkm/commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};

const Command kCommands[] = {
    {"list", PkmList, "pkm list MODULE                 one line per entry: name, size, offset"},
    {"cat", PkmCat, "pkm cat MODULE ENTRY [--raw | --text | --image]   write an entry to standard output"},
    {"check", PkmCheck, "pkm check MODULE                loads the character and every reachable action, lists problems"},
    {"build", PkmBuild, "pkm build SOURCE_DIR -o MODULE.Pkm   make a module from an authoring folder"},
    {"unpack", PkmUnpack, "pkm unpack MODULE.Pkm DIR       write a module's entries into a new authoring folder"},
    {"sheet", PkmSheet, "pkm sheet MODULE [ACTION] -o FILE.png   the cels of one action or of all, with index, anchor and shape"},
};

int Usage() {
    std::fputs("usage:\n", stderr);
    for (const Command& command : kCommands) std::fprintf(stderr, "  %s\n", command.usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Frame lines and module bytes reach a pipe or file the same on every system.
    SysBinaryStandardOutput();
    if (argc < 2) return Usage();
    for (const Command& command : kCommands)
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
    std::fprintf(stderr, "pkm: unknown command '%s'\n", argv[1]);
    return Usage();
}
