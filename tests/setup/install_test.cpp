// Tests of the installation over the in-memory machine: folders, the newer-
// only copy, the uninstaller, the stop index, the shortcut lists, the registry
// entries and the list kept for the uninstaller.
#include "setup/install.h"
#include "setup/profile.h"
#include "setup/portable/fake_system.h"
#include "setup/setup_system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(SetupFolders, ParentsThenTheFolderItself) {
    struct Case {
        const char* folder;
        std::vector<std::string> created;
    } cases[] = {
        {"D:\\Apps\\Pets\\Game", {"D:\\Apps", "D:\\Apps\\Pets", "D:\\Apps\\Pets\\Game"}},
        {"D:\\Apps", {"D:\\Apps"}},
        {"D:\\Apps\\", {"D:\\Apps", "D:\\Apps\\"}},
        {"Apps", {"Apps"}},
        {"", {""}},
        {"\\\\server\\share\\x", {"\\", "\\\\server", "\\\\server\\share", "\\\\server\\share\\x"}},
    };
    for (const Case& c : cases) {
        size_t lengths[16];
        size_t count = ListFoldersToCreate(c.folder, lengths, 16);
        std::vector<std::string> created;
        for (size_t i = 0; i < count; i++) created.push_back(std::string(c.folder, lengths[i]));
        EXPECT_EQ(created, c.created) << c.folder;
    }
}

TEST(SetupShortcutList, PairsOfNameAndArguments) {
    struct Case {
        const char* list;
        std::vector<std::string> pairs;  // "name|arguments"
    } cases[] = {
        {"Play,", {"Play|"}},
        {"Play", {}},
        {"Play,/a,Read me,/h", {"Play|/a", "Read me|/h"}},
        {"Play,/a,Help", {"Play|/a"}},
        {"Play,/a,", {"Play|/a"}},
        {",", {"|"}},
        {" A , b ", {" A | b "}},
        {"", {}},
        {"A,,B,", {"A|", "B|"}},
    };
    for (const Case& c : cases) {
        ShortcutCursor cursor = StartShortcutList(c.list);
        ShortcutEntry entry;
        std::vector<std::string> pairs;
        while (NextShortcutEntry(&cursor, &entry))
            pairs.push_back(std::string(entry.name, entry.nameLength) + "|" +
                            std::string(entry.arguments, entry.argumentsLength));
        EXPECT_EQ(pairs, c.pairs) << c.list;
        EXPECT_EQ(NextShortcutEntry(&cursor, &entry), 0) << "a finished list stays finished";
    }
}

TEST(SetupPaths, SourceTargetAndFolder) {
    SetupDescription setup{};
    std::strcpy(setup.setupFolder, "E:");
    std::strcpy(setup.installFolder, "D:\\Apps\\X");
    char path[kPathSize];
    ASSERT_EQ(MakeSourcePath(&setup, "a.exe", path, sizeof path), 1);
    EXPECT_STREQ(path, "E:\\a.exe");
    std::strcpy(setup.sourceFolder, "DISK1");
    ASSERT_EQ(MakeSourcePath(&setup, "a.exe", path, sizeof path), 1);
    EXPECT_STREQ(path, "E:\\DISK1\\a.exe");
    ASSERT_EQ(MakeTargetPath(&setup, "a.exe", path, sizeof path), 1);
    EXPECT_STREQ(path, "D:\\Apps\\X\\a.exe");
    char folder[kPathSize];
    ASSERT_EQ(FolderOfPath(path, folder, sizeof folder), 1);
    EXPECT_STREQ(folder, "D:\\Apps\\X");
    EXPECT_EQ(FolderOfPath("a.exe", folder, sizeof folder), 0);
    std::string longName(kPathSize, 'n');
    EXPECT_EQ(MakeTargetPath(&setup, longName.c_str(), path, sizeof path), 0);
}

class InstallTest : public ::testing::Test {
protected:
    SetupDescription setup{};
    std::vector<std::string> progress;

    void SetUp() override {
        ResetFake();
        std::strcpy(setup.setupFolder, "E:");
        std::strcpy(setup.descriptionPath, "E:\\Setup.ini");
        std::strcpy(setup.productName, "P");
        std::strcpy(setup.installFolder, "D:\\Apps\\X");
        std::strcpy(setup.moduleName, "Zippy.Pkm");
        Put("E:\\UnInst.dat", 5);
    }
    void TearDown() override { ResetFake(); }

    static void Put(const std::string& path, uint64_t time) { Fake().files[path] = FakeFile{path, time, 0, 0}; }
    static void Ini(const std::string& text) { Fake().profiles["E:\\Setup.ini"] = text; }
    static std::string List() { return Fake().profiles["D:\\Apps\\X\\UnInst.lst"]; }

    int Install() {
        return InstallFiles(&setup, [](void* context, const char* name) {
            static_cast<std::vector<std::string>*>(context)->push_back(name ? name : "<start>");
        }, &progress);
    }
};

TEST_F(InstallTest, GapEndsTheListAndGivesTheStopIndex) {
    Ini("[SetupFiles]\n1=a.exe\n2=b.dat\n4=d.dat\n");
    Put("E:\\a.exe", 10);
    Put("E:\\b.dat", 10);
    Put("E:\\d.dat", 10);
    EXPECT_EQ(Install(), 3);
    EXPECT_TRUE(Fake().files.count("D:\\Apps\\X\\a.exe"));
    EXPECT_TRUE(Fake().files.count("D:\\Apps\\X\\b.dat"));
    EXPECT_FALSE(Fake().files.count("D:\\Apps\\X\\d.dat"));
    EXPECT_TRUE(Fake().files["D:\\Apps\\X\\a.exe"].archiveOnly);
    EXPECT_TRUE(Fake().files["D:\\Apps\\X\\UnInst.exe"].archiveOnly);
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\UnInst.exe"].content, "E:\\UnInst.dat");
    EXPECT_EQ(Fake().createdFolders, (std::vector<std::string>{"D:\\Apps", "D:\\Apps\\X"}));
    EXPECT_EQ(List(), "[Parents]\r\n1=D:\\Apps\r\n[Files]\r\n1=a.exe\r\n2=b.dat\r\n")
        << "the parent made on the way is listed";
    EXPECT_EQ(progress, (std::vector<std::string>{"<start>", "a.exe", "b.dat"}));
}

TEST_F(InstallTest, EmptyListInstallsOnlyTheUninstaller) {
    EXPECT_EQ(Install(), 1);
    EXPECT_TRUE(Fake().files.count("D:\\Apps\\X\\UnInst.exe"));
    EXPECT_EQ(Fake().files.size(), 2u);
}

TEST_F(InstallTest, OnlyAnOlderTargetIsReplaced) {
    Ini("[SetupFiles]\n1=same.dat\n2=older.dat\n3=newer.dat\n4=locked.dat\n5=missing.dat\n");
    Fake().folders = {"D:\\Apps", "D:\\Apps\\X"};
    for (const char* name : {"same.dat", "older.dat", "newer.dat", "locked.dat"}) Put(std::string("E:\\") + name, 100);
    Put("D:\\Apps\\X\\same.dat", 100);
    Put("D:\\Apps\\X\\older.dat", 99);
    Put("D:\\Apps\\X\\newer.dat", 101);
    Put("D:\\Apps\\X\\locked.dat", 1);
    Fake().files["D:\\Apps\\X\\locked.dat"].locked = 1;
    Put("D:\\Apps\\X\\UnInst.exe", 1000);  // the uninstaller is replaced whatever its time
    EXPECT_EQ(Install(), 6);
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\same.dat"].content, "D:\\Apps\\X\\same.dat");
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\older.dat"].content, "E:\\older.dat");
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\older.dat"].writeTime, 100u);
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\newer.dat"].content, "D:\\Apps\\X\\newer.dat");
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\locked.dat"].content, "D:\\Apps\\X\\locked.dat") << "kept when its time cannot be read";
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\UnInst.exe"].content, "E:\\UnInst.dat");
    // Kept files are the product's too; a file that never arrived is not.
    std::string list = List();
    EXPECT_NE(list.find("=newer.dat"), std::string::npos);
    EXPECT_EQ(list.find("missing.dat"), std::string::npos);
    EXPECT_EQ(list.find("[Parents]"), std::string::npos) << "folders that were there are not Setup's";
}

TEST_F(InstallTest, SetupFolderAsInstallFolderListsNothing) {
    Ini("[SetupFiles]\n1=a.exe\n");
    Put("E:\\a.exe", 10);
    std::strcpy(setup.installFolder, "E:");
    Install();
    EXPECT_EQ(Fake().files["E:\\a.exe"].archiveOnly, 0) << "not copied onto itself";
    EXPECT_EQ(Fake().profiles["E:\\UnInst.lst"].find("a.exe"), std::string::npos) << "nor listed for removal";
}

TEST_F(InstallTest, CopyThatFailsKeepsTheOldFile) {
    Ini("[SetupFiles]\n1=older.dat\n2=new.dat\n");
    Fake().folders = {"D:\\Apps", "D:\\Apps\\X"};
    Put("E:\\older.dat", 100);
    Put("E:\\new.dat", 100);
    Put("D:\\Apps\\X\\older.dat", 99);
    Put("D:\\Apps\\X\\UnInst.exe", 1);
    Fake().failingCopies = {"D:\\Apps\\X\\older.dat.~new", "D:\\Apps\\X\\new.dat.~new",
                            "D:\\Apps\\X\\UnInst.exe.~new"};
    Install();
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\older.dat"].content, "D:\\Apps\\X\\older.dat");
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\UnInst.exe"].content, "D:\\Apps\\X\\UnInst.exe");
    EXPECT_FALSE(Fake().files.count("D:\\Apps\\X\\new.dat")) << "no half file in the target's place";
    for (const auto& file : Fake().files) EXPECT_EQ(file.first.find(".~new"), std::string::npos) << file.first;
    EXPECT_NE(List().find("=older.dat"), std::string::npos) << "the old file is still the product's";
    EXPECT_EQ(List().find("new.dat"), std::string::npos);
}

TEST_F(InstallTest, NamesThatWouldLeaveTheFolderInstallNothing) {
    Ini("[SetupFiles]\n1=..\\x.dll\n2=a.exe\n3=sub\\..\\..\\..\\Windows\\y.dll\n4=.. \\z.dll\n"
        "[Startup]\n1=Outside,\n2=Inside,,..\\Up,\n3=Outside too,\n5=Folder,\n");
    for (const char* name : {"..\\x.dll", "a.exe", "sub\\..\\..\\..\\Windows\\y.dll", ".. \\z.dll"})
        Put(std::string("E:\\") + name, 1);
    Fake().folders = {"C:\\Startup", "D:\\Apps", "D:\\Apps\\X", "D:\\Apps\\X\\sub", "D:\\Windows"};
    EXPECT_EQ(Install(), 5) << "a name passed over does not end the list";
    MakeShortcuts(&setup, "Startup", "C:\\Startup", 5);
    std::vector<std::string> installed;
    for (const auto& file : Fake().files)
        if (file.first.rfind("E:\\", 0) != 0) installed.push_back(file.first);
    EXPECT_EQ(installed, (std::vector<std::string>{"D:\\Apps\\X\\UnInst.exe", "D:\\Apps\\X\\a.exe"}));
    ASSERT_EQ(Fake().links.size(), 2u);
    EXPECT_EQ(Fake().links[0].link, "C:\\Startup\\Inside.lnk");
    EXPECT_EQ(Fake().links[1].target, "D:\\Apps\\X\\") << "the stop index still links the folder itself";
}

TEST(SetupInstallFolder, SettledAsTheSystemResolvesIt) {
    struct Case {
        const char* typed;
        const char* settled;
    } cases[] = {
        {"D:\\Apps\\X", "D:\\Apps\\X"},
        {"D:\\Apps\\X\\", "D:\\Apps\\X"},
        {"D:/Apps//X/", "D:\\Apps\\X"},
        {"D:\\", "D:\\"},
        {"D:\\Apps\\..\\..\\X", "D:\\X"},
        // An existing folder typed by its short name takes its long form.
        {"c:\\progra~1\\Zippit", "C:\\Program Files\\Zippit"},
        {"D:\\Apps\\X. .", "D:\\Apps\\X"},
        {"\\\\server\\share\\X\\", "\\\\server\\share\\X"},
        // Names GBK cannot spell, in UTF-8: no byte of them is a backslash.
        {u8"D:\\Ελένη\\", u8"D:\\Ελένη"},
        {u8"D:\\あ\\..\\X", "D:\\X"},
    };
    // Not rooted: it would land in the current folder, which is the setup folder.
    const char* refused[] = {".", "Apps\\X", "\\Apps", "C:Apps", "D:", ""};
    for (const Case& c : cases) {
        ResetFake();
        Fake().currentFolder = "C:\\Work";
        Fake().longNames["C:\\PROGRA~1"] = "C:\\Program Files";
        SetupDescription setup{};
        std::strcpy(setup.installFolder, c.typed);
        EXPECT_EQ(SettleInstallFolder(&setup), 1) << c.typed;
        EXPECT_STREQ(setup.installFolder, c.settled) << c.typed;
    }
    for (const char* typed : refused) {
        SetupDescription setup{};
        std::strcpy(setup.installFolder, typed);
        EXPECT_EQ(SettleInstallFolder(&setup), 0) << typed;
        EXPECT_STREQ(setup.installFolder, typed);
    }
    ResetFake();
}

TEST_F(InstallTest, SourceSubfolderButUninstallerFromTheSetupFolder) {
    std::strcpy(setup.sourceFolder, "DISK1");
    Ini("[SetupFiles]\n1=a.exe\n");
    Put("E:\\DISK1\\a.exe", 1);
    Put("E:\\a.exe", 2);
    Install();
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\a.exe"].content, "E:\\DISK1\\a.exe");
    EXPECT_EQ(Fake().files["D:\\Apps\\X\\UnInst.exe"].content, "E:\\UnInst.dat");
}

TEST_F(InstallTest, FileWhosePathWouldNotFitIsSkipped) {
    std::string longName(kPathSize - 8, 'n');
    Ini("[SetupFiles]\n1=" + longName + "\n2=a.exe\n");
    Put("E:\\" + longName, 1);
    Put("E:\\a.exe", 1);
    EXPECT_EQ(Install(), 3);
    EXPECT_TRUE(Fake().files.count("D:\\Apps\\X\\a.exe"));
    for (const auto& file : Fake().files) EXPECT_LT(file.first.size(), kPathSize);
}

TEST_F(InstallTest, ShortcutsToTheFileOfTheSameIndex) {
    Ini("[SetupFiles]\n1=a.exe\n2=b.txt\n"
        "[StartMenu]\nStartMenu=Pets\n1=Play,/a,Read me,/h\n3=Folder,\n4=Never,\n"
        "[Startup]\n2=Help,\n");
    Fake().folders = {"C:\\Programs", "C:\\Startup"};
    MakeStartMenuShortcuts(&setup, "C:\\Programs", 3);
    MakeShortcuts(&setup, "Startup", "C:\\Startup", 3);
    ASSERT_EQ(Fake().links.size(), 4u);
    const FakeLink& play = Fake().links[0];
    EXPECT_EQ(play.link, "C:\\Programs\\Pets\\Play.lnk");
    EXPECT_EQ(play.target, "D:\\Apps\\X\\a.exe");
    EXPECT_EQ(play.arguments, "/a");
    EXPECT_EQ(play.folder, "D:\\Apps\\X");
    EXPECT_EQ(Fake().links[1].link, "C:\\Programs\\Pets\\Read me.lnk");
    EXPECT_EQ(Fake().links[1].arguments, "/h");
    // Index 3 is the stop index: its file name is empty, so the target is the install folder itself.
    EXPECT_EQ(Fake().links[2].target, "D:\\Apps\\X\\");
    EXPECT_EQ(Fake().links[2].folder, "D:\\Apps\\X");
    EXPECT_EQ(Fake().links[3].link, "C:\\Startup\\Help.lnk");
    EXPECT_EQ(Fake().links[3].target, "D:\\Apps\\X\\b.txt");
    std::string list = List();
    EXPECT_NE(list.find("C:\\Programs\\Pets\\Read me.lnk"), std::string::npos);
    EXPECT_NE(list.find("[Folders]\r\n1=C:\\Programs\\Pets"), std::string::npos);
}

TEST_F(InstallTest, GroupFolderIsMadeEvenWithoutShortcuts) {
    Ini("[StartMenu]\nStartMenu=Pets\n");
    Fake().folders = {"C:\\Programs"};
    MakeStartMenuShortcuts(&setup, "C:\\Programs", 1);
    EXPECT_EQ(Fake().createdFolders, std::vector<std::string>{"C:\\Programs\\Pets"});
    EXPECT_TRUE(Fake().links.empty());
}

TEST_F(InstallTest, WithoutGroupNameLinksGoStraightIntoPrograms) {
    Ini("[SetupFiles]\n1=a.exe\n[StartMenu]\n1=Play,\n");
    Fake().folders = {"C:\\Programs"};
    MakeStartMenuShortcuts(&setup, "C:\\Programs", 2);
    ASSERT_EQ(Fake().links.size(), 1u);
    EXPECT_EQ(Fake().links[0].link, "C:\\Programs\\Play.lnk");
    EXPECT_TRUE(Fake().createdFolders.empty());
}

TEST_F(InstallTest, LinkWhosePathWouldNotFitIsSkipped) {
    std::string longName(450, 'n'), folder = "C:\\" + std::string(kPathSize - 450, 'f');
    Ini("[SetupFiles]\n1=a.exe\n[Startup]\n1=" + longName + ",,Short,\n");
    Fake().folders = {folder};
    MakeShortcuts(&setup, "Startup", folder.c_str(), 2);
    ASSERT_EQ(Fake().links.size(), 1u);
    EXPECT_EQ(Fake().links[0].link, folder + "\\Short.lnk");
}

TEST_F(InstallTest, RegistryEntries) {
    WriteRegistryEntries(&setup);
    EXPECT_EQ(Fake().registry[std::string(kUninstallKey) + "|DisplayName"], u8"Zippit(演示版)");
    EXPECT_EQ(Fake().registry[std::string(kUninstallKey) + "|UninstallString"], "D:\\Apps\\X\\UnInst.exe");
    EXPECT_EQ(Fake().registry[std::string(kSetupProductKey) + "|Module"], "Zippy.Pkm");
    setup.moduleName[0] = 0;
    WriteRegistryEntries(&setup);
    EXPECT_EQ(Fake().registry[std::string(kSetupProductKey) + "|Module"], "");
}

TEST_F(InstallTest, ListedItemsAreRecordedOnce) {
    RecordInstalled(&setup, "Files", "a.exe");
    RecordInstalled(&setup, "Files", "b.exe");
    RecordInstalled(&setup, "Links", "C:\\Menu\\Play.lnk");
    RecordInstalled(&setup, "Files", "A.EXE");
    RecordInstalled(&setup, "Files", "c.exe");
    // A name GBK spells is listed in GBK, as earlier lists are; another in UTF-8, in a section of its own.
    RecordInstalled(&setup, "Files", u8"Ελένη.exe");
    RecordInstalled(&setup, "Files", u8"宠物.exe");
    RecordInstalled(&setup, "Files", u8"Ελένη.EXE");
    // One block per section, as the system writes a profile.
    const std::string links = "[Links]\r\n1=C:\\Menu\\Play.lnk\r\n", utf8 = u8"[Files.UTF-8]\r\n1=Ελένη.exe\r\n";
    EXPECT_EQ(List(), "[Files]\r\n1=a.exe\r\n2=b.exe\r\n3=c.exe\r\n4=宠物.exe\r\n" + links + utf8);
    WriteProfile("D:\\Apps\\X\\UnInst.lst", "files", "2", "B.exe");
    EXPECT_EQ(List(), "[Files]\r\n1=a.exe\r\n2=B.exe\r\n3=c.exe\r\n4=宠物.exe\r\n" + links + utf8)
        << "a key is replaced in place";
}

}  // namespace
