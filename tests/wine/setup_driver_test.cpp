// Drives the real Setup.exe and UnInst.exe under Wine: a setup folder is made
// for each test, Setup runs in its own process, and the test reads and clicks
// its windows through messages, then checks the files, the shell links (read
// back through IShellLinkA), the registry and the background's pixels. Texts
// are read back as UTF-16 and compared with the test's GBK texts through code
// page 936, whatever the run's code page; one test runs a second copy of this
// program under another code page. Every test removes the folders, links and
// keys it made.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kRoot[] = "C:\\zippit-setup-test";
const char kMedia[] = "C:\\zippit-setup-test\\media";
const char kInstall[] = "C:\\zippit-setup-test\\Apps\\Pet";
// Where the system's list of programs once could not remove the product from.
const char kAppsPet[] = "C:\\Apps\\Pet";
const char kGroup[] = "ZippitSetupTestGroup";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PocopalDemo";
const char kProductKey[] = "Software\\Tallowmere\\PocopalDemo";
const char kMakerKey[] = "Software\\Tallowmere";

// A Linux path from the build becomes a path on Wine's drive Z:.
std::string WindowsPath(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string SpecialFolder(int folder) {
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, folder, FALSE);
    return path;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteFile(const std::string& path, const std::string& content) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}

std::string ReadFile(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "<missing>";
    std::string content;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
    std::fclose(file);
    return content;
}

// Sets a file's last-write time to now plus `days` (negative: in the past).
void SetWriteTime(const std::string& path, int days) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    ticks.QuadPart += static_cast<LONGLONG>(days) * 864000000000LL;
    FILETIME time = {ticks.LowPart, ticks.HighPart};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

// Polls until `found` gives a value or `seconds` pass.
template <typename T>
T WaitFor(const std::function<T()>& found, int seconds = 20) {
    for (int i = 0; i < seconds * 20; i++) {
        T value = found();
        if (value) return value;
        Sleep(50);
    }
    return T();
}

// A GBK text of this test as UTF-16.
std::wstring Wide(const std::string& gbk) {
    WCHAR wide[4096] = L"";
    MultiByteToWideChar(936, 0, gbk.c_str(), -1, wide, 4096);
    return wide;
}

// UTF-16 as GBK; a character GBK lacks becomes a question mark.
std::string Gbk(const std::wstring& wide) {
    char text[8192] = "";
    WideCharToMultiByte(936, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::wstring WindowTextW(HWND window) {
    WCHAR text[2048] = L"";
    GetWindowTextW(window, text, 2048);
    return text;
}

std::string WindowText(HWND window) { return Gbk(WindowTextW(window)); }

std::wstring ItemTextW(HWND dialog, int id) {
    WCHAR text[2048] = L"";
    GetDlgItemTextW(dialog, id, text, 2048);
    return text;
}

std::string ItemText(HWND dialog, int id) { return Gbk(ItemTextW(dialog, id)); }

// What FindTopWindow looks for, and what it found.
struct WindowSearch {
    const std::string* caption;
    DWORD process;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM data) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (IsWindowVisible(window) && WindowText(window) == *search->caption &&
        (!search->process || owner == search->process)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window with caption `caption`, of process `process` when not 0.
HWND FindTopWindow(const std::string& caption, DWORD process = 0) {
    WindowSearch search = {&caption, process, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitWindow(const std::string& caption, DWORD process = 0) {
    return WaitFor<HWND>([&] { return FindTopWindow(caption, process); });
}

BOOL CALLBACK TakeStaticText(HWND child, LPARAM data) {
    char name[32] = "";
    GetClassNameA(child, name, sizeof name);
    std::string* out = reinterpret_cast<std::string*>(data);
    if (lstrcmpiA(name, "Static") == 0 && out->empty()) *out = WindowText(child);
    return TRUE;
}

// The text of a message box: its first static control with text.
std::string MessageBoxText(HWND box) {
    std::string text;
    EnumChildWindows(box, TakeStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

void Press(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// A program of the system folder.
std::string SystemProgram(const char* name) {
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

// Runs `commandLine` (its program as the system finds it) and returns what
// it wrote to its standard output.
std::string RunForOutput(const std::string& commandLine) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherited, 0)) return "";
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write);
    std::string output;
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
        WaitForSingleObject(process.hProcess, 20000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(read);
    return output;
}

struct Registry {
    bool present;
    std::string data;
    DWORD size;
};

Registry ReadValue(const char* keyPath, const char* name) {
    Registry value = {false, "", 0};
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    char data[1024] = "";
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
        value.present = true;
        value.size = size;
        value.data.assign(data, strnlen(data, size));
    }
    RegCloseKey(key);
    return value;
}

bool KeyExists(const char* keyPath) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct Link {
    bool read;
    std::string target, arguments, folder;
};

Link ReadLink(const std::string& path) {
    Link link = {false, "", "", ""};
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return link;
    IPersistFile* file = nullptr;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = "";
            link.read = true;
            shellLink->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            link.target = text;
            text[0] = 0;
            shellLink->GetArguments(text, MAX_PATH);
            link.arguments = text;
            text[0] = 0;
            shellLink->GetWorkingDirectory(text, MAX_PATH);
            link.folder = text;
        }
        file->Release();
    }
    shellLink->Release();
    return link;
}

class SetupDriverTest : public ::testing::Test {
protected:
    std::vector<PROCESS_INFORMATION> started;

    void SetUp() override {
        CoInitialize(nullptr);
        CleanUp();
        ASSERT_TRUE(CreateDirectoryA(kRoot, nullptr));
        ASSERT_TRUE(CreateDirectoryA(kMedia, nullptr));
    }
    void TearDown() override {
        for (PROCESS_INFORMATION& process : started) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 1);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        CleanUp();
    }
    static void CleanUp() {
        RemoveTree(kRoot);
        RemoveTree(kAppsPet);
        RemoveDirectoryA("C:\\Apps");
        RemoveTree(SpecialFolder(CSIDL_PROGRAMS) + "\\" + kGroup);
        DeleteFileA((SpecialFolder(CSIDL_STARTUP) + "\\ZippitSetupTestAuto.lnk").c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kMakerKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, kProductKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, kMakerKey);
    }

    // Puts Setup.exe and UnInst.dat into the setup folder.
    static void CopyPrograms() {
        ASSERT_TRUE(CopyFileA(WindowsPath(SETUP_EXE).c_str(), (std::string(kMedia) + "\\Setup.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(WindowsPath(UNINST_EXE).c_str(), (std::string(kMedia) + "\\UnInst.dat").c_str(), FALSE));
    }
    static void WriteIni(const std::string& text) { WriteFile(std::string(kMedia) + "\\Setup.ini", text); }

    // Starts a program; returns its process id.
    DWORD Start(const std::wstring& program, const std::wstring& folder, const std::wstring& arguments = L"") {
        std::wstring commandLine = L"\"" + program + L"\"" + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                            &startup, &process)) {
            ADD_FAILURE() << "cannot start " << Gbk(program);
            return 0;
        }
        started.push_back(process);
        return process.dwProcessId;
    }
    DWORD Start(const std::string& program, const char* folder, const std::string& arguments = "") {
        return Start(Wide(program), Wide(folder), Wide(arguments));
    }
    DWORD StartSetup() { return Start(std::string(kMedia) + "\\Setup.exe", kRoot); }

    // Waits for the process to end; returns its exit code, or -1 after the timeout.
    long WaitExit(DWORD id) {
        for (PROCESS_INFORMATION& process : started) {
            if (process.dwProcessId != id) continue;
            if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) return -1;
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            return static_cast<long>(code);
        }
        return -1;
    }

    // Starts Setup, takes the dialog `caption` as it comes, confirms the end
    // and waits for Setup to end.
    void InstallWithDefaults(const std::string& caption) {
        DWORD setup = StartSetup();
        HWND dialog = WaitWindow(caption, setup);
        ASSERT_NE(dialog, nullptr);
        Press(dialog, IDOK);
        HWND done = WaitWindow("退出", setup);
        ASSERT_NE(done, nullptr);
        Press(done, IDOK);
        ASSERT_EQ(WaitExit(setup), 0);
    }

    // Answers the cancel confirmation of the dialog with Yes and waits for Setup to end.
    void CancelSetup(HWND dialog, DWORD setup) {
        Press(dialog, IDCANCEL);
        HWND confirm = WaitWindow("确认退出", setup);
        ASSERT_NE(confirm, nullptr);
        EXPECT_EQ(MessageBoxText(confirm), "中止安装。您确定吗？");
        LONG_PTR style = GetWindowLongPtrA(GetDlgItem(confirm, IDNO), GWL_STYLE);
        EXPECT_EQ(style & 0x0F, BS_DEFPUSHBUTTON) << "No is the default answer";
        Press(confirm, IDYES);
        EXPECT_EQ(WaitExit(setup), 0);
    }
};

const char kProduct[] = "Zippit测试 100%";

TEST_F(SetupDriverTest, DialogTextsFlagsBackgroundAndASecondSetup) {
    CopyPrograms();
    WriteIni(std::string("[Setup]\r\nProductName=") + kProduct +
             "\r\nProductVersion=2.5\r\nDefaultPath=?:\\zippit-setup-test\\Apps\\Pet\r\nDiskSpase=2500000\r\n"
             "[StartMenu]\r\nQuestion=CG\r\n");
    DWORD setup = StartSetup();
    HWND dialog = WaitWindow(std::string(kProduct) + " 的安装", setup);
    ASSERT_NE(dialog, nullptr) << "the install-options dialog appears";

    EXPECT_EQ(ItemText(dialog, 1000), std::string(kProduct) + " Version 2.5 安装。\n安装需要约 2 MB的磁盘空间容量。");
    EXPECT_EQ(ItemText(dialog, 1004),
              std::string(kProduct) + " 选择一个文件夹来安装，              \n请按确定按钮。            \n开始安装。");
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(ItemText(dialog, 1001), std::string(1, windows[0]) + ":\\zippit-setup-test\\Apps\\Pet");
    // Start menu "CG": checked and gray; desktop without flags: "G"; Startup: free.
    EXPECT_EQ(SendDlgItemMessageA(dialog, 1007, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1007)));
    EXPECT_EQ(SendDlgItemMessageA(dialog, 1006, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1006)));
    EXPECT_EQ(SendDlgItemMessageA(dialog, 1008, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1008)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));

    // The background: class and caption are the title; blue bands down the screen.
    std::string title = std::string(kProduct) + " 安装";
    HWND background = FindWindowA(title.c_str(), nullptr);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(WindowText(background), title);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), background);
    if (GetSystemMetrics(SM_CYSCREEN) == 768 && GetSystemMetrics(SM_CXSCREEN) == 1024) {
        // Rows of a 768-pixel screen: band 0 (0..12), 10 (120..133), 40 (483..495), 62 (749..761).
        struct Sample {
            int y, blue;
        } samples[] = {{6, 4}, {126, 24}, {489, 84}, {755, 128}};
        HDC screen = GetDC(nullptr);
        for (const Sample& sample : samples) {
            POINT point = {1000, sample.y};
            ClientToScreen(background, &point);
            if (point.y >= 768) continue;  // below the screen: the caption pushed it off
            COLORREF colour = GetPixel(screen, point.x, point.y);
            EXPECT_EQ(colour, RGB(0, 0, sample.blue)) << "row " << sample.y;
        }
        ReleaseDC(nullptr, screen);
    }

    // A second Setup of the same product is refused.
    DWORD second = StartSetup();
    HWND error = WaitWindow("Error", second);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(MessageBoxText(error), "启动安装程序错误。");
    Press(error, IDOK);
    EXPECT_EQ(WaitExit(second), 0);

    CancelSetup(dialog, setup);
    // A Setup started at the same moment as another, before the other's
    // background exists, finds the other's mutex.
    HANDLE other = CreateMutexA(nullptr, FALSE, ("ZippitSetup " + title).c_str());
    DWORD third = StartSetup();
    error = WaitWindow("Error", third);
    CloseHandle(other);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(MessageBoxText(error), "启动安装程序错误。");
    Press(error, IDOK);
    EXPECT_EQ(WaitExit(third), 0);
    EXPECT_FALSE(Exists(kInstall)) << "Cancel installs nothing";
    EXPECT_FALSE(Exists(std::string(kRoot) + "\\Apps"));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(KeyExists(kProductKey));
}

TEST_F(SetupDriverTest, FolderWithoutSetupIniGivesTheStartUpError) {
    CopyPrograms();
    DWORD setup = StartSetup();
    HWND error = WaitWindow("Error", setup);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(MessageBoxText(error), "启动安装程序错误。");
    Press(error, IDOK);
    EXPECT_EQ(WaitExit(setup), 0);
}

TEST_F(SetupDriverTest, SetupFolderTooLongGivesTheStartUpError) {
    // The setup folder is everything before the last backslash of the command
    // line, arguments included: here over 1,100 bytes, more than a path may hold.
    CopyPrograms();
    WriteIni("[Setup]\r\nProductName=TooLong\r\nDefaultPath=C:\\x\r\n");
    DWORD setup = Start(std::string(kMedia) + "\\Setup.exe", kRoot, " " + std::string(1100, 'a') + "\\b");
    HWND error = WaitWindow("Error", setup);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(MessageBoxText(error), "启动安装程序错误。");
    Press(error, IDOK);
    EXPECT_EQ(WaitExit(setup), 0);
    EXPECT_EQ(FindWindowA("TooLong 安装", nullptr), nullptr);
}

TEST_F(SetupDriverTest, NotEnoughSpaceKeepsTheDialog) {
    CopyPrograms();
    // A drive that does not exist has no free space to tell: 0 bytes.
    const char* drive = "Q:\\";
    ASSERT_EQ(GetDriveTypeA(drive), static_cast<UINT>(DRIVE_NO_ROOT_DIR)) << "the test needs Q: unused";
    WriteIni("[Setup]\r\nProductName=SpaceTest\r\nDefaultPath=Q:\\zippit-setup-test\r\nDiskSpase=1\r\n");
    DWORD setup = StartSetup();
    HWND dialog = WaitWindow("SpaceTest 的安装", setup);
    ASSERT_NE(dialog, nullptr);
    // A folder that is not rooted, which would be the setup folder, is refused the same way.
    for (const char* folder : {"Q:\\zippit-setup-test", "."}) {
        SetDlgItemTextA(dialog, 1001, folder);
        Press(dialog, IDOK);
        HWND warning = WaitWindow("SpaceTest", setup);
        ASSERT_NE(warning, nullptr) << folder;
        EXPECT_EQ(MessageBoxText(warning), "该驱动器没有足够的空间。              \n改变到另一个驱动器，或释放一些空间。");
        Press(warning, IDOK);
        ASSERT_TRUE(WaitFor<bool>([&] { return FindTopWindow("SpaceTest", setup) == nullptr; }));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK))) << "the dialog stays as it was";
    }
    EXPECT_FALSE(Exists(kInstall));
    EXPECT_FALSE(Exists(std::string(kMedia) + "\\UnInst.exe")) << "nothing installed into the setup folder";
    CancelSetup(dialog, setup);
}

TEST_F(SetupDriverTest, InstallThenUninstall) {
    CopyPrograms();
    std::string media = kMedia;
    WriteFile(media + "\\a.exe", "program a");
    WriteFile(media + "\\b.txt", "help b, new");
    WriteFile(media + "\\c.dat", "data c, new");
    SetWriteTime(media + "\\b.txt", -1);
    SetWriteTime(media + "\\c.dat", -1);
    WriteIni(std::string("[Setup]\r\nProductName=") + kProduct +
             "\r\nDefaultPath=C:\\nowhere\r\nDiskSpase=1000\r\n"
             "[LoadModule]\r\nModule=Zippy.Pkm\r\n"
             "[SetupFiles]\r\n1=a.exe\r\n2=b.txt\r\n3=..\\outside.dat\r\n4=c.dat\r\n"
             "[StartMenu]\r\nQuestion=C\r\nStartMenu=" + kGroup + "\r\n1=Play,/a %s,Read me,/h\r\n"
             "[Startup]\r\n1=ZippitSetupTestAuto,/quiet\r\n");
    // An installed b.txt newer than the medium's stays; an older c.dat is replaced.
    std::string install = kAppsPet;
    CreateDirectoryA("C:\\Apps", nullptr);
    CreateDirectoryA(kAppsPet, nullptr);
    WriteFile(install + "\\b.txt", "help b, user's newer copy");
    WriteFile(install + "\\c.dat", "data c, old");
    SetWriteTime(install + "\\c.dat", -2);
    // A name that climbs out of the install folder is passed over.
    WriteFile(std::string(kRoot) + "\\outside.dat", "outside");
    DWORD setup = StartSetup();
    HWND dialog = WaitWindow(std::string(kProduct) + " 的安装", setup);
    ASSERT_NE(dialog, nullptr);

    SetDlgItemTextA(dialog, 1001, kAppsPet);
    SendDlgItemMessageA(dialog, 1008, BM_SETCHECK, BST_CHECKED, 0);
    Press(dialog, IDOK);
    HWND done = WaitWindow("退出", setup);
    ASSERT_NE(done, nullptr) << "the completion message";
    EXPECT_EQ(MessageBoxText(done), std::string(kProduct) + " 安装完成了。");
    EXPECT_EQ(ItemText(dialog, 1005),
              std::string(kProduct) + " 必要的文件        \n" + install + "正在复制  \n\tc.dat");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1002)));
    Press(done, IDOK);
    EXPECT_EQ(WaitExit(setup), 0);

    // Files: copied with the archive attribute alone, a newer target kept.
    EXPECT_EQ(ReadFile(install + "\\a.exe"), "program a");
    EXPECT_EQ(GetFileAttributesA((install + "\\a.exe").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(ReadFile(install + "\\b.txt"), "help b, user's newer copy");
    EXPECT_EQ(ReadFile(install + "\\c.dat"), "data c, new");
    EXPECT_EQ(GetFileAttributesA((install + "\\c.dat").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(ReadFile(install + "\\UnInst.exe"), ReadFile(media + "\\UnInst.dat"));
    EXPECT_FALSE(Exists("C:\\Apps\\outside.dat")) << "nothing outside the install folder";

    // Links.
    std::string group = SpecialFolder(CSIDL_PROGRAMS) + "\\" + kGroup;
    Link play = ReadLink(group + "\\Play.lnk");
    ASSERT_TRUE(play.read);
    EXPECT_EQ(play.target, install + "\\a.exe");
    EXPECT_EQ(play.arguments, "/a %s");
    EXPECT_EQ(play.folder, install);
    Link readMe = ReadLink(group + "\\Read me.lnk");
    ASSERT_TRUE(readMe.read);
    EXPECT_EQ(readMe.target, install + "\\a.exe");
    EXPECT_EQ(readMe.arguments, "/h");
    std::string startupLink = SpecialFolder(CSIDL_STARTUP) + "\\ZippitSetupTestAuto.lnk";
    Link automatic = ReadLink(startupLink);
    ASSERT_TRUE(automatic.read);
    EXPECT_EQ(automatic.target, install + "\\a.exe");
    EXPECT_EQ(automatic.arguments, "/quiet");

    // Registry: each text stored with its terminating zero.
    Registry name = ReadValue(kUninstallKey, "DisplayName");
    EXPECT_EQ(name.data, "Zippit(演示版)");
    EXPECT_EQ(name.size, std::strlen("Zippit(演示版)") + 1);
    Registry uninstall = ReadValue(kUninstallKey, "UninstallString");
    EXPECT_EQ(uninstall.data, install + "\\UnInst.exe");
    EXPECT_EQ(uninstall.size, install.size() + std::strlen("\\UnInst.exe") + 1);
    Registry module = ReadValue(kProductKey, "Module");
    EXPECT_EQ(module.data, "Zippy.Pkm");
    EXPECT_EQ(module.size, 10u);

    // The system's list of programs (Wine's own) names the entry cleanly and
    // runs its uninstaller, which removes what the install made and keeps
    // what the user added.
    EXPECT_NE(RunForOutput("uninstaller.exe --list").find("PocopalDemo|||Zippit(演示版)\r\n"), std::string::npos);
    WriteFile(install + "\\mine.txt", "the user's");
    WriteFile(group + "\\Other.lnk", "not a link of ours");
    DWORD uninst = Start(SystemProgram("uninstaller.exe"), install.c_str(), " --remove PocopalDemo");
    HWND confirm = WaitWindow("Zippit(演示版) 卸载");
    ASSERT_NE(confirm, nullptr);
    Press(confirm, IDYES);
    HWND finished = WaitWindow("卸载完成");
    ASSERT_NE(finished, nullptr);
    Press(finished, IDOK);
    ASSERT_TRUE(WaitFor<bool>([&] { return FindTopWindow("卸载完成") == nullptr; }));
    EXPECT_EQ(WaitExit(uninst), 0);
    ASSERT_TRUE(WaitFor<bool>([&] { return !Exists(install + "\\UnInst.exe"); }));
    for (const char* name : {"a.exe", "b.txt", "c.dat", "UnInst.lst"}) EXPECT_FALSE(Exists(install + "\\" + name)) << name;
    EXPECT_EQ(ReadFile(install + "\\mine.txt"), "the user's");
    EXPECT_FALSE(Exists(group + "\\Play.lnk"));
    EXPECT_FALSE(Exists(group + "\\Read me.lnk"));
    EXPECT_TRUE(Exists(group + "\\Other.lnk")) << "a file the user put in the group stays";
    EXPECT_FALSE(Exists(startupLink));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(KeyExists(kProductKey));
    EXPECT_TRUE(Exists(media + "\\Setup.ini")) << "nothing outside the install";
}

TEST_F(SetupDriverTest, ShortNameInstallRemovedThroughItsLongName) {
    CopyPrograms();
    WriteFile(std::string(kMedia) + "\\a.exe", "program a");
    std::string longFolder = std::string(kRoot) + "\\Long Folder Name";
    ASSERT_TRUE(CreateDirectoryA(longFolder.c_str(), nullptr));
    char shortFolder[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA(longFolder.c_str(), shortFolder, MAX_PATH), 0u);
    ASSERT_NE(longFolder, shortFolder) << "no short names on this file system";
    WriteIni("[Setup]\r\nProductName=Short\r\nDefaultPath=" + std::string(shortFolder) +
             "\\Pet\r\n[LoadModule]\r\nModule=Zippy.Pkm\r\n[SetupFiles]\r\n1=a.exe\r\n"
             "[StartMenu]\r\nQuestion=C\r\nStartMenu=" + kGroup + "\r\n1=Play,\r\n");
    ASSERT_NO_FATAL_FAILURE(InstallWithDefaults("Short 的安装"));
    std::string install = longFolder + "\\Pet";
    std::string link = SpecialFolder(CSIDL_PROGRAMS) + "\\" + kGroup + "\\Play.lnk";
    ASSERT_TRUE(Exists(link));
    EXPECT_EQ(ReadValue(kUninstallKey, "UninstallString").data, install + "\\UnInst.exe") << "the long form";
    // As an earlier Setup recorded it: the folder as typed.
    HKEY entry;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_SET_VALUE, &entry), ERROR_SUCCESS);
    std::string recorded = std::string(shortFolder) + "\\Pet\\UnInst.exe";
    RegSetValueExA(entry, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(recorded.c_str()),
                   static_cast<DWORD>(recorded.size() + 1));
    RegCloseKey(entry);

    DWORD uninst = Start(install + "\\UnInst.exe", kRoot);
    HWND confirm = WaitWindow("Zippit(演示版) 卸载", uninst);
    ASSERT_NE(confirm, nullptr);
    Press(confirm, IDYES);
    HWND finished = WaitWindow("卸载完成");
    ASSERT_NE(finished, nullptr);
    Press(finished, IDOK);
    EXPECT_TRUE(WaitFor<bool>([&] { return !Exists(install); }));
    EXPECT_FALSE(Exists(link));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(KeyExists(kProductKey));
}

// Runs the test `name` again in a second copy of this program under code page
// 950. Wine takes a process's code page from its Unix locale, and a process
// Wine starts keeps its starter's, so the copy starts on the Unix side,
// through env; its processes, Setup's and UnInst's, take its code page. Its
// verdict comes back as gtest's report.
void ExpectPassUnderCodePage950(const char* name) {
    char wine[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("WINE", wine, MAX_PATH), 0u) << "the Wine loader is not named in WINE";
    WCHAR self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const char report[] = "C:\\zippit-setup-cp950.xml";
    DeleteFileA(report);
    std::wstring line = L"/usr/bin/env LANG=zh_TW.UTF-8 LC_ALL=zh_TW.UTF-8 " + Wide(wine) + L" " + self +
                        L" --gtest_filter=SetupDriverTest." + Wide(name) + L" --gtest_output=xml:" + Wide(report);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(L"Z:\\usr\\bin\\env", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    // Wine hands out no handle of a Unix process.
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    std::string verdict;
    EXPECT_TRUE(WaitFor<bool>([&] {
        verdict = ReadFile(report);
        return verdict.find("</testsuites>") != std::string::npos;
    }, 150)) << "no report from the copy";
    EXPECT_NE(verdict.find("tests=\"1\" failures=\"0\" disabled=\"0\" errors=\"0\""), std::string::npos) << verdict;
    DeleteFileA(report);
}

TEST_F(SetupDriverTest, FolderOutsideTheCodePageUnderCodePage950) {
    if (GetACP() == 936) {
        ExpectPassUnderCodePage950("FolderOutsideTheCodePageUnderCodePage950");
        return;
    }
    // In the copy: the texts read as under GBK, and a folder that neither GBK
    // nor the code page can spell is installed into and removed.
    ASSERT_NE(GetACP(), 936u);
    CopyPrograms();
    std::string media = kMedia;
    WriteFile(media + "\\a.exe", "program a");
    ASSERT_TRUE(CopyFileW(Wide(media + "\\a.exe").c_str(), Wide(media + "\\小猫.Pkm").c_str(), FALSE));
    WriteIni(std::string("[Setup]\r\nProductName=") + kProduct +
             "\r\nProductVersion=2.5\r\nDefaultPath=C:\\nowhere\r\n[LoadModule]\r\nModule=小猫.Pkm\r\n"
             "[SetupFiles]\r\n1=a.exe\r\n2=小猫.Pkm\r\n[StartMenu]\r\nQuestion=C\r\nStartMenu=" + kGroup + "\r\n1=Play,\r\n");
    DWORD setup = StartSetup();
    HWND dialog = WaitWindow(std::string(kProduct) + " 的安装", setup);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemTextW(dialog, 1000), Wide(std::string(kProduct) + " Version 2.5 安装。\n安装需要约 0 MB的磁盘空间容量。"));
    const std::wstring made = Wide(std::string(kRoot) + "\\宠物 ") + L"\x0395\x03bb\x03ad\x03bd\x03b7";  // 宠物 Ελένη
    const std::wstring install = made + L"\\Pet";
    SetDlgItemTextW(dialog, 1001, install.c_str());
    Press(dialog, IDOK);
    HWND done = WaitWindow("退出", setup);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(MessageBoxText(done), std::string(kProduct) + " 安装完成了。");
    EXPECT_EQ(ItemTextW(dialog, 1005),
              Wide(std::string(kProduct) + " 必要的文件        \n") + install + Wide("正在复制  \n\t小猫.Pkm"));
    Press(done, IDOK);
    ASSERT_EQ(WaitExit(setup), 0);
    EXPECT_NE(GetFileAttributesW((install + Wide("\\小猫.Pkm")).c_str()), INVALID_FILE_ATTRIBUTES);
    // (The uninstall entry names the folder right when UnInst below removes it.)
    WCHAR module[MAX_PATH] = L"";
    DWORD size = sizeof module;
    RegGetValueW(HKEY_LOCAL_MACHINE, Wide(kProductKey).c_str(), L"Module", RRF_RT_REG_SZ, nullptr, module, &size);
    EXPECT_TRUE(Wide("小猫.Pkm") == module);
    std::string link = SpecialFolder(CSIDL_PROGRAMS) + "\\" + kGroup + "\\Play.lnk";
    ASSERT_TRUE(Exists(link));

    DWORD uninst = Start(install + L"\\UnInst.exe", Wide(kRoot));
    HWND confirm = WaitWindow("Zippit(演示版) 卸载", uninst);
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(MessageBoxText(confirm), "确实要从您的计算机中删除 Zippit(演示版) 及其所有组件吗？");
    Press(confirm, IDYES);
    HWND finished = WaitWindow("卸载完成");
    ASSERT_NE(finished, nullptr);
    EXPECT_EQ(MessageBoxText(finished), "Zippit(演示版) 已从您的计算机中删除。");
    Press(finished, IDOK);
    EXPECT_TRUE(WaitFor<bool>([&] { return GetFileAttributesW(made.c_str()) == INVALID_FILE_ATTRIBUTES; }))
        << "the folder and the one made on the way go";
    EXPECT_FALSE(Exists(link)) << "the link into the folder goes";
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(KeyExists(kProductKey));
}

// The program file of the process that owns `window`.
std::string ProgramOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) return "";
    char path[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    QueryFullProcessImageNameA(process, 0, path, &size);
    CloseHandle(process);
    return path;
}

TEST_F(SetupDriverTest, FinishingOpensTheDocumentBeforeAndTheProgramAfterTheMessage) {
    // Copies of the uninstaller serve as the opened programs: started without
    // arguments they show their confirmation, and No ends them.
    CopyPrograms();
    std::string media = kMedia;
    ASSERT_TRUE(CopyFileA((media + "\\UnInst.dat").c_str(), (media + "\\open.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((media + "\\UnInst.dat").c_str(), (media + "\\run.exe").c_str(), FALSE));
    WriteIni(std::string("[Setup]\r\nProductName=Finish\r\nDefaultPath=") + kInstall +
             "\r\nOpenFile=open.exe\r\nExecFile=run.exe\r\n[SetupFiles]\r\n1=run.exe\r\n");
    DWORD setup = StartSetup();
    HWND dialog = WaitWindow("Finish 的安装", setup);
    ASSERT_NE(dialog, nullptr);
    Press(dialog, IDOK);
    HWND done = WaitWindow("退出", setup);
    ASSERT_NE(done, nullptr);
    // OpenFile, relative to the setup folder, is open before the message.
    HWND opened = WaitWindow("Zippit(演示版) 卸载");
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(ProgramOf(opened), media + "\\open.exe");
    Press(opened, IDNO);
    ASSERT_TRUE(WaitFor<bool>([&] { return FindTopWindow("Zippit(演示版) 卸载") == nullptr; }));
    Sleep(300);
    EXPECT_EQ(FindTopWindow("Zippit(演示版) 卸载"), nullptr) << "ExecFile waits for the message";
    // ExecFile, relative to the install folder, starts once the message is closed.
    Press(done, IDOK);
    HWND executed = WaitWindow("Zippit(演示版) 卸载");
    ASSERT_NE(executed, nullptr);
    EXPECT_EQ(ProgramOf(executed), std::string(kInstall) + "\\run.exe");
    Press(executed, IDNO);
    EXPECT_EQ(WaitExit(setup), 0);
    EXPECT_TRUE(WaitFor<bool>([&] { return FindTopWindow("Zippit(演示版) 卸载") == nullptr; }));
}

BOOL CALLBACK TakeTreeView(HWND child, LPARAM data) {
    char name[32] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, WC_TREEVIEWA) != 0) return TRUE;
    *reinterpret_cast<HWND*>(data) = child;
    return FALSE;
}

// The folder browser of Setup's dialog: a modal window other than the dialog itself.
HWND WaitBrowser(DWORD setup, HWND dialog) {
    return WaitFor<HWND>([&]() -> HWND {
        HWND found = nullptr;
        for (HWND window = GetWindow(dialog, GW_HWNDFIRST); window && !found; window = GetWindow(window, GW_HWNDNEXT)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == setup && window != dialog && GetWindow(window, GW_OWNER) == dialog && IsWindowVisible(window))
                found = window;
        }
        return found;
    });
}

TEST_F(SetupDriverTest, FolderBrowserCancelledOrChosen) {
    CopyPrograms();
    WriteIni("[Setup]\r\nProductName=Browse\r\nDefaultPath=C:\\typed\r\n");
    DWORD setup = StartSetup();
    HWND dialog = WaitWindow("Browse 的安装", setup);
    ASSERT_NE(dialog, nullptr);

    Press(dialog, 1002);
    HWND browser = WaitBrowser(setup, dialog);
    ASSERT_NE(browser, nullptr);
    Press(browser, IDCANCEL);
    ASSERT_TRUE(WaitFor<bool>([&] { return !IsWindow(browser); }));
    EXPECT_EQ(ItemText(dialog, 1001), "C:\\typed") << "a cancelled browser changes nothing";

    // Choose the first top-level folder of the tree that the browser accepts
    // (a file-system folder); its path replaces the field whole.
    Press(dialog, 1002);
    browser = WaitBrowser(setup, dialog);
    ASSERT_NE(browser, nullptr);
    HWND tree = nullptr;
    ASSERT_TRUE(WaitFor<bool>([&] {
        EnumChildWindows(browser, TakeTreeView, reinterpret_cast<LPARAM>(&tree));
        return tree != nullptr;
    }));
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    bool chosen = false;
    for (HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                                     reinterpret_cast<LPARAM>(root)));
         item && !chosen;
         item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                          reinterpret_cast<LPARAM>(item)))) {
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        chosen = IsWindowEnabled(GetDlgItem(browser, IDOK));
    }
    ASSERT_TRUE(chosen) << "no folder to choose";
    Press(browser, IDOK);
    ASSERT_TRUE(WaitFor<bool>([&] { return !IsWindow(browser); }));
    std::string folder = ItemText(dialog, 1001);
    EXPECT_NE(folder, "C:\\typed");
    DWORD attributes = GetFileAttributesA(folder.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << folder;
    CancelSetup(dialog, setup);
}

bool UserKeyExists(const char* keyPath) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string TempCopyOf(DWORD uninst) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "ZippitUnInst" + std::to_string(uninst) + ".exe";
}

TEST_F(SetupDriverTest, UninstallLeavesNothingOfATypedNestedFolderAndFinishesWhatWasHeldOpen) {
    CopyPrograms();
    WriteFile(std::string(kMedia) + "\\a.exe", "program a");
    WriteFile(std::string(kMedia) + "\\b.dat", "data b");
    // Typed with a trailing backslash and forward slashes; Apps is made on the way.
    WriteIni(std::string("[Setup]\r\nProductName=Small\r\nDefaultPath=C:/zippit-setup-test/Apps\\Pet\\\r\n"
                         "[SetupFiles]\r\n1=a.exe\r\n2=b.dat\r\n[StartMenu]\r\nQuestion=C\r\nStartMenu=") +
             kGroup + "\r\n1=Play,\r\n");
    ASSERT_NO_FATAL_FAILURE(InstallWithDefaults("Small 的安装"));
    std::string group = SpecialFolder(CSIDL_PROGRAMS) + "\\" + kGroup;
    std::string install = kInstall;
    ASSERT_TRUE(Exists(group + "\\Play.lnk"));
    EXPECT_EQ(ReadValue(kUninstallKey, "UninstallString").data, install + "\\UnInst.exe") << "the folder in full form";
    // The program kept the user's settings in the user's own key.
    HKEY userKey;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kProductKey, &userKey), ERROR_SUCCESS);
    RegSetValueExA(userKey, "Module", 0, REG_SZ, reinterpret_cast<const BYTE*>("Zippy.Pkm"), 9);
    RegCloseKey(userKey);

    // While the program runs (its single-instance mutex exists) the uninstaller refuses.
    HANDLE running = CreateMutexA(nullptr, FALSE, "Zippit(演示版)");
    DWORD refused = Start(install + "\\UnInst.exe", kRoot);
    HWND refusal = WaitWindow("Zippit(演示版) 卸载", refused);
    CloseHandle(running);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(MessageBoxText(refusal), "Zippit(演示版) 正在运行。请先退出它，再卸载。");
    Press(refusal, IDOK);
    EXPECT_EQ(WaitExit(refused), 0);

    // Declining keeps everything.
    DWORD first = Start(install + "\\UnInst.exe", kRoot);
    HWND confirm = WaitWindow("Zippit(演示版) 卸载", first);
    ASSERT_NE(confirm, nullptr);
    Press(confirm, IDNO);
    EXPECT_EQ(WaitExit(first), 0);
    EXPECT_TRUE(Exists(install + "\\a.exe"));

    // A file another program holds open stays, is named to the user, and
    // keeps the entry and the uninstaller for a second run.
    HANDLE held = CreateFileA((install + "\\b.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DWORD second = Start(install + "\\UnInst.exe", kRoot);
    confirm = WaitWindow("Zippit(演示版) 卸载", second);
    ASSERT_NE(confirm, nullptr);
    Press(confirm, IDYES);
    EXPECT_EQ(WaitExit(second), 0);
    HWND left = WaitWindow("Zippit(演示版) 卸载");
    CloseHandle(held);
    ASSERT_NE(left, nullptr) << "the user is told what is left";
    EXPECT_NE(MessageBoxText(left).find(install + "\\b.dat"), std::string::npos) << MessageBoxText(left);
    Press(left, IDOK);
    ASSERT_TRUE(WaitFor<bool>([&] { return FindTopWindow("Zippit(演示版) 卸载") == nullptr; }));
    ASSERT_TRUE(WaitFor<bool>([&] { return !Exists(TempCopyOf(second)); })) << "the temporary copy goes when it ends";
    EXPECT_FALSE(Exists(install + "\\a.exe"));
    EXPECT_FALSE(Exists(group + "\\Play.lnk"));
    EXPECT_TRUE(Exists(install + "\\b.dat"));
    EXPECT_TRUE(Exists(install + "\\UnInst.exe"));
    EXPECT_TRUE(KeyExists(kUninstallKey));
    EXPECT_TRUE(UserKeyExists(kProductKey));
    EXPECT_EQ(FindTopWindow("卸载完成"), nullptr) << "no removal is reported as done";

    DWORD third = Start(install + "\\UnInst.exe", kRoot);
    confirm = WaitWindow("Zippit(演示版) 卸载", third);
    ASSERT_NE(confirm, nullptr);
    Press(confirm, IDYES);
    HWND finished = WaitWindow("卸载完成");
    ASSERT_NE(finished, nullptr);
    Press(finished, IDOK);
    EXPECT_TRUE(WaitFor<bool>([&] { return !Exists(std::string(kRoot) + "\\Apps"); }))
        << "the emptied folder and the folder made on the way go";
    EXPECT_TRUE(Exists(kRoot)) << "a folder that was there stays";
    EXPECT_FALSE(Exists(group)) << "the emptied group goes";
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(KeyExists(kMakerKey)) << "the maker's key held nothing else";
    EXPECT_FALSE(UserKeyExists(kProductKey));
    EXPECT_FALSE(UserKeyExists(kMakerKey));
    EXPECT_TRUE(WaitFor<bool>([&] { return !Exists(TempCopyOf(third)); }));
}

}  // namespace
