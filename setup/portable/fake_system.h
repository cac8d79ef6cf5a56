// The portable Setup services keep a small in-memory machine that the native
// tests fill and inspect: a command line, a current folder, profile files,
// folders, files with last-write times, drives, shell links and registry texts.
// Drive roots ("C:") always exist as folders. Paths and texts are UTF-8, as
// the services take them; GBK goes through iconv's code page 936.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct FakeFile {
    std::string content;
    uint64_t writeTime;
    int archiveOnly;  // set by SysSetArchiveOnly, cleared by any other write
    int locked;       // 1: its time cannot be read
};

struct FakeLink {
    std::string link, target, arguments, folder;
};

struct FakeDrive {
    uint32_t sectorsPerCluster, bytesPerSector, freeClusters;
};

struct FakeMachine {
    std::string commandLine;
    std::string currentFolder;
    char windowsDrive = 'C';
    std::map<std::string, std::string> profiles;  // path -> bytes of a file read and written whole (Setup.ini, UnInst.lst)
    std::vector<std::string> folders;             // existing folders, as created
    std::vector<std::string> createdFolders;      // every successful SysCreateFolder, in order
    std::map<std::string, FakeFile> files;
    std::set<std::string> failingCopies;          // copies to these paths stop halfway and fail
    std::map<std::string, FakeDrive> drives;      // by root, such as "C:\"
    std::vector<FakeLink> links;                  // in the order made
    std::map<std::string, std::string> registry;  // "key|name" -> text
    std::map<std::string, std::string> longNames; // full short (8.3) spelling of a folder -> its long form
};

// The machine every portable Sys call works on.
FakeMachine& Fake();

// Clears the machine.
void ResetFake();
