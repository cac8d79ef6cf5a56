// Tests of the uninstaller's walk of a tampered installed list, over Setup's
// in-memory machine.
#include "setup/uninst/owned.h"

#include "setup/portable/fake_system.h"
#include "setup/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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
