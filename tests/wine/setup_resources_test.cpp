// Checks the resources built into Setup.exe: dialog template 103 control by
// control (kind, id, text, rectangle, style), the icon "ICON", the version and
// the manifest, read from the program file itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string WindowsPath(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Reads a resource-format string (or ordinal) and advances past it.
std::wstring ReadName(const WORD*& at, WORD* ordinal) {
    *ordinal = 0;
    if (*at == 0xFFFF) {
        *ordinal = at[1];
        at += 2;
        return L"";
    }
    std::wstring text;
    while (*at) text += static_cast<wchar_t>(*at++);
    at++;
    return text;
}

struct Control {
    WORD id;
    WORD kind;  // 0x80 button, 0x81 edit, 0x82 static
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;  // bits that must be set
};

class SetupResourcesTest : public ::testing::Test {
protected:
    HMODULE program = nullptr;
    void SetUp() override {
        program = LoadLibraryExA(WindowsPath(SETUP_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program, nullptr);
    }
    void TearDown() override {
        if (program) FreeLibrary(program);
    }
    const BYTE* Resource(LPCSTR name, LPCSTR type, DWORD* size) {
        HRSRC found = FindResourceA(program, name, type);
        if (!found) return nullptr;
        *size = SizeofResource(program, found);
        return static_cast<const BYTE*>(LockResource(LoadResource(program, found)));
    }
};

TEST_F(SetupResourcesTest, InstallOptionsTemplate) {
    DWORD size = 0;
    const BYTE* data = Resource(MAKEINTRESOURCEA(103), MAKEINTRESOURCEA(5), &size);  // RT_DIALOG
    ASSERT_NE(data, nullptr);
    const DLGTEMPLATE* dialog = reinterpret_cast<const DLGTEMPLATE*>(data);
    const DWORD dialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    EXPECT_EQ(dialog->style & dialogStyle, dialogStyle);
    EXPECT_EQ(dialog->cx, 278);
    EXPECT_EQ(dialog->cy, 179);
    ASSERT_EQ(dialog->cdit, 12);
    const WORD* at = reinterpret_cast<const WORD*>(dialog + 1);
    WORD ordinal;
    EXPECT_EQ(ReadName(at, &ordinal), L"") << "no menu";
    EXPECT_EQ(ReadName(at, &ordinal), L"") << "the standard dialog class";
    EXPECT_EQ(ReadName(at, &ordinal), L"") << "the caption is set at run time";
    ASSERT_TRUE(dialog->style & DS_SETFONT);
    EXPECT_EQ(*at++, 9);
    EXPECT_EQ(ReadName(at, &ordinal), L"宋体");

    const Control expected[] = {
        {IDOK, 0x80, L"确定", 112, 158, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, 0x80, L"取消", 172, 158, 50, 14, WS_TABSTOP},
        {1000, 0x82, L"", 10, 5, 253, 23, 0},
        {1001, 0x81, L"", 65, 74, 160, 12, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP},
        {0xFFFF, 0x82, L"安装路径：", 10, 75, 55, 10, 0},
        {1002, 0x80, L"浏览...", 231, 72, 40, 15, WS_TABSTOP},
        {1004, 0x82, L"", 10, 30, 252, 30, 0},
        {1005, 0x82, L"", 16, 126, 248, 25, 0},
        {0xFFFF, 0x82, L"", 7, 154, 264, 1, SS_BLACKFRAME},
        {1006, 0x80, L"创建快捷方式到桌面", 20, 90, 112, 8, BS_AUTOCHECKBOX | WS_TABSTOP},
        {1007, 0x80, L"创建快捷方式到开始菜单", 20, 100, 112, 8, BS_AUTOCHECKBOX | WS_TABSTOP},
        {1008, 0x80, L"创建快捷方式到启动组(开机时自动运行)", 20, 110, 169, 8, BS_AUTOCHECKBOX | WS_TABSTOP},
    };
    for (const Control& control : expected) {
        // Each item starts on a 4-byte boundary.
        at = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(at) + 3) & ~static_cast<UINT_PTR>(3));
        ASSERT_LT(reinterpret_cast<const BYTE*>(at), data + size);
        const DLGITEMTEMPLATE* item = reinterpret_cast<const DLGITEMTEMPLATE*>(at);
        at = reinterpret_cast<const WORD*>(item + 1);
        // The class is an atom, or its name when the script wrote it out.
        WORD kind = 0;
        std::wstring className = ReadName(at, &kind);
        if (!kind) {
            if (lstrcmpiW(className.c_str(), L"Button") == 0) kind = 0x80;
            if (lstrcmpiW(className.c_str(), L"Edit") == 0) kind = 0x81;
            if (lstrcmpiW(className.c_str(), L"Static") == 0) kind = 0x82;
        }
        std::wstring text = ReadName(at, &ordinal);
        at += 1 + *at / sizeof(WORD);  // creation data
        SCOPED_TRACE(control.id);
        EXPECT_EQ(item->id, control.id);
        EXPECT_EQ(kind, control.kind);
        EXPECT_TRUE(text == control.text);
        EXPECT_EQ(item->x, control.x);
        EXPECT_EQ(item->y, control.y);
        EXPECT_EQ(item->cx, control.cx);
        EXPECT_EQ(item->cy, control.cy);
        // The low bits give the kind of button or static; the rest are flags that must be set.
        DWORD typeMask = control.kind == 0x80 ? 0x0F : control.kind == 0x82 ? 0x1F : 0;
        EXPECT_EQ(item->style & typeMask, control.style & typeMask);
        DWORD flags = (control.style & ~typeMask) | WS_CHILD | WS_VISIBLE;
        EXPECT_EQ(item->style & flags, flags);
    }
}

TEST_F(SetupResourcesTest, IconVersionAndManifest) {
    EXPECT_NE(LoadImageA(program, "ICON", IMAGE_ICON, 32, 32, 0), nullptr);
    DWORD size = 0;
    EXPECT_NE(Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16), &size), nullptr) << "version";   // RT_VERSION
    const BYTE* manifest = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24), &size);              // RT_MANIFEST
    ASSERT_NE(manifest, nullptr);
    EXPECT_NE(std::string(reinterpret_cast<const char*>(manifest), size).find("requireAdministrator"),
              std::string::npos);
    // The dialog is in Chinese (Simplified).
    EXPECT_NE(FindResourceExA(program, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(103),
                              MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
              nullptr);
}

}  // namespace
