// pkm list and pkm cat: the module tool's reading commands, over the runtime's own reader.
#include "modules/container.h"
#include "platform/memory.h"
#include "tools/pkm/commands.h"

#include <cstdio>
#include <cstring>

const char* ContainerReason(ContainerError why) {
    switch (why) {
        case ContainerError::kNoModuleFile: return "no such module file";
        case ContainerError::kNotModuleFile: return "not a module file";
        case ContainerError::kNoSuchEntry: return "no such entry";
        case ContainerError::kDamaged: return "damaged module";
        case ContainerError::kNoMemory: return "out of memory";
        case ContainerError::kNone: break;
    }
    return "unknown failure";
}

int PkmList(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: pkm list MODULE\n", stderr);
        return 2;
    }
    uint32_t count = 0;
    ContainerError why = ContainerError::kNone;
    DirectoryRecord* records = ReadModuleDirectory(argv[0], &count, &why);
    if (!records) {
        std::fprintf(stderr, "pkm: %s: %s\n", argv[0], ContainerReason(why));
        return 1;
    }
    for (uint32_t i = 0; i < count; i++)
        std::printf("%s\t%u\t%u\n", records[i].name, records[i].size, records[i].offset);
    SysFree(records);
    return 0;
}

int PkmCat(int argc, char** argv) {
    const char* mode = "--raw";
    if (argc == 3) mode = argv[2];
    if ((argc != 2 && argc != 3) ||
        (std::strcmp(mode, "--raw") != 0 && std::strcmp(mode, "--text") != 0 && std::strcmp(mode, "--image") != 0)) {
        std::fputs("usage: pkm cat MODULE ENTRY [--raw | --text | --image]\n", stderr);
        return 2;
    }
    uint32_t size = 0;
    ContainerError why = ContainerError::kNone;
    uint8_t* data = nullptr;
    if (std::strcmp(mode, "--text") == 0)
        data = ReadScrambledEntry(argv[0], argv[1], &size, &why);
    else if (std::strcmp(mode, "--image") == 0)
        data = ReadImageEntry(argv[0], argv[1], &size, &why);
    else
        data = ReadEntry(argv[0], argv[1], &size, &why);
    if (!data) {
        std::fprintf(stderr, "pkm: %s: %s: %s\n", argv[0], argv[1], ContainerReason(why));
        return 1;
    }
    size_t written = std::fwrite(data, 1, size, stdout);
    SysFree(data);
    if (written != size || std::fflush(stdout) != 0) {
        std::fputs("pkm: cannot write to standard output\n", stderr);
        return 1;
    }
    return 0;
}
