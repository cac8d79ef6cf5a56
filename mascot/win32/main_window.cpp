// The mascot window: one small handler per message, the tray icon, the
// popup menu and its commands, dragging, dropped files and the palette.
#include "mascot/win32/main_window.h"

#include "mascot/behaviour.h"
#include "mascot/frame.h"
#include "mascot/frame_loop.h"
#include "mascot/product.h"
#include "mascot/running_character.h"
#include "mascot/state.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "resources/zippit/resource.h"
#include "settings/help.h"
#include "settings/settings.h"
#include "settings/win32/dialogs.h"

#include <wtsapi32.h>

#include <cstring>

HINSTANCE Instance = nullptr;
HANDLE InstanceMutex = nullptr;
HICON TrayIconHandle = nullptr;
NOTIFYICONDATAW TrayIcon = {};

namespace {

UINT g_taskbarCreated = 0;     // the registered "TaskbarCreated" message; 0 until the window exists
bool g_settingsSaved = false;  // the settings were written this run
bool g_sessionEnded = false;   // the session ends: the tray icon stays away
bool g_rescalePosted = false;  // a rescale waits in the queue
bool g_rescaling = false;      // the rescale is placing the window

constexpr UINT kDpiChanged = 0x02E0;            // WM_DPICHANGED, missing from older SDK headers
constexpr UINT kRescaleCharacter = WM_USER + 1;  // posted to self: rescale between frames

constexpr UINT kDropPathBuffer = 256;  // characters of one dropped file's path, its zero included

constexpr int kHideHotKeyId = 1;
// The hide key's modifier bits are the system's own.
static_assert(kHotKeyAlt == MOD_ALT && kHotKeyCtrl == MOD_CONTROL && kHotKeyShift == MOD_SHIFT && kHotKeyWin == MOD_WIN,
              "the hide key's modifiers");

// The display's power: GUID_CONSOLE_DISPLAY_STATE from Windows 8 on, before
// that GUID_MONITOR_POWER_ON (both give 0 for off as their data).
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
HPOWERNOTIFY g_displayNotification = nullptr;  // the display's power, watched from creation to destruction

struct MenuEntry {
    UINT flags;
    UINT id;  // 0 for separators and the submenu entry
    const char* text;
};

// The popup menu, top to bottom.
constexpr MenuEntry kMenu[] = {
    {MF_STRING, IDM_HELP, "帮助(&H)..."},
    {MF_STRING, IDM_ABOUT, "关于(&A)..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_GRAYED, IDM_MAIL, "邮件设置(&M)..."},
    {MF_STRING, IDM_PERSONALITY, "性格设置(&S)..."},
    {MF_STRING, IDM_MODULES, "组件设置(&M)..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_POPUP | MF_GRAYED, 0, "运行文件"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, IDM_EXIT, "退出(&C)"},
};

const Cel* CurrentCel() {
    const Action* action = RunningCharacter.currentAction;
    return &action->cels[action->steps[CurrentStepIndex(action)].celIndex];
}

// The user's hide key, unless set to none. A key another program holds
// already stays that program's: the character then has no hide key.
void RegisterHideKey(HWND window) {
    int32_t key = UserSettings.HideHotKey;
    if (key == 0) return;
    UINT modifiers = static_cast<UINT>(key >> 8);
    UINT virtualKey = static_cast<UINT>(key & 0xFF);
    // Held down, a key repeats; MOD_NOREPEAT keeps that from toggling the
    // character. Systems before Windows 7 may refuse the flag.
    if (!RegisterHotKey(window, kHideHotKeyId, modifiers | MOD_NOREPEAT, virtualKey))
        RegisterHotKey(window, kHideHotKeyId, modifiers, virtualKey);
}

// Locking the session and turning the display off are told to the window
// from now on; the display's power also at once.
void WatchSession(HWND window) {
    WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
    g_displayNotification = RegisterPowerSettingNotification(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!g_displayNotification)
        g_displayNotification = RegisterPowerSettingNotification(window, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void SetTrayTip(const char* tip) {
    lstrcpynW(TrayIcon.szTip, WideText(tip).get(), 64);
    Shell_NotifyIconW(NIM_MODIFY, &TrayIcon);
}

LRESULT OnCreate(HWND window) {
    TrayIcon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    TrayIcon.hWnd = window;
    TrayIcon.uID = kTrayIconId;
    TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIcon.uCallbackMessage = kTrayCallback;
    TrayIcon.hIcon = TrayIconHandle;
    lstrcpynW(TrayIcon.szTip, WideText(kProductCaption).get(), 64);
    Shell_NotifyIconW(NIM_ADD, &TrayIcon);
    g_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    RegisterHideKey(window);
    WatchSession(window);
    return 0;
}

// The hide key: the character goes, silent and without frames, and its tray
// icon says so; pressed again, it comes back at once.
void OnHotKey(WPARAM id) {
    if (id != kHideHotKeyId) return;
    int hide = (FramesStopped & kStoppedByHotKey) == 0;
    StopFrames(kStoppedByHotKey, hide);
    SetTrayTip(hide ? kTrayTipHidden : kProductCaption);
}

void OnSessionChange(WPARAM change) {
    if (change == WTS_SESSION_LOCK) StopFrames(kStoppedByLock, 1);
    if (change == WTS_SESSION_UNLOCK) StopFrames(kStoppedByLock, 0);
}

// The display went off, dimmed (still seen) or on.
void OnPowerBroadcast(WPARAM event, LPARAM data) {
    if (event != PBT_POWERSETTINGCHANGE || !data) return;
    const POWERBROADCAST_SETTING* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
    if (setting->PowerSetting != kConsoleDisplayState && setting->PowerSetting != kMonitorPowerOn) return;
    if (setting->DataLength < sizeof(DWORD)) return;
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof state);
    StopFrames(kStoppedByDisplay, state == 0);
}

// A new taskbar (after the shell restarted) knows no icons: add ours again.
void OnTaskbarCreated() {
    if (!g_sessionEnded) Shell_NotifyIconW(NIM_ADD, &TrayIcon);
}

// The session ends (log-off or shutdown): the process may be ended at any
// moment after this returns, without the quit message or ShutDown.
void OnEndSession(WPARAM ending) {
    if (!ending) return;
    g_sessionEnded = true;
    SaveSettingsOnce();
    Shell_NotifyIconW(NIM_DELETE, &TrayIcon);
}

// The tray icon's right button opens the menu, unless one of the program's
// modal dialogs is open (it disables this window, its owner): then that
// dialog comes to the front instead of a second menu or dialog under it.
void OnTrayCallback(HWND window, LPARAM mouseMessage) {
    if (mouseMessage != WM_RBUTTONDOWN) return;
    if (!IsWindowEnabled(window)) {
        HWND dialog = GetLastActivePopup(window);
        if (dialog != window) SetForegroundWindow(dialog);
        return;
    }
    ShowPopupMenu(window);
}

void OnDestroy(HWND window) {
    UnregisterHotKey(window, kHideHotKeyId);
    WTSUnRegisterSessionNotification(window);
    if (g_displayNotification) UnregisterPowerSettingNotification(g_displayNotification);
    g_displayNotification = nullptr;
    Shell_NotifyIconW(NIM_DELETE, &TrayIcon);
    ReleaseMutex(InstanceMutex);
    PostQuitMessage(0);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SelectPalette(dc, ToHpalette(RunningCharacter.palette), FALSE);
    RealizePalette(dc);
    BitBlt(dc, 0, 0, RunningCharacter.canvasWidth, RunningCharacter.canvasHeight, ToHdc(BackBufferDC), 0, 0, SRCCOPY);
    EndPaint(window, &paint);
}

// A left button on a mouse-watching character ends the watch instead of
// starting a drag. Returns true when it did.
bool OnNcLeftButton() {
    if (!IsMouseWatchingAction(RunningCharacter.currentAction)) return false;
    ChooseNextAction();
    return true;
}

// A left button on the character: the end of a mouse watch, or a drag in the
// system's move loop. That loop reads the thread's messages itself; when the
// window is destroyed under it (退出 from the tray menu while a drag runs)
// the loop takes the quit message and ends, so the quit is posted again for
// the frame loop.
LRESULT OnNcLeftButtonDown(HWND window, WPARAM wParam, LPARAM lParam) {
    if (OnNcLeftButton()) return 0;
    LRESULT result = DefWindowProcW(window, WM_NCLBUTTONDOWN, wParam, lParam);
    if (!IsWindow(window)) PostQuitMessage(0);
    return result;
}

void OnCommand(HWND window, WPARAM command) {
    switch (command) {
        case IDM_HELP:
            ShowHelp(window, kHelpMenu);
            break;
        case IDM_ABOUT:
            AboutDialog(window);
            break;
        case IDM_PERSONALITY:
            PersonalityDialog(window);
            break;
        case IDM_MODULES:
            ModuleSettingsDialog(window);
            break;
        case IDM_EXIT:
            // Default processing of the close destroys the window.
            PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        default:
            return;
    }
    // Hidden until the next frame shows it again at its place.
    ShowWindow(window, SW_HIDE);
}

// The end of a drag: the character goes back onto the supporting window's
// edge at the dropped horizontal position, pulled inside that window.
void OnExitSizeMove(HWND window) {
    Rect support;
    // No supporting window yet (no frame found one), or it has gone since:
    // the work area of the monitor it was dropped on takes its place, so the
    // character stays on that screen.
    if (!SupportWindow || !SupportArea(SupportWindow, &support)) SupportArea(SysDesktopWindow(), &support);
    RECT mascot;
    GetWindowRect(window, &mascot);
    Rect rect = {mascot.left, mascot.top, mascot.right, mascot.bottom};
    SnapToSupport(&rect, support);
    const Cel* cel = CurrentCel();
    // The hide key pressed during the drag keeps the character hidden.
    UINT show = FramesStopped ? 0 : SWP_SHOWWINDOW;
    SetWindowPos(window, HWND_TOPMOST, rect.left, rect.top, cel->image.width, cel->image.height,
                 SWP_NOCOPYBITS | show | SWP_NOACTIVATE);
    if (SupportWindow) SetForegroundWindow(ToHwnd(SupportWindow));
}

// Most of the window came onto a monitor of another DPI. The message
// arrives inside the frame's own move of the window, while the frame holds
// the current action, so the rescale waits for the next message of the loop;
// it then goes by the monitor under the standing point, so a change undone
// meanwhile changes nothing. The rescale's own move of the window sends the
// message too: that one is passed over, or a character whose standing point
// lies off its window's middle could go back and forth between two monitors.
void OnDpiChanged(HWND window) {
    if (g_rescaling || g_rescalePosted) return;
    g_rescalePosted = PostMessageA(window, kRescaleCharacter, 0, 0) != 0;
}

void OnRescaleCharacter() {
    g_rescalePosted = false;
    g_rescaling = true;
    RescaleRunningCharacter();
    g_rescaling = false;
}

void OnQueryNewPalette(HWND window) {
    HDC dc = GetDC(window);
    SelectPalette(dc, ToHpalette(RunningCharacter.palette), FALSE);
    if (RealizePalette(dc) > 0) InvalidateRect(window, nullptr, TRUE);
    ReleaseDC(window, dc);
}

void OnPaletteChanged(HWND window, HWND changedBy) {
    if (changedBy == window) return;
    HDC dc = GetDC(window);
    SelectPalette(dc, ToHpalette(RunningCharacter.palette), FALSE);
    if (RealizePalette(dc) > 0) UpdateColors(dc);
    ReleaseDC(window, dc);
}

}  // namespace

void SaveSettingsOnce() {
    if (g_settingsSaved) return;
    g_settingsSaved = true;
    SaveSettings(RunningCharacter.modulePath);
}

HMENU BuildPopupMenu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MenuEntry& entry : kMenu) {
        UINT_PTR item = entry.id;
        // The greyed "运行文件" entry gets an empty submenu of its own: a popup
        // entry needs a menu handle to be added at all, and greyed it never
        // opens. DestroyMenu of the whole menu destroys it too.
        if (entry.flags & MF_POPUP) item = reinterpret_cast<UINT_PTR>(CreatePopupMenu());
        AppendMenuW(menu, entry.flags, item, WideText(entry.text).get());
    }
    return menu;
}

void ShowPopupMenu(HWND window) {
    POINT cursor;
    GetCursorPos(&cursor);
    // The foreground window's menu closes when the user clicks elsewhere.
    SetForegroundWindow(window);
    HMENU menu = BuildPopupMenu();
    TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, window, nullptr);
    DestroyMenu(menu);
}

void OpenDroppedFiles(HDROP drop) {
    // The paths stay UTF-16 from the drop to the shell: any name opens.
    wchar_t path[kDropPathBuffer];
    UINT count = DragQueryFileW(drop, 0xFFFFFFFFu, path, kDropPathBuffer);
    for (UINT i = 0; i < count; i++) {
        // A cut path could name another file; such a file is skipped.
        if (DragQueryFileW(drop, i, nullptr, 0) >= kDropPathBuffer) continue;
        if (!DragQueryFileW(drop, i, path, kDropPathBuffer)) continue;
        ShellExecuteW(nullptr, nullptr, path, nullptr, nullptr, SW_SHOW);
    }
    DragFinish(drop);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_taskbarCreated && g_taskbarCreated != 0) {
        OnTaskbarCreated();
        return 0;
    }
    switch (message) {
        case WM_CREATE:
            return OnCreate(window);
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
        case WM_PAINT:
            OnPaint(window);
            return 0;
        case WM_NCHITTEST:
            return HTCAPTION;
        case WM_NCLBUTTONDOWN:
            return OnNcLeftButtonDown(window, wParam, lParam);
        case WM_NCLBUTTONUP:
            if (OnNcLeftButton()) return 0;
            break;
        case WM_NCRBUTTONDOWN:
            ShowPopupMenu(window);
            return 0;
        case kTrayCallback:
            OnTrayCallback(window, lParam);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            OnEndSession(wParam);
            return 0;
        case WM_COMMAND:
            OnCommand(window, wParam);
            return 0;
        case WM_EXITSIZEMOVE:
            OnExitSizeMove(window);
            return 0;
        case WM_DROPFILES:
            OpenDroppedFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case kDpiChanged:
            // The suggested rectangle is not taken: the character keeps its standing point instead.
            OnDpiChanged(window);
            return 0;
        case kRescaleCharacter:
            OnRescaleCharacter();
            return 0;
        case WM_QUERYNEWPALETTE:
            OnQueryNewPalette(window);
            return 0;
        case WM_PALETTECHANGED:
            OnPaletteChanged(window, reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_HOTKEY:
            OnHotKey(wParam);
            return 0;
        case WM_WTSSESSION_CHANGE:
            OnSessionChange(wParam);
            return 0;
        case WM_POWERBROADCAST:
            OnPowerBroadcast(wParam, lParam);
            return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
