// Tests of the uninstaller's walk of its installed list over Setup's in-memory
// machine: tampered items, what stays listed after a removal that failed,
// and the folders made on the way to the install folder.
#include "setup/uninst/owned.h"

#include "setup/description.h"
#include "setup/installed_list.h"
#include "setup/portable/fake_system.h"
#include "setup/profile.h"
#include "setup/setup_system.h"
#include "setup/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char kList[] = "C:\\Apps\\Zippit\\UnInst.lst";

// Records each removal; the paths in `stuck` cannot be removed.
struct Walk {
    std::vector<std::string> removed;
    std::vector<std::string> stuck;
};

int Record(void* context, RemovalKind kind, const char* path) {
    static const char* const kinds[] = {"link ", "folder ", "file "};
    Walk* walk = static_cast<Walk*>(context);
    walk->removed.push_back(kinds[kind] + std::string(path));
    for (const std::string& stuck : walk->stuck)
        if (stuck == path) return 0;
    return 1;
}

// The shell's Programs and Startup folders.
const char* const kShellFolders[] = {"C:\\Programs", "C:\\Startup"};

int Remove(Walk* walk) { return RemoveListed("C:\\Apps\\Zippit", kShellFolders, 2, Record, walk); }

std::vector<std::string> Section(const char* section) {
    std::vector<std::string> items;
    char item[kValueSize];
    for (int i = 1;; i++) {
        ReadProfile(kList, section, std::to_string(i).c_str(), "", item, sizeof item);
        if (!item[0]) return items;
        items.push_back(item);
    }
}

TEST(UninstallerList, TamperedItemsArePassedOver) {
    ResetFake();
    Fake().profiles[kList] =
        "[Files]\n1=Zippit.exe\n2=..\\..\\Windows\\win.ini\n3=C:\\boot.ini\n4=sub\\a.txt\n5=.. \n"
        "6=" + std::string(kPathSize, 'n') + "\n7=Zippy.Pkm\n8=nul.txt\n10=after-a-gap.txt\n"
        "[Links]\n1=C:\\Programs\\Menu\\Play.lnk\n2=C:\\Windows\\notepad.exe\n3=C:\\Programs\\Menu\\Help.LNK\n"
        "4=C:\\Programs\\Menu\\Com1 .lnk\n"
        // Only a group below the Programs or Startup folder that holds a listed link goes.
        "[Folders]\n1=C:\\Programs\\Menu\n2=C:\\Windows\n3=C:\\Programs\n4=C:\\Programs\\Empty\n5=C:\\Programs\\..\n";
    std::string before = Fake().profiles[kList];
    Walk walk;
    EXPECT_EQ(Remove(&walk), 0);
    EXPECT_EQ(walk.removed, (std::vector<std::string>{
                                "link C:\\Programs\\Menu\\Play.lnk", "link C:\\Programs\\Menu\\Help.LNK", "folder C:\\Programs\\Menu",
                                "file C:\\Apps\\Zippit\\Zippit.exe", "file C:\\Apps\\Zippit\\sub\\a.txt",
                                "file C:\\Apps\\Zippit\\Zippy.Pkm"}));
    EXPECT_EQ(Fake().profiles[kList], before) << "a walk that removed everything leaves the list to its caller";
    ResetFake();
}

TEST(UninstallerList, WhatCouldNotBeRemovedStaysListedForASecondRun) {
    ResetFake();
    // Names GBK spells stand in GBK, others in UTF-8 in the marked section.
    Fake().profiles[kList] = std::string(
        "[Files]\n1=Zippit.exe\n2=..\\x.dll\n3=sub\\a.txt\n4=Zippy.Pkm\n5=小猫.Pkm\n"
        "[Links]\n1=C:\\Programs\\Menu\\Play.lnk\n2=C:\\Programs\\Menu\\Help.lnk\n"
        "[Folders]\n1=C:\\Programs\\Menu\n"
        "[Parents]\n1=C:\\Apps\n") + u8"[Files.UTF-8]\n1=Ελένη.Pkm\n";
    const std::string kitten = u8"小猫.Pkm", eleni = u8"Ελένη.Pkm", folder = "C:\\Apps\\Zippit\\";
    Walk walk;
    walk.stuck = {folder + "sub\\a.txt", folder + "Zippy.Pkm", "C:\\Programs\\Menu\\Help.lnk", folder + kitten,
                  folder + eleni};
    EXPECT_EQ(Remove(&walk), 5);
    EXPECT_EQ(Section(kListFiles), (std::vector<std::string>{"sub\\a.txt", "Zippy.Pkm", "小猫.Pkm"}));
    const std::vector<std::string> left = {"sub\\a.txt", "Zippy.Pkm", kitten, eleni};
    EXPECT_EQ(ReadListSection(kList, kListFiles), left) << "in UTF-8, from both sections";
    EXPECT_EQ(Section(kListLinks), std::vector<std::string>{"C:\\Programs\\Menu\\Help.lnk"});
    EXPECT_EQ(Section(kListFolders), std::vector<std::string>{"C:\\Programs\\Menu"});
    EXPECT_EQ(Section(kListParents), std::vector<std::string>{"C:\\Apps"});

    // The second run finds only what was left.
    Walk second;
    EXPECT_EQ(Remove(&second), 0);
    EXPECT_EQ(second.removed, (std::vector<std::string>{"link C:\\Programs\\Menu\\Help.lnk", "folder C:\\Programs\\Menu",
                                                        "file C:\\Apps\\Zippit\\sub\\a.txt",
                                                        "file C:\\Apps\\Zippit\\Zippy.Pkm",
                                                        "file " + folder + kitten, "file " + folder + eleni}));
    ResetFake();
}

TEST(UninstallerList, FoldersMadeOnTheWayDeepestFirstAndOnlyThoseAbove) {
    ResetFake();
    // A second install into the same folder extended the list with a deeper parent.
    Fake().profiles["D:\\Games\\Pets\\Zippit\\UnInst.lst"] =
        "[Parents]\n1=D:\\Games\n2=C:\\Windows\n3=d:\\games\\pets\n4=D:\\Games\\Pets\\Zippit\n5=D:\\Gam\n"
        "6=D:\n7=D:\\\n";
    char parents[8][kPathSize];
    size_t count = ListCreatedParents("D:\\Games\\Pets\\Zippit", parents, 8);
    ASSERT_EQ(count, 2u);
    EXPECT_STREQ(parents[0], "d:\\games\\pets");
    EXPECT_STREQ(parents[1], "D:\\Games");
    EXPECT_EQ(ListCreatedParents("D:\\Games\\Pets\\Zippit", parents, 1), 1u);
    ResetFake();
}

}  // namespace
