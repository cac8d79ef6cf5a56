// Tests of what the uninstaller takes for its own: paths inside its folder,
// listed names that stay inside it, link files, and the walk of a tampered
// installed list.
#include "setup/uninst/owned.h"

#include "setup/portable/fake_system.h"
#include "setup/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(UninstallerOwns, WhatLiesInTheUninstallersFolder) {
    struct Case {
        const char* path;
        int inside;
    } cases[] = {
        {"C:\\Apps\\Zippit\\Zippit.exe", 1},
        {"c:\\apps\\zippit\\sub\\x.txt", 1},
        {"C:\\Apps\\Zippit", 1},
        {"C:\\Apps\\Zippit\\", 1},
        {"C:\\Apps\\Zippit2\\Zippit.exe", 0},
        {"C:\\Apps\\Zip", 0},
        {"D:\\Apps\\Zippit\\Zippit.exe", 0},
        {"", 0},
        // Below the folder by its letters, yet climbing out of it.
        {"C:\\Apps\\Zippit\\..\\Windows\\x.exe", 0},
        {"C:\\Apps\\Zippit\\sub\\.. ", 0},
        {"C:\\Apps\\Zippit\\\\a.exe", 1},  // installed into a folder typed with a trailing backslash
        {"C:\\Apps\\Zippit\\...x\\a.exe", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(IsInFolder(c.path, "C:\\Apps\\Zippit"), c.inside) << c.path;
    EXPECT_EQ(IsInFolder("C:\\x", ""), 0) << "an empty folder owns nothing";
}

TEST(UninstallerOwns, ListedNamesThatWouldLeaveTheFolder) {
    struct Case {
        const char* name;
        int stays;
    } cases[] = {
        {"Zippit.exe", 1}, {"sub\\a.txt", 1}, {"..x", 1},     {"a..", 1},
        {"", 0},           {"..", 0},           {"..\\a", 0}, {"sub\\..\\..\\a", 0},
        {"sub/../a", 0},   {"\\Windows\\a", 0}, {"C:\\a", 0}, {"C:a", 0},
        // The system drops trailing dots and blanks, so these may mean "..".
        {".. ", 0},        {". .", 0},          {"...", 0},   {"sub\\... \\a", 0},
        {".", 0},          {"sub\\", 0},        {"sub\\ .", 0}, {"a. b", 1}, {".\\a", 1}, {"...x", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(StaysInFolder(c.name), c.stays) << c.name;
    EXPECT_EQ(IsLinkPath("C:\\Start\\Play.LNK"), 1);
    EXPECT_EQ(IsLinkPath("C:\\Start\\Play.exe"), 0);
    EXPECT_EQ(IsLinkPath("lnk"), 0);
}

TEST(UninstallerList, TamperedItemsArePassedOver) {
    ResetFake();
    Fake().profiles["C:\\Apps\\Zippit\\UnInst.lst"] =
        "[Files]\n1=Zippit.exe\n2=..\\..\\Windows\\win.ini\n3=C:\\boot.ini\n4=sub\\a.txt\n5=.. \n"
        "6=" + std::string(kPathSize, 'n') + "\n7=Zippy.Pkm\n9=after-a-gap.txt\n"
        "[Links]\n1=C:\\Menu\\Play.lnk\n2=C:\\Windows\\notepad.exe\n3=C:\\Menu\\Help.LNK\n"
        "[Folders]\n1=C:\\Menu\n";
    std::vector<std::string> removed;
    ListRemovals("C:\\Apps\\Zippit", [](void* context, RemovalKind kind, const char* path) {
        static const char* const kinds[] = {"link ", "folder ", "file "};
        static_cast<std::vector<std::string>*>(context)->push_back(kinds[kind] + std::string(path));
    }, &removed);
    EXPECT_EQ(removed, (std::vector<std::string>{
                           "link C:\\Menu\\Play.lnk", "link C:\\Menu\\Help.LNK", "folder C:\\Menu",
                           "file C:\\Apps\\Zippit\\Zippit.exe", "file C:\\Apps\\Zippit\\sub\\a.txt",
                           "file C:\\Apps\\Zippit\\Zippy.Pkm"}));
    ResetFake();
}

}  // namespace
