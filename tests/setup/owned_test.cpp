// Tests of what the uninstaller takes for its own: paths inside its folder,
// listed names that stay inside it, link files (natively and under Wine).
#include "setup/uninst/owned.h"

#include <gtest/gtest.h>

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
        // Devices, in any case, with an extension or blanks: passed over like "..".
        {"NUL", 0},        {"con.txt", 0},      {"sub\\Prn", 0}, {"aux .dat", 0}, {"COM9.", 0}, {"lpt1\\a", 0},
        {"COM0", 1},       {"LPT10", 1},        {"nul2", 1},    {"conn.txt", 1}, {"a.con", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(StaysInFolder(c.name), c.stays) << c.name;
    EXPECT_EQ(IsLinkPath("C:\\Start\\Play.LNK"), 1);
    EXPECT_EQ(IsLinkPath("C:\\Start\\Play.exe"), 0);
    EXPECT_EQ(IsLinkPath("lnk"), 0);
}

}  // namespace
