// Tests of the directory service: wildcard search without regard to case,
// folders told from files, deleting. The same tests run against Win32 under Wine.
#include "platform/directory.h"
#include "tests/support/module_writer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> FindAll(const char* pattern) {
    std::vector<std::string> names;
    char name[kFoundNameCapacity];
    SysFind* find = SysFindFirst(pattern, name);
    if (!find) return names;
    do names.push_back(name);
    while (SysFindNext(find, name));
    SysFindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DirectoryTest, FindsNamesByPatternWithoutRegardToCase) {
    ScopedTempDir dir;
    for (const char* file : {"a.Pkm", "B.PKM", "c.pkm.bak", "d.txt", "Pkm", "e.Pk"}) WriteFileBytes(file, {1});
    std::filesystem::create_directory("x.Pkm");
    std::filesystem::create_directory("sub");
    WriteFileBytes("sub/inner.pkm", {1});

    EXPECT_EQ(FindAll("*.Pkm"), (std::vector<std::string>{"B.PKM", "a.Pkm", "x.Pkm"}))
        << "folders are found too; telling them apart is the caller's";
    EXPECT_EQ(FindAll("?.txt"), (std::vector<std::string>{"d.txt"}));
    EXPECT_EQ(FindAll("sub/*.Pkm"), (std::vector<std::string>{"inner.pkm"})) << "names come back bare";
    EXPECT_TRUE(FindAll("*.none").empty());
    EXPECT_TRUE(FindAll("missing/*.Pkm").empty());
    char name[kFoundNameCapacity];
    EXPECT_EQ(SysFindFirst(nullptr, name), nullptr);
    EXPECT_EQ(SysFindNext(nullptr, name), 0);
    SysFindClose(nullptr);
}

TEST(DirectoryTest, TellsFoldersFromFilesAndDeletesFilesOnly) {
    ScopedTempDir dir;
    WriteFileBytes("f.Pkm", {1});
    std::filesystem::create_directory("d.Pkm");
    int isDirectory = -1;
    EXPECT_EQ(SysPathKind("f.Pkm", &isDirectory), 1);
    EXPECT_EQ(isDirectory, 0);
    EXPECT_EQ(SysPathKind("d.Pkm", &isDirectory), 1);
    EXPECT_EQ(isDirectory, 1);
    EXPECT_EQ(SysPathKind("gone.Pkm", &isDirectory), 0);

    EXPECT_EQ(SysDeleteFile("d.Pkm"), 0);
    EXPECT_TRUE(std::filesystem::exists("d.Pkm"));
    EXPECT_EQ(SysDeleteFile("f.Pkm"), 1);
    EXPECT_FALSE(std::filesystem::exists("f.Pkm"));
    EXPECT_EQ(SysDeleteFile("f.Pkm"), 0) << "already gone";
}

}  // namespace
