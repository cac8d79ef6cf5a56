// pkm: the character module tool for authors: list, read, check, build, unpack and preview *.Pkm files.
#include "platform/standard_output.h"
#include "tools/pkm/commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;    // the command line
    const char* meaning;  // what it does
    const char* options;  // one line per option, each ending in a line break
};

const Command kCommands[] = {
    {"list", PkmList, "pkm list MODULE.Pkm", "one line per entry: name, size, offset", ""},
    {"cat", PkmCat, "pkm cat MODULE.Pkm ENTRY [MODE]", "write one entry to standard output",
     "      --raw      as stored (the default)\n"
     "      --text     unscrambled: scripts and sounds\n"
     "      --image    a picture with its pixels unpacked\n"},
    {"check", PkmCheck, "pkm check MODULE.Pkm | FOLDER",
     "load it as the program does, with every action it reaches; list what is wrong", ""},
    {"build", PkmBuild, "pkm build FOLDER -o MODULE.Pkm", "make a module from an authoring folder",
     "      -o MODULE.Pkm    the module to write (never among the folder's inputs)\n"},
    {"unpack", PkmUnpack, "pkm unpack MODULE.Pkm FOLDER", "write a module's entries into a new authoring folder", ""},
    {"sheet", PkmSheet, "pkm sheet MODULE.Pkm [ACTION] -o FILE.png",
     "draw the cels of one action, or of all, with shape and anchor",
     "      -o FILE.png      the picture to write\n"},
};

void PrintUsage(FILE* out) {
    std::fputs("usage: pkm COMMAND ...\n", out);
    for (const Command& command : kCommands)
        std::fprintf(out, "  %-44s %s\n%s", command.usage, command.meaning, command.options);
    std::fprintf(out, "  %-44s %s\n", "pkm --help, pkm -h", "print this text");
}

}  // namespace

int main(int argc, char** argv) {
    // Frame lines and module bytes reach a pipe or file the same on every system.
    SysBinaryStandardOutput();
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    for (const Command& command : kCommands)
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
    std::fprintf(stderr, "pkm: unknown command '%s'\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
