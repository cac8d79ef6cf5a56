// zippit_probe: the Wine tests' eyes and hands inside Wine. Opens a plain
// window for the mascot to stand on, waits for windows and reports their
// rectangle, region and styles, reads dialog texts, answers message boxes,
// checks the tray icon, posts messages, and reads or writes the product key.
// Texts are read as UTF-16 (whatever the code page of the probe or the
// program) and printed in UTF-8. Exit code 0 on success, 1 on a failed
// check, 2 on a timeout, 3 on bad usage.
//
//   zippit_probe stand L T R B TITLE     a plain window at that rectangle, in front, until closed
//   zippit_probe activate TITLE          brings the window titled TITLE (else the window of
//                                        class TITLE, such as the taskbar) to the foreground
//   zippit_probe wait CLASS MS           waits for a visible window of CLASS; prints its info line
//   zippit_probe gone CLASS MS           waits until no visible window of CLASS is left
//   zippit_probe splash MS               waits for the loading splash; prints its texts
//   zippit_probe msgbox MS [ok|yes|no]   waits for a message box captioned Zippit(演示版),
//                                        prints its text and presses that button (OK if none)
//   zippit_probe dialog ID MS            waits for a visible dialog holding control ID; prints
//                                        its info line and caption
//   zippit_probe text HWND ID            prints the text of the dialog's control ID
//   zippit_probe slider HWND ID          prints pos=N of the dialog's trackbar ID
//   zippit_probe checkbox HWND ID [0|1]  prints checked=N of the check box; sets it first if given
//   zippit_probe press HWND ID           posts the command of the dialog's button ID
//   zippit_probe keydown HWND ID VK      posts a key press to the dialog's control ID (0: the
//                                        dialog), for the dialog's own keyboard handling
//   zippit_probe list HWND ID            prints count=N, then one line per entry of the list
//                                        box: its text and the text its item data points to
//   zippit_probe select HWND ID TEXT     selects the list entry whose text is TEXT, as a
//                                        click would (the selection change is notified)
//   zippit_probe menukeys KEYS...        waits for the popup menu and posts it the keys (VK
//                                        codes), one by one
//   zippit_probe tray HWND               prints tray=1 when HWND's tray icon 1 exists, else tray=0
//   zippit_probe retray HWND             removes HWND's tray icon 1, as a restarted shell forgets
//                                        it, and posts HWND the registered "TaskbarCreated"
//   zippit_probe post HWND MSG WPARAM LPARAM
//   zippit_probe drag X0 Y0 X1 Y1 STEPS  presses the left button at X0,Y0, moves to X1,Y1 in
//                                        STEPS steps and releases it (system input, as a mouse)
//   zippit_probe chord VK...             presses the keys (VK codes) in order and releases them
//                                        in reverse (system input, as a keyboard: Ctrl+Alt+Z)
//   zippit_probe changes HWND MS         watches HWND for up to MS (or until its look changed 3
//                                        times): prints changes=N, how often its rectangle,
//                                        region or on-screen pixels changed
//   zippit_probe respond HWND MS         how soon the program answers while it waits for its next
//                                        frame: three times, 300 ms after the window changes its
//                                        look (a frame ran), posts it the tray icon's right click
//                                        and times the menu until it shows, then closes it; prints
//                                        ms=N, the quickest answer (MS: the longest wait for a look)
//   zippit_probe foreground              prints the foreground window's info line
//   zippit_probe screen                  prints W H, the primary screen's size in pixels
//   zippit_probe acp                     prints acp=N, the probe's ANSI code page
//   zippit_probe resources HWND          prints gdi=N user=N private=N (bytes) how=...
//                                        windows=CLASS,... of the process owning HWND: its GDI
//                                        and USER object counts, private memory and windows
//   zippit_probe key dump | key clear | key set-module TEXT | key set-dword NAME N
//   zippit_probe deniedmutex             holds Zippit's named mutex as an elevated copy does for
//                                        one that is not (no one else may open it); prints
//                                        held=1, then waits until ended
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include "platform/win32/wide_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char kProductKey[] = "Software\\Tallowmere\\PocopalDemo";
constexpr char kProductCaption[] = "Zippit(\xd1\xdd\xca\xbe\xb0\xe6)";  // Zippit(演示版) in GBK
constexpr char kStandClass[] = "ZippitProbeStand";
constexpr DWORD kPollMs = 50;

// Wide text to UTF-8.
std::string Utf8W(const wchar_t* text) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return "";
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], bytes, nullptr, nullptr);
    out.resize(static_cast<size_t>(bytes - 1));
    return out;
}

// A text or file name as Zippit holds it (GBK, and its form for what GBK
// cannot spell) to UTF-8.
std::string Utf8(const char* text) { return Utf8W(WideText(text).get()); }

std::string WindowText(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return Utf8W(text);
}

HWND ParseHwnd(const char* text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(text, nullptr, 0)));
}

void PrintInfo(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    char className[256] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::printf("hwnd=0x%llx class=%s pid=%lu rect=%ld,%ld,%ld,%ld visible=%d topmost=%d toolwindow=%d acceptfiles=%d",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)), className,
                static_cast<unsigned long>(pid), rect.left, rect.top, rect.right, rect.bottom,
                IsWindowVisible(window) ? 1 : 0, (exStyle & WS_EX_TOPMOST) ? 1 : 0,
                (exStyle & WS_EX_TOOLWINDOW) ? 1 : 0, (exStyle & WS_EX_ACCEPTFILES) ? 1 : 0);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int kind = GetWindowRgn(window, region);
    if (kind == SIMPLEREGION || kind == COMPLEXREGION) {
        RECT box;
        GetRgnBox(region, &box);
        DWORD bytes = GetRegionData(region, 0, nullptr);
        std::string data(bytes, '\0');
        GetRegionData(region, bytes, reinterpret_cast<RGNDATA*>(&data[0]));
        const RGNDATAHEADER* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
        std::printf(" region=%ld,%ld,%ld,%ld regionrects=%lu", box.left, box.top, box.right, box.bottom,
                    static_cast<unsigned long>(header->nCount));
    } else {
        std::printf(" region=none");
    }
    DeleteObject(region);
    std::printf("\n");
    std::fflush(stdout);
}

// Polls `find` until it gives a window or `ms` pass.
template <typename Find>
HWND WaitFor(DWORD ms, Find find) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = find();
        if (window) return window;
        if (GetTickCount() - start >= ms) return nullptr;
        Sleep(kPollMs);
    }
}

HWND VisibleOfClass(const char* className) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, nullptr)) != nullptr)
        if (IsWindowVisible(window)) return window;
    return nullptr;
}

struct DialogSearch {
    int controlId;
    const wchar_t* caption;  // nullptr: any
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(param);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    if (search->controlId && !GetDlgItem(window, search->controlId)) return TRUE;
    if (search->caption) {
        wchar_t caption[256] = L"";
        GetWindowTextW(window, caption, 256);
        if (lstrcmpW(caption, search->caption) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND FindVisibleDialog(int controlId, const wchar_t* caption) {
    DialogSearch search = {controlId, caption, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

LRESULT CALLBACK StandWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int Stand(int argc, char** argv) {
    if (argc < 7) return 3;
    LONG l = std::atol(argv[2]), t = std::atol(argv[3]), r = std::atol(argv[4]), b = std::atol(argv[5]);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = StandWndProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kStandClass;
    if (!RegisterClassExA(&windowClass)) return 1;
    HWND window = CreateWindowExA(0, kStandClass, argv[6], WS_POPUP | WS_BORDER | WS_VISIBLE, l, t, r - l, b - t,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    SetForegroundWindow(window);
    PrintInfo(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// Moves the pointer to screen pixel (x, y) as the mouse would, with `buttons`
// (MOUSEEVENTF_LEFTDOWN or UP) at that point.
void MouseAt(LONG x, LONG y, DWORD buttons) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &input, sizeof input);
}

int Drag(int argc, char** argv) {
    if (argc < 7) return 3;
    LONG x0 = std::atol(argv[2]), y0 = std::atol(argv[3]), x1 = std::atol(argv[4]), y1 = std::atol(argv[5]);
    int steps = std::atoi(argv[6]);
    if (steps < 1) return 3;
    MouseAt(x0, y0, 0);
    Sleep(200);
    MouseAt(x0, y0, MOUSEEVENTF_LEFTDOWN);
    Sleep(300);
    for (int i = 1; i <= steps; i++) {
        MouseAt(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, 0);
        Sleep(40);
    }
    Sleep(300);
    MouseAt(x1, y1, MOUSEEVENTF_LEFTUP);
    return 0;
}

int Chord(int argc, char** argv) {
    if (argc < 3) return 3;
    UINT count = static_cast<UINT>(argc - 2);
    std::vector<INPUT> keys(2 * count);
    for (UINT i = 0; i < count; i++) {
        INPUT& down = keys[i];
        INPUT& up = keys[2 * count - 1 - i];
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wVk = up.ki.wVk = static_cast<WORD>(std::strtoul(argv[2 + i], nullptr, 0));
        up.ki.dwFlags = KEYEVENTF_KEYUP;
    }
    return SendInput(2 * count, keys.data(), sizeof(INPUT)) == 2 * count ? 0 : 1;
}

// What the window shows now, as a hash of its rectangle, its region's data
// and the screen pixels inside its rectangle.
uint64_t Look(HWND window) {
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](const void* data, size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; i++) hash = (hash ^ bytes[i]) * 1099511628211ull;
    };
    RECT rect = {};
    GetWindowRect(window, &rect);
    mix(&rect, sizeof rect);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(window, region) != ERROR) {
        DWORD bytes = GetRegionData(region, 0, nullptr);
        std::string data(bytes, '\0');
        GetRegionData(region, bytes, reinterpret_cast<RGNDATA*>(&data[0]));
        mix(data.data(), data.size());
    }
    DeleteObject(region);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width > 0 && height > 0) {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
            GdiFlush();
            mix(bits, static_cast<size_t>(width) * height * 4);
            SelectObject(memory, old);
            DeleteObject(bitmap);
        }
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    return hash;
}

// Counts how often the window's look changes, up to 3, within the time
// given. Changes, not distinct looks: an idle character that only blinks
// shows two looks, for as long as it idles, and changes every second or two.
int Changes(int argc, char** argv) {
    if (argc < 4) return 3;
    HWND window = ParseHwnd(argv[2]);
    DWORD ms = std::strtoul(argv[3], nullptr, 10);
    uint64_t last = Look(window);
    int count = 0;
    DWORD start = GetTickCount();
    while (count < 3 && GetTickCount() - start < ms) {
        Sleep(20);
        uint64_t look = Look(window);
        if (look != last) count++;
        last = look;
    }
    std::printf("changes=%d\n", count);
    return 0;
}

int Respond(int argc, char** argv) {
    if (argc < 4) return 3;
    HWND window = ParseHwnd(argv[2]);
    DWORD ms = std::strtoul(argv[3], nullptr, 10);
    DWORD quickest = 0xFFFFFFFFu;
    for (int round = 0; round < 3; round++) {
        uint64_t look = Look(window);
        DWORD start = GetTickCount();
        while (Look(window) == look) {
            if (GetTickCount() - start >= ms) return 2;
            Sleep(5);
        }
        // Well inside the wait that follows the frame, away from its edges.
        Sleep(300);
        DWORD posted = GetTickCount();
        PostMessageA(window, WM_USER, 0, WM_RBUTTONDOWN);
        HWND menu = nullptr;
        while (!(menu = VisibleOfClass("#32768"))) {
            if (GetTickCount() - posted >= 10000) return 2;
            Sleep(1);
        }
        DWORD took = GetTickCount() - posted;
        if (took < quickest) quickest = took;
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        HWND closed = WaitFor(5000, [] { return VisibleOfClass("#32768") ? nullptr : GetDesktopWindow(); });
        if (!closed) return 2;
    }
    std::printf("ms=%lu\n", static_cast<unsigned long>(quickest));
    return 0;
}

int Key(int argc, char** argv) {
    if (argc < 3) return 3;
    std::string what = argv[2];
    if (what == "clear") {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
        return 0;
    }
    if (what == "dump") {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kProductKey, &key) != ERROR_SUCCESS) {
            std::printf("key=none\n");
            return 0;
        }
        wchar_t name[256];
        wchar_t data[512 + 1];
        for (DWORD i = 0;; i++) {
            DWORD nameSize = 256, dataSize = sizeof data - sizeof data[0], type = 0;
            if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
                ERROR_SUCCESS)
                break;
            if (type == REG_DWORD && dataSize == 4) {
                DWORD value;
                std::memcpy(&value, data, 4);
                std::printf("%s=dword:%ld\n", Utf8W(name).c_str(), static_cast<long>(value));
            } else {
                data[dataSize / sizeof data[0]] = 0;
                std::printf("%s=type%lu:%s\n", Utf8W(name).c_str(), static_cast<unsigned long>(type),
                            Utf8W(data).c_str());
            }
        }
        RegCloseKey(key);
        return 0;
    }
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kProductKey, &key) != ERROR_SUCCESS) return 1;
    LONG result = ERROR_INVALID_PARAMETER;
    if (what == "set-module" && argc >= 4) {
        result = RegSetValueExA(key, "Module", 0, REG_SZ, reinterpret_cast<const BYTE*>(argv[3]),
                                static_cast<DWORD>(std::strlen(argv[3])));
    } else if (what == "set-dword" && argc >= 5) {
        DWORD value = static_cast<DWORD>(std::strtol(argv[4], nullptr, 0));
        result = RegSetValueExA(key, argv[3], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : 1;
}

// A zero-ended text or file name in Zippit's memory, at most 259 bytes; ""
// when it cannot be read.
std::string RemoteText(HWND owner, LRESULT address) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, pid);
    if (!process) return "";
    char text[260] = "";
    for (size_t i = 0; i + 1 < sizeof text; i++) {
        SIZE_T read = 0;
        if (!ReadProcessMemory(process, reinterpret_cast<const void*>(address + static_cast<LRESULT>(i)), &text[i], 1,
                               &read) ||
            read != 1 || text[i] == 0) {
            text[i] = 0;
            break;
        }
    }
    CloseHandle(process);
    return Utf8(text);
}

// A list box's entry text. The W call: the A call across processes gives UTF-16.
std::string ListText(HWND list, LRESULT index) {
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return "";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    return Utf8W(text.c_str());
}

int DialogCommand(int argc, char** argv) {
    std::string command = argv[1];
    HWND dialog = ParseHwnd(argv[2]);
    int id = std::atoi(argv[3]);
    HWND control = id ? GetDlgItem(dialog, id) : dialog;  // 0: the dialog itself
    if (!control || !IsWindow(dialog)) return 1;
    if (command == "text") {
        std::printf("%s\n", WindowText(control).c_str());
    } else if (command == "slider") {
        std::printf("pos=%ld\n", static_cast<long>(SendMessageA(control, TBM_GETPOS, 0, 0)));
    } else if (command == "checkbox") {
        if (argc >= 5) SendMessageA(control, BM_SETCHECK, std::atoi(argv[4]) ? BST_CHECKED : BST_UNCHECKED, 0);
        std::printf("checked=%d\n", SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    } else if (command == "press") {
        return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control)) ? 0 : 1;
    } else if (command == "keydown" && argc >= 5) {
        WPARAM key = static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0));
        PostMessageA(control, WM_KEYDOWN, key, 1);
        PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    } else if (command == "list") {
        LRESULT count = SendMessageW(control, LB_GETCOUNT, 0, 0);
        std::printf("count=%ld\n", static_cast<long>(count));
        for (LRESULT i = 0; i < count; i++) {
            LRESULT data = SendMessageW(control, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
            std::printf("%s|%s\n", ListText(control, i).c_str(), data && data != LB_ERR ? RemoteText(dialog, data).c_str() : "");
        }
    } else if (command == "select" && argc >= 5) {
        // The text as typed, from the wide command line: the ANSI argv cannot
        // spell every name.
        int wideCount = 0;
        LPWSTR* wideArgs = CommandLineToArgvW(GetCommandLineW(), &wideCount);
        std::string wanted = wideArgs && wideCount >= 5 ? Utf8W(wideArgs[4]) : argv[4];
        LocalFree(wideArgs);
        LRESULT count = SendMessageW(control, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; i++) {
            if (ListText(control, i) != wanted) continue;
            SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
            return 0;
        }
        return 1;
    } else {
        return 3;
    }
    return 0;
}

// One entry of a process's GDI handle table, which its PEB points to (the
// table holds every GDI handle of the process; a live one has a type).
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the 64-bit table's entry");
constexpr size_t kGdiHandles = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8;  // PEB.GdiSharedHandleTable of a 64-bit process

// The live GDI objects of `process` counted in its handle table; -1 when it
// cannot be read (and always in the 32-bit build, which only the 64-bit
// table's layout is known to).
long CountGdiHandles(HANDLE process) {
    if (sizeof(void*) != 8) return -1;
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
    uint64_t table = 0;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + kPebGdiTableOffset, &table,
                           sizeof table, &got) ||
        !table)
        return -1;
    std::string entries(kGdiHandles * sizeof(GdiHandleEntry), '\0');
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(table)), &entries[0],
                           entries.size(), &got))
        return -1;
    long live = 0;
    for (size_t i = 0; i < kGdiHandles; i++) {
        GdiHandleEntry entry;
        std::memcpy(&entry, entries.data() + i * sizeof entry, sizeof entry);
        if (entry.type) live++;
    }
    return live;
}

struct WindowCount {
    DWORD pid;
    long count;
    std::string classes;  // their class names, comma-separated, blanks as '_'
};

BOOL CALLBACK CountChild(HWND window, LPARAM param) {
    WindowCount* windows = reinterpret_cast<WindowCount*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != windows->pid) return TRUE;
    windows->count++;
    char className[128] = "";
    GetClassNameA(window, className, sizeof className);
    for (char* c = className; *c; c++)
        if (*c == ' ') *c = '_';
    if (!windows->classes.empty()) windows->classes += ',';
    windows->classes += className;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
    CountChild(window, param);
    EnumChildWindows(window, CountChild, param);  // every level below
    return TRUE;
}

// The windows of process `pid`: top-level ones with all their children, and
// message-only ones.
WindowCount CountWindows(DWORD pid) {
    WindowCount windows = {pid, 0, ""};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    HWND messageOnly = nullptr;
    while ((messageOnly = FindWindowExA(HWND_MESSAGE, messageOnly, nullptr, nullptr)) != nullptr)
        CountTopLevel(messageOnly, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The process's GDI and USER object counts as the system gives them
// (GetGuiResources); where it gives none for a live GUI process (Wine 8
// answers 0 always), the GDI objects are counted in the process's handle
// table and the USER objects as its windows (their classes are listed too).
// Private memory is PrivateUsage,
// or the commit charge where that reads 0 (Wine, for another process).
int Resources(HWND window) {
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(window, &pid)) return 1;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return 1;
    long gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    long user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    const char* how = "GetGuiResources";
    WindowCount windows = CountWindows(pid);
    if (gdi == 0 && user == 0) {
        gdi = CountGdiHandles(process);
        user = windows.count;
        how = "handle-table,windows";
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    unsigned long long priv = 0;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        priv = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    CloseHandle(process);
    std::printf("gdi=%ld user=%ld private=%llu how=%s windows=%s\n", gdi, user, priv, how, windows.classes.c_str());
    return gdi < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 3;
    std::string command = argv[1];
    if (command == "stand") return Stand(argc, argv);
    if (command == "key") return Key(argc, argv);
    if (command == "drag") return Drag(argc, argv);
    if (command == "chord") return Chord(argc, argv);
    if (command == "changes") return Changes(argc, argv);
    if (command == "respond") return Respond(argc, argv);
    if ((command == "text" || command == "slider" || command == "checkbox" || command == "press" ||
         command == "keydown" || command == "list" || command == "select") &&
        argc >= 4)
        return DialogCommand(argc, argv);
    if (command == "dialog" && argc >= 4) {
        int id = std::atoi(argv[2]);
        HWND dialog = WaitFor(std::strtoul(argv[3], nullptr, 10), [id] { return FindVisibleDialog(id, nullptr); });
        if (!dialog) return 2;
        PrintInfo(dialog);
        std::printf("caption=%s\n", WindowText(dialog).c_str());
        return 0;
    }
    if (command == "menukeys" && argc >= 3) {
        HWND menu = WaitFor(5000, [] { return VisibleOfClass("#32768"); });
        if (!menu) return 2;
        for (int i = 2; i < argc; i++) {
            WPARAM key = static_cast<WPARAM>(std::strtoul(argv[i], nullptr, 0));
            PostMessageA(menu, WM_KEYDOWN, key, 1);
            Sleep(150);
        }
        return 0;
    }
    if (command == "activate" && argc >= 3) {
        HWND window = FindWindowA(nullptr, argv[2]);
        if (!window) window = FindWindowA(argv[2], nullptr);
        if (!window) return 1;
        SetForegroundWindow(window);
        return GetForegroundWindow() == window ? 0 : 1;
    }
    if (command == "deniedmutex") {
        // A DACL without entries grants no access to anyone.
        SECURITY_DESCRIPTOR security;
        ACL empty;
        InitializeSecurityDescriptor(&security, SECURITY_DESCRIPTOR_REVISION);
        InitializeAcl(&empty, sizeof empty, ACL_REVISION);
        SetSecurityDescriptorDacl(&security, TRUE, &empty, FALSE);
        SECURITY_ATTRIBUTES attributes = {sizeof attributes, &security, FALSE};
        if (!CreateMutexW(&attributes, FALSE, L"Zippit(演示版)")) return 1;
        std::printf("held=1\n");
        std::fflush(stdout);
        Sleep(INFINITE);
        return 0;
    }
    if (command == "acp") {
        std::printf("acp=%u\n", GetACP());
        return 0;
    }
    if (command == "screen") {
        std::printf("%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return 0;
    }
    if (command == "foreground") {
        HWND window = GetForegroundWindow();
        if (!window) {
            std::printf("hwnd=0x0\n");
            return 0;
        }
        PrintInfo(window);
        return 0;
    }
    if (command == "wait" && argc >= 4) {
        const char* className = argv[2];
        HWND window = WaitFor(std::strtoul(argv[3], nullptr, 10), [&] { return VisibleOfClass(className); });
        if (!window) return 2;
        PrintInfo(window);
        return 0;
    }
    if (command == "gone" && argc >= 4) {
        const char* className = argv[2];
        DWORD ms = std::strtoul(argv[3], nullptr, 10);
        DWORD start = GetTickCount();
        while (VisibleOfClass(className)) {
            if (GetTickCount() - start >= ms) return 2;
            Sleep(kPollMs);
        }
        return 0;
    }
    if (command == "splash" && argc >= 3) {
        HWND dialog = WaitFor(std::strtoul(argv[2], nullptr, 10), [] { return FindVisibleDialog(1002, nullptr); });
        if (!dialog) return 2;
        PrintInfo(dialog);
        std::printf("module=%s\nstatus=%s\nversion=%s\nuser=%s\n", WindowText(GetDlgItem(dialog, 1002)).c_str(),
                    WindowText(GetDlgItem(dialog, 1001)).c_str(), WindowText(GetDlgItem(dialog, 1000)).c_str(),
                    WindowText(GetDlgItem(dialog, 1020)).c_str());
        return 0;
    }
    if (command == "msgbox" && argc >= 3) {
        DWORD ms = std::strtoul(argv[2], nullptr, 10);
        HWND box = WaitFor(ms, [] { return FindVisibleDialog(0, L"Zippit(演示版)"); });
        if (!box) return 2;
        // A message box's text is its static control 0xFFFF.
        std::printf("text=%s\n", WindowText(GetDlgItem(box, 0xFFFF)).c_str());
        std::fflush(stdout);
        WPARAM button = IDOK;
        if (argc >= 4 && std::strcmp(argv[3], "yes") == 0) button = IDYES;
        if (argc >= 4 && std::strcmp(argv[3], "no") == 0) button = IDNO;
        PostMessageA(box, WM_COMMAND, button, reinterpret_cast<LPARAM>(GetDlgItem(box, static_cast<int>(button))));
        return 0;
    }
    if (command == "tray" && argc >= 3) {
        // Modifying nothing succeeds only when the icon exists.
        NOTIFYICONDATAA icon = {};
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        icon.hWnd = ParseHwnd(argv[2]);
        icon.uID = 1;
        std::printf("tray=%d\n", Shell_NotifyIconA(NIM_MODIFY, &icon) ? 1 : 0);
        return 0;
    }
    if (command == "retray" && argc >= 3) {
        NOTIFYICONDATAA icon = {};
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        icon.hWnd = ParseHwnd(argv[2]);
        icon.uID = 1;
        if (!Shell_NotifyIconA(NIM_DELETE, &icon)) return 1;
        return PostMessageA(icon.hWnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0) ? 0 : 1;
    }
    if (command == "resources" && argc >= 3) return Resources(ParseHwnd(argv[2]));
    if (command == "post" && argc >= 6) {
        return PostMessageA(ParseHwnd(argv[2]), static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
                            static_cast<WPARAM>(std::strtoull(argv[4], nullptr, 0)),
                            static_cast<LPARAM>(std::strtoll(argv[5], nullptr, 0)))
                   ? 0
                   : 1;
    }
    return 3;
}
