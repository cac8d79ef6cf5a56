// The mascot window: its window procedure, tray icon and popup menu, and the
// process-wide handles that start-up sets for them.
#pragma once

#include <windows.h>
#include <shellapi.h>

extern HINSTANCE Instance;            // the program's instance: its dialog templates, icon and splash picture
extern HANDLE InstanceMutex;          // the named mutex that marks a running copy
extern HICON TrayIconHandle;          // icon 101, shown in the notification area
extern NOTIFYICONDATAW TrayIcon;      // the notification-area icon, from creation to destruction

constexpr char kMainWindowClass[] = "PK32MainWClass";
constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayCallback = WM_USER;  // what the tray icon sends, the mouse message in lParam

// The mascot window's procedure: the whole window is a caption (a left drag
// moves it and then snaps the character back onto the supporting window), a
// right click on the character or on the tray icon opens the menu, dropped files
// are opened, the window is painted from the back buffer in the character's
// palette. Destroying it removes the tray icon, releases the mutex and posts
// the quit message (code 0). The end of the session saves the settings and
// removes the tray icon; a re-created taskbar gets the icon again; while a
// modal dialog of the program is open the tray icon opens no menu. The
// user's hide key hides the character and stops its frames until pressed
// again, and so do a locked session and a display turned off, while they last.
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Writes the settings with the running module's name, the first time it is
// called in the run only: the end of the session and ShutDown both call it,
// and the first one writes.
void SaveSettingsOnce();

// Builds the popup menu's ten entries. The caller destroys it (DestroyMenu).
HMENU BuildPopupMenu();

// Opens the popup menu at the cursor (its bottom-left corner there) and
// carries out the chosen command through WM_COMMAND to `window`.
void ShowPopupMenu(HWND window);

// Opens each dropped file with its default action, in the order the drop
// reports them, then releases the drop. A path longer than 255 characters
// is skipped rather than opened cut short.
void OpenDroppedFiles(HDROP drop);
