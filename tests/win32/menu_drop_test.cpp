// Tests of the mascot window's pieces under Wine, in the process itself:
// the popup menu's entries, ids and states, the tray icon's tip, and the
// dropped files it opens. Texts are read back as UTF-16: they must read the
// same whatever the system's code page (the tests run under 936 and 1252).
#include "mascot/product.h"
#include "mascot/win32/main_window.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>  // DROPFILES

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

// A GBK text as the user should read it.
std::wstring FromGbk(const char* text) {
    wchar_t wide[256] = L"";
    MultiByteToWideChar(936, 0, text, -1, wide, 256);
    return wide;
}

TEST(PopupMenu, HasTheTenEntriesWithTheirIdsAndStates) {
    struct Expected {
        const char* text;  // nullptr: a separator
        int id;            // -1: no command (separator or submenu entry)
        bool grayed;
        bool submenu;
    };
    const Expected expected[] = {
        {"帮助(&H)...", 40101, false, false},  {"关于(&A)...", 40003, false, false},
        {nullptr, -1, false, false},           {"邮件设置(&M)...", 40005, true, false},
        {"性格设置(&S)...", 40102, false, false}, {"组件设置(&M)...", 40010, false, false},
        {nullptr, -1, false, false},           {"运行文件", -1, true, true},
        {nullptr, -1, false, false},           {"退出(&C)", 40002, false, false},
    };
    HMENU menu = BuildPopupMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 10);
    for (int i = 0; i < 10; i++) {
        SCOPED_TRACE(i);
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        if (!expected[i].text) {
            EXPECT_TRUE(state & MF_SEPARATOR);
            continue;
        }
        wchar_t text[64] = L"";
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        EXPECT_EQ(text, FromGbk(expected[i].text));
        EXPECT_EQ(static_cast<int>(GetMenuItemID(menu, i)), expected[i].id);
        EXPECT_EQ((state & MF_GRAYED) != 0, expected[i].grayed);
        HMENU sub = GetSubMenu(menu, i);
        EXPECT_EQ(sub != nullptr, expected[i].submenu);
        if (sub) {
            EXPECT_EQ(GetMenuItemCount(sub), 0) << "the greyed entry opens nothing";
        }
    }
    EXPECT_TRUE(DestroyMenu(menu));
}

TEST(TrayIcon, TipNamesTheProduct) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TrayTipTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"TrayTipTest", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(std::wstring(TrayIcon.szTip), FromGbk(kProductCaption));
    DestroyWindow(window);
    MSG quit;  // the window posts the quit message when it goes
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// A drop handle as the shell makes one: DROPFILES, then the paths, each
// ended by a zero, and one more zero.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* out = reinterpret_cast<char*>(header + 1);
    for (const std::string& path : paths) {
        std::memcpy(out, path.c_str(), path.size() + 1);
        out += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// A batch file that leaves a file named `word`.opened in `dir` and ends.
// (One file each: the scripts run side by side.)
void WriteScript(const std::string& path, const std::string& dir, const std::string& word) {
    std::ofstream out(path);
    out << "@echo " << word << ">\"" << dir << "\\" << word << ".opened\"\r\n";
}

// The words of the scripts that ran.
std::set<std::string> Opened(const std::string& dir) {
    std::set<std::string> words;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*.opened").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return words;
    do {
        std::string name = found.cFileName;
        words.insert(name.substr(0, name.size() - 7));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return words;
}

TEST(DroppedFiles, EachIsOpenedAndACutPathIsSkipped) {
    ScopedTempDir dir;
    std::vector<std::string> dropped;
    for (const char* word : {"one", "two", "three"}) {
        dropped.push_back(dir.File(std::string(word) + ".cmd"));
        WriteScript(dropped.back(), dir.path(), word);
    }
    // A path of 300 bytes whose first 255 name another script: opening the
    // cut path would run that one.
    std::string cut = dir.path() + "\\";
    cut += std::string(255 - cut.size() - 4, 'c') + ".cmd";
    ASSERT_EQ(cut.size(), 255u);
    WriteScript(cut, dir.path(), "wrong");
    dropped.push_back(cut + std::string(45, 'x'));

    OpenDroppedFiles(MakeDrop(dropped));

    std::set<std::string> expected = {"one", "two", "three"};
    DWORD start = GetTickCount();
    while (Opened(dir.path()).size() < 3 && GetTickCount() - start < 20000) Sleep(100);
    Sleep(1000);  // time for a wrongly started script to show up too
    EXPECT_EQ(Opened(dir.path()), expected);
}

TEST(DroppedFiles, ANameOutsideTheCodePageOpens) {
    ScopedTempDir dir;
    std::wstring path(dir.path().begin(), dir.path().end());  // an ASCII folder
    path += L"\\\u5c0f\u732b\u00f1.cmd";                     // 小猫ñ: outside 1252 and GBK alike
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string script = "@echo kitten>\"" + dir.path() + "\\kitten.opened\"\r\n";
    DWORD written = 0;
    WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    CloseHandle(file);

    // The shell's wide drop: DROPFILES, the UTF-16 path and two zeros.
    size_t size = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, size);
    DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    OpenDroppedFiles(static_cast<HDROP>(memory));

    DWORD start = GetTickCount();
    while (Opened(dir.path()).empty() && GetTickCount() - start < 20000) Sleep(100);
    EXPECT_EQ(Opened(dir.path()), std::set<std::string>{"kitten"});
}

}  // namespace
