// Tests of the settings dialogs on the real window system (Wine): each dialog
// runs modally on the test's thread as the menu would run it, while a driver
// thread finds it, reads its controls, moves the slider, clicks its buttons
// and list, and reads and answers its message boxes as a user would.
#include "mascot/product.h"
#include "mascot/running_character.h"
#include "mascot/state.h"
#include "modules/character.h"
#include "platform/graphics.h"
#include "platform/memory.h"
#include "settings/settings.h"
#include "settings/win32/dialog_ids.h"
#include "settings/win32/dialogs.h"
#include "tests/support/module_writer.h"
#include "tests/support/temp_dir.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kModulesDir[] = ZIPPIT_MODULES_DIR;  // the shipped characters the native build made
constexpr char kDialogClass[] = "#32770";

DWORD g_uiThread;  // the thread the dialogs run on

// Polls `done` every 20 ms for up to `ms` milliseconds. Returns whether it came true.
bool WaitUntilFor(int ms, const std::function<bool()>& done) {
    for (int i = 0; i < ms / 20; i++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

bool WaitUntil(const std::function<bool()>& done) { return WaitUntilFor(10000, done); }

std::string Text(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct DialogSearch {
    const char* title;  // nullptr: any
    HWND owner;         // nullptr: any
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    if (!IsWindowVisible(window) || ClassOf(window) != kDialogClass) return TRUE;
    if (search->title && Text(window) != search->title) return TRUE;
    if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    search->found = window;
    return FALSE;
}

// A visible dialog of the dialogs' thread with that title (or owner), waited for.
HWND WaitForDialog(const char* title, HWND owner = nullptr) {
    DialogSearch search = {title, owner, nullptr};
    WaitUntil([&] {
        EnumThreadWindows(g_uiThread, MatchDialog, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

HWND WaitForMessageBox(HWND owner) { return WaitForDialog(nullptr, owner); }

BOOL CALLBACK LongestStatic(HWND child, LPARAM context) {
    auto* text = reinterpret_cast<std::string*>(context);
    std::string candidate = Text(child);
    if (ClassOf(child) == "Static" && candidate.size() > text->size()) *text = candidate;
    return TRUE;
}

BOOL CALLBACK PostCommand(HWND window, LPARAM command) {
    if (IsWindowVisible(window) && ClassOf(window) == kDialogClass)
        PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
    return TRUE;
}

// Sends `command` (IDCANCEL, or IDOK for a dialog that ignores it) to every
// dialog and message box still open on the dialogs' thread.
void CloseWindowsLeftOpen(int command) { EnumThreadWindows(g_uiThread, PostCommand, command); }

// A message box's text: its longest static text.
std::string MessageBoxText(HWND box) {
    std::string text;
    EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

// Clicks a button (or check box) as the mouse would: posted, so the driver
// never waits on a message box the click opens.
void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Presses a key in the window that has the keyboard focus on the dialogs' thread.
void PressKey(WPARAM key) {
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    GetGUIThreadInfo(g_uiThread, &info);
    HWND target = info.hwndFocus ? info.hwndFocus : info.hwndActive;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void PressKeyIn(HWND window, WPARAM key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

// Clicks the list entry with that text. Returns false when there is none.
bool ClickListEntry(HWND list, const char* text) {
    LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    if (index == LB_ERR) return false;
    RECT item;
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    return WaitUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == index; });
}

struct ListEntry {
    std::string text;
    std::string fileName;
};

std::vector<ListEntry> ListEntries(HWND list) {
    std::vector<ListEntry> entries;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        char text[512] = "";
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        auto* fileName = reinterpret_cast<const char*>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        entries.push_back({text, fileName ? fileName : "(none)"});
    }
    return entries;
}

std::string ModuleSource(const char* name) { return std::string(kModulesDir) + "/" + name; }

// The mascot program's state as the dialogs need it: settings, an owner
// window, the running character with its canvas in the back buffer.
class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(ModuleSource("Zippy.Pkm")))
            GTEST_SKIP() << "no shipped characters in " << kModulesDir << " (the native build makes them)";
        g_uiThread = GetCurrentThreadId();
        UserSettings.CharActPer = kDefaultCharActPer;
        UserSettings.SndUse = 1;
        std::strcpy(UserSettings.UserName, "********");

        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "DialogsTestOwner";
        RegisterClassA(&windowClass);
        owner_ = CreateWindowExA(WS_EX_TOOLWINDOW, "DialogsTestOwner", "owner", WS_POPUP | WS_VISIBLE, 40, 30, 100,
                                 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        MainWindow = reinterpret_cast<SysWindow*>(owner_);
        BackBufferDC = SysCreateMemoryDC();
        ASSERT_NE(BackBufferDC, nullptr);
    }
    void TearDown() override {
        if (BackBufferDC) {
            SysSelectBitmap(BackBufferDC, defaultBitmap_);
            SysDeleteDC(BackBufferDC);
            BackBufferDC = nullptr;
        }
        ReleaseCharacter(&RunningCharacter);
        if (owner_) DestroyWindow(owner_);
        MainWindow = nullptr;
    }
    void Run(const char* modulePath) {
        ASSERT_EQ(LoadStartingCharacter(&RunningCharacter, modulePath), 1) << modulePath;
        defaultBitmap_ = SysSelectBitmap(BackBufferDC, RunningCharacter.canvas.bitmap);
    }
    // Runs `dialog` modally here while `driver` works it from another thread.
    // When the driver is done but the dialog has not ended (a test found a
    // fault), whatever is still open is closed so the test fails instead of hanging.
    int RunDialog(int (*dialog)(HWND), const std::function<void()>& driver) {
        std::atomic<bool> ended{false};
        std::thread thread([&] {
            driver();
            for (int round = 0; round < 30 && !WaitUntilFor(1000, [&] { return ended.load(); }); round++)
                CloseWindowsLeftOpen(round % 2 ? IDOK : IDCANCEL);
        });
        int result = dialog(owner_);
        ended = true;
        thread.join();
        return result;
    }
    HWND owner_ = nullptr;
    SysBitmap* defaultBitmap_ = nullptr;
};

// ---- Personality and sound ----

struct PersonalitySeen {
    HWND dialog = nullptr;
    std::string sliderClass;
    LRESULT startPosition = -1;
    UINT startChecked = 99;
    LRESULT afterMove = -1;
};

// Opens the personality dialog, notes its starting state, runs `act` on it.
PersonalitySeen DrivePersonality(const std::function<void(HWND, PersonalitySeen*)>& act) {
    PersonalitySeen seen;
    seen.dialog = WaitForDialog("性格设置");
    if (!seen.dialog) return seen;
    HWND slider = GetDlgItem(seen.dialog, IDC_PERSONALITY_SLIDER);
    seen.sliderClass = ClassOf(slider);
    seen.startPosition = SendMessageA(slider, TBM_GETPOS, 0, 0);
    seen.startChecked = IsDlgButtonChecked(seen.dialog, IDC_SOUND_BOX);
    act(seen.dialog, &seen);
    return seen;
}

TEST_F(DialogsTest, PersonalityOkStoresTheSliderReversedAndTheSoundBox) {
    Run(ModuleSource("Zippy.Pkm").c_str());
    UserSettings.CharActPer = 700;
    UserSettings.SndUse = 7;
    PersonalitySeen seen;
    int result = RunDialog(PersonalityDialog, [&] {
        seen = DrivePersonality([](HWND dialog, PersonalitySeen* seen) {
            HWND slider = GetDlgItem(dialog, IDC_PERSONALITY_SLIDER);
            PressKeyIn(slider, VK_END);  // the right end, "吵闹"
            WaitUntil([&] { return SendMessageA(slider, TBM_GETPOS, 0, 0) == 1000; });
            seen->afterMove = SendMessageA(slider, TBM_GETPOS, 0, 0);
            Click(dialog, IDC_SOUND_BOX);
            WaitUntil([&] { return IsDlgButtonChecked(dialog, IDC_SOUND_BOX) == BST_UNCHECKED; });
            Click(dialog, IDOK);
        });
    });
    ASSERT_NE(seen.dialog, nullptr) << "the dialog did not open";
    EXPECT_EQ(seen.sliderClass, "msctls_trackbar32");
    EXPECT_EQ(seen.startPosition, 400) << "1100 - CharActPer";
    EXPECT_EQ(seen.startChecked, static_cast<UINT>(BST_CHECKED)) << "SndUse 7 is on";
    EXPECT_EQ(seen.afterMove, 1000);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(UserSettings.CharActPer, 100);
    EXPECT_EQ(UserSettings.SndUse, 0);
}

TEST_F(DialogsTest, PersonalityMovesByHundredsAndCancelEscapeAndCloseChangeNothing) {
    Run(ModuleSource("Zippy.Pkm").c_str());
    struct Ending {
        const char* name;
        std::function<void(HWND)> end;
    } endings[] = {
        {"取消", [](HWND dialog) { Click(dialog, IDCANCEL); }},
        {"Escape", [](HWND) { PressKey(VK_ESCAPE); }},
        {"close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Ending& ending : endings) {
        UserSettings.CharActPer = 550;
        UserSettings.SndUse = 1;
        PersonalitySeen seen;
        int result = RunDialog(PersonalityDialog, [&] {
            seen = DrivePersonality([&](HWND dialog, PersonalitySeen* seen) {
                HWND slider = GetDlgItem(dialog, IDC_PERSONALITY_SLIDER);
                PressKeyIn(slider, VK_RIGHT);  // one line: 100
                WaitUntil([&] { return SendMessageA(slider, TBM_GETPOS, 0, 0) != 550; });
                seen->afterMove = SendMessageA(slider, TBM_GETPOS, 0, 0);
                Click(dialog, IDC_SOUND_BOX);
                WaitUntil([&] { return IsDlgButtonChecked(dialog, IDC_SOUND_BOX) == BST_UNCHECKED; });
                ending.end(dialog);
            });
        });
        ASSERT_NE(seen.dialog, nullptr) << ending.name;
        EXPECT_EQ(seen.startPosition, 550) << ending.name;
        EXPECT_EQ(seen.afterMove, 650) << ending.name << ": the line size is 100";
        EXPECT_EQ(result, 0) << ending.name;
        EXPECT_EQ(UserSettings.CharActPer, 550) << ending.name;
        EXPECT_EQ(UserSettings.SndUse, 1) << ending.name;
    }
}

// ---- About ----

TEST_F(DialogsTest, AboutShowsTheRunningModuleAndClosesOnlyByOk) {
    Run(ModuleSource("Pebble.Pkm").c_str());
    std::string caption, version, module, user;
    bool hasIcon = false;
    bool openAfterEscape = false;
    bool openAfterCloseBox = false;
    HWND dialog = nullptr;
    int result = RunDialog(AboutDialog, [&] {
        dialog = WaitForDialog("关于");
        if (!dialog) return;
        caption = Text(GetDlgItem(dialog, IDC_PRODUCT_CAPTION));
        version = Text(GetDlgItem(dialog, IDC_VERSION));
        module = Text(GetDlgItem(dialog, IDC_RUNNING_MODULE));
        user = Text(GetDlgItem(dialog, IDC_USER_NAME));
        hasIcon = WaitUntil([&] {
            HWND icon = FindWindowExA(dialog, nullptr, "Static", nullptr);
            for (; icon; icon = FindWindowExA(dialog, icon, "Static", nullptr))
                if (SendMessageA(icon, STM_GETICON, 0, 0)) return true;
            return false;
        });
        PressKey(VK_ESCAPE);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        openAfterEscape = IsWindowVisible(dialog);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        openAfterCloseBox = IsWindowVisible(dialog);
        PressKey(VK_RETURN);  // Enter is "确定"
        if (!WaitUntil([&] { return !IsWindow(dialog); })) Click(dialog, IDOK);
    });
    ASSERT_NE(dialog, nullptr) << "the dialog did not open";
    EXPECT_EQ(caption, "Zippit(演示版)");
    EXPECT_EQ(version, "1.00 版");
    EXPECT_EQ(module, "Pebble");
    EXPECT_EQ(user, "********");
    EXPECT_TRUE(hasIcon) << "the program icon (101)";
    EXPECT_TRUE(openAfterEscape) << "Escape does not close it";
    EXPECT_TRUE(openAfterCloseBox) << "nor does the close box";
    EXPECT_EQ(result, 0);
}

// ---- Module settings ----

// A folder holding both shipped characters and modules that must not be listed.
class ModuleDialogTest : public DialogsTest {
protected:
    void SetUp() override {
        DialogsTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const char* name : {"Zippy.Pkm", "Pebble.Pkm"})
            ASSERT_TRUE(std::filesystem::copy_file(ModuleSource(name), dir_.File(name)));
        std::filesystem::create_directory(dir_.File("x.Pkm"));
        TestCharacter newer = MakeTestCharacter();
        newer.PutText("info.txt", "1,第一版以后的组件,x,");
        ASSERT_TRUE(newer.Write("Newer.Pkm"));
    }
    ScopedTempDir dir_;
};

struct ModuleSeen {
    HWND dialog = nullptr;
    std::string running;
    std::vector<ListEntry> entries;
    bool buttonsStartDisabled = false;
    bool buttonsEnabledBySelection = false;
    POINT clientOrigin = {-1, -1};
};

ModuleSeen OpenModuleDialog() {
    ModuleSeen seen;
    seen.dialog = WaitForDialog("组件设置");
    if (!seen.dialog) return seen;
    seen.clientOrigin = POINT{0, 0};
    ClientToScreen(seen.dialog, &seen.clientOrigin);
    seen.running = Text(GetDlgItem(seen.dialog, IDC_RUNNING_MODULE));
    seen.entries = ListEntries(GetDlgItem(seen.dialog, IDC_MODULE_LIST));
    seen.buttonsStartDisabled =
        !IsWindowEnabled(GetDlgItem(seen.dialog, IDOK)) && !IsWindowEnabled(GetDlgItem(seen.dialog, IDC_DELETE_MODULE));
    return seen;
}

bool Select(HWND dialog, const char* text, ModuleSeen* seen) {
    if (!ClickListEntry(GetDlgItem(dialog, IDC_MODULE_LIST), text)) return false;
    seen->buttonsEnabledBySelection = WaitUntil([&] {
        return IsWindowEnabled(GetDlgItem(dialog, IDOK)) && IsWindowEnabled(GetDlgItem(dialog, IDC_DELETE_MODULE));
    });
    return true;
}

TEST_F(ModuleDialogTest, ListsTheShippedCharactersAndSwitchesToPebble) {
    Run("Zippy.Pkm");
    SysBitmap* oldCanvas = RunningCharacter.canvas.bitmap;
    ModuleSeen seen;
    bool selected = false;
    int result = RunDialog(ModuleSettingsDialog, [&] {
        seen = OpenModuleDialog();
        if (!seen.dialog) return;
        selected = Select(seen.dialog, "Pebble", &seen);
        Click(seen.dialog, selected ? IDOK : IDCANCEL);
    });
    ASSERT_NE(seen.dialog, nullptr) << "the dialog did not open";
    // The template's position 0,0 is the owner's client origin; the frame lies around it.
    EXPECT_EQ(seen.clientOrigin.x, 40) << "placed at the owner, not centred";
    EXPECT_EQ(seen.clientOrigin.y, 30);
    EXPECT_EQ(seen.running, "Zippy");
    ASSERT_EQ(seen.entries.size(), 2u) << "not the folder x.Pkm, nor a module whose first field is 1";
    EXPECT_EQ(seen.entries[0].text, "Pebble");
    EXPECT_EQ(seen.entries[0].fileName, "Pebble.Pkm");
    EXPECT_EQ(seen.entries[1].text, "Zippy");
    EXPECT_EQ(seen.entries[1].fileName, "Zippy.Pkm");
    EXPECT_TRUE(seen.buttonsStartDisabled);
    EXPECT_TRUE(selected);
    EXPECT_TRUE(seen.buttonsEnabledBySelection);
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(RunningCharacter.name, "Pebble");
    EXPECT_STREQ(RunningCharacter.modulePath, "Pebble.Pkm");
    SysBitmap* selectedNow = SysSelectBitmap(BackBufferDC, RunningCharacter.canvas.bitmap);
    EXPECT_EQ(selectedNow, RunningCharacter.canvas.bitmap) << "the new canvas is in the back buffer";
    EXPECT_NE(selectedNow, oldCanvas);
}

TEST_F(ModuleDialogTest, RefusesToDeleteTheRunningModuleAndDeletesAnotherOnlyAfterYes) {
    Run("ZIPPY.PKM");  // the in-use test ignores ASCII case
    struct Box {
        std::string caption;
        std::string text;
    };
    std::vector<Box> boxes;
    ModuleSeen seen;
    bool keptAfterNo = false;
    bool stillOpen = false;
    bool disabledAfterDeletion = false;
    std::vector<ListEntry> after;
    // Answers the next message box of the dialog with `button`, noting it.
    auto answer = [&](HWND dialog, int button) {
        HWND box = WaitForMessageBox(dialog);
        if (!box) {
            boxes.push_back({"(no message box)", ""});
            return;
        }
        boxes.push_back({Text(box), MessageBoxText(box)});
        Click(box, button);
        WaitUntil([&] { return !IsWindow(box); });
    };
    int64_t blocks = SysLiveBlocks();
    int result = RunDialog(ModuleSettingsDialog, [&] {
        seen = OpenModuleDialog();
        HWND dialog = seen.dialog;
        if (!dialog) return;
        if (Select(dialog, "Zippy", &seen)) {
            Click(dialog, IDC_DELETE_MODULE);
            answer(dialog, IDOK);
        }
        if (Select(dialog, "Pebble", &seen)) {
            Click(dialog, IDC_DELETE_MODULE);
            answer(dialog, IDNO);
            keptAfterNo = std::filesystem::exists("Pebble.Pkm");
            Click(dialog, IDC_DELETE_MODULE);
            answer(dialog, IDYES);
            WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(dialog, IDC_DELETE_MODULE)); });
            disabledAfterDeletion = !IsWindowEnabled(GetDlgItem(dialog, IDOK)) &&
                                    !IsWindowEnabled(GetDlgItem(dialog, IDC_DELETE_MODULE));
        }
        stillOpen = IsWindowVisible(dialog);
        after = ListEntries(GetDlgItem(dialog, IDC_MODULE_LIST));
        Click(dialog, IDCANCEL);
    });
    ASSERT_NE(seen.dialog, nullptr) << "the dialog did not open";
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].caption, "Zippit(演示版)");
    EXPECT_EQ(boxes[0].text, "组件目前正在使用中，无法删除。");
    EXPECT_EQ(boxes[1].caption, "Zippit(演示版)");
    EXPECT_EQ(boxes[1].text, "您确定要删除“Pebble”组件吗？");
    EXPECT_EQ(boxes[2].text, "您确定要删除“Pebble”组件吗？");
    EXPECT_TRUE(std::filesystem::exists("Zippy.Pkm"));
    EXPECT_TRUE(keptAfterNo) << "No keeps the file";
    EXPECT_FALSE(std::filesystem::exists("Pebble.Pkm")) << "Yes deletes it";
    EXPECT_TRUE(disabledAfterDeletion);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].text, "Zippy");
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(RunningCharacter.name, "Zippy");
    EXPECT_EQ(SysLiveBlocks(), blocks) << "the entries' file names are released when the dialog ends";
}

TEST_F(ModuleDialogTest, AModuleThatFailsToLoadIsReportedAndChangesNothing) {
    Run("Zippy.Pkm");
    TestCharacter broken = MakeTestCharacter();
    broken.PutText("info.txt", "0,坏的组件,x,");  // listed, but its description ends early
    ASSERT_TRUE(broken.Write("Broken.Pkm"));
    Character before = RunningCharacter;
    std::string message;
    HWND dialog = nullptr;
    int result = RunDialog(ModuleSettingsDialog, [&] {
        ModuleSeen seen = OpenModuleDialog();
        dialog = seen.dialog;
        if (!dialog) return;
        if (!Select(dialog, "坏的组件", &seen)) {
            Click(dialog, IDCANCEL);
            return;
        }
        Click(dialog, IDOK);
        HWND box = WaitForMessageBox(dialog);
        if (!box) return;
        message = MessageBoxText(box);
        Click(box, IDOK);
    });
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(message, "组件的数据是无效的。");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::memcmp(&before, &RunningCharacter, sizeof before), 0) << "the running character is untouched";
}

}  // namespace
