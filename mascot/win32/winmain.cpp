// Zippit.exe's entry and exit: one copy only, the settings, the loading
// splash, the mascot window with its two memory drawing contexts, the frame
// loop, and the shutdown that saves the settings and frees the character.
#include "mascot/frame.h"
#include "mascot/frame_loop.h"
#include "mascot/product.h"
#include "mascot/random.h"
#include "mascot/state.h"
#include "mascot/win32/main_window.h"
#include "modules/character.h"
#include "platform/clock.h"
#include "platform/graphics.h"
#include "platform/msgbox.h"
#include "platform/sound.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "resources/zippit/resource.h"
#include "settings/settings.h"
#include "settings/win32/dialogs.h"
#include "settings/win32/splash_dialog.h"

#include <windows.h>

// Creates the two memory drawing contexts (the back buffer holding the
// running character's canvas for the whole run), registers the window class
// and creates the mascot window, hidden until the first frame places it.
// Returns 1, or 0 when the class cannot be registered or the window cannot be
// made; what was made is then left to the process's end.
int InitMainWindow() {
    BackBufferDC = SysCreateMemoryDC();
    CelDC = SysCreateMemoryDC();
    if (!BackBufferDC || !CelDC) return 0;
    SysSelectBitmap(BackBufferDC, RunningCharacter.canvas.bitmap);

    TrayIconHandle = LoadIconA(Instance, MAKEINTRESOURCEA(IDI_ZIPPIT));

    // The wide forms of the class name and title: the window is a Unicode
    // window, its title the same on every system.
    WideText className(kMainWindowClass);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_SAVEBITS;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = Instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className.get();
    if (!RegisterClassExW(&windowClass)) return 0;

    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES | WS_EX_TOPMOST, className.get(),
                                  WideText(kProductCaption).get(), WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  CW_USEDEFAULT, CW_USEDEFAULT, RunningCharacter.canvasWidth,
                                  RunningCharacter.canvasHeight, nullptr, nullptr, Instance, nullptr);
    // A window that cannot be made ends start-up like a class that cannot be
    // registered: the frame loop would have nothing to draw on.
    if (!window) return 0;
    MainWindow = FromHwnd(window);
    return 1;
}

// Releases the drawing contexts and the canvas, saves the settings with the
// running module's name (unless the end of the session saved them already), stops any sound and frees the character, then
// closes a help window the menu opened.
void ShutDown() {
    SysDeleteDC(BackBufferDC);
    SysDeleteDC(CelDC);
    BackBufferDC = CelDC = nullptr;
    ReleaseCharacterDrawing(&RunningCharacter);
    SaveSettingsOnce();
    // An action's sound plays from the action's memory, freed next.
    SysStopSound();
    ReleaseCharacter(&RunningCharacter);
    CloseHelp();
}

// The program's entry. Returns 0 on every early exit, else the quit
// message's code (0). The command line and show command are not used.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Instance = instance;
    SeedRandom(SysNow());

    // A copy running elevated (the one Setup started) made the mutex with a
    // security that denies this one: access denied means it exists too. The
    // wide form of the GBK name is the name earlier versions made on a
    // Chinese system, so they and this one see each other.
    WideText mutexName(kProductCaption);
    HANDLE existing = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, mutexName.get());
    bool another = existing || GetLastError() == ERROR_ACCESS_DENIED;
    if (existing) CloseHandle(existing);
    if (!another) {
        InstanceMutex = CreateMutexW(nullptr, FALSE, mutexName.get());
        // A copy started at the same moment passes the check above too;
        // whichever creates the mutex second finds it made already (or, if
        // the other is elevated, is denied it).
        DWORD error = GetLastError();
        another = InstanceMutex ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    }
    if (another) {
        if (InstanceMutex) CloseHandle(InstanceMutex);
        InstanceMutex = nullptr;
        SysMessageBox(nullptr, kMsgAlreadyRunning, kProductCaption, MessageIcon::kWarning);
        return 0;
    }

    if (!LoadSettings()) {
        SysMessageBox(nullptr, kMsgNoSettings, kProductCaption, MessageIcon::kError);
        ReleaseMutex(InstanceMutex);
        return 0;
    }
    if (!LoadingSplash() || !InitMainWindow()) {
        ReleaseMutex(InstanceMutex);
        return 0;
    }
    // Until the user brings a window to the front the character stands on
    // the desktop (the work area of its monitor), instead of on nothing (a
    // zero rectangle off the screen).
    SupportWindow = FromHwnd(GetDesktopWindow());
    int code = RunFrameLoop();
    ShutDown();
    return code;
}
