// The mascot program's settings dialogs and help, for the window procedure's
// menu commands: each dialog runs modally, owned by the given window (the
// mascot window), and returns when it ends.
#pragma once

#include <windows.h>

// Personality and sound (dialog 107). Changes UserSettings.CharActPer and
// SndUse in memory on "确定"; returns 1 then, 0 on "取消", Escape or the close box.
int PersonalityDialog(HWND owner);
INT_PTR CALLBACK PersonalityDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// About (dialog 104): caption, version, running module, user name. Closes
// only on "确定" or Enter; returns 0.
int AboutDialog(HWND owner);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Module settings (dialog 106): lists the *.Pkm modules of the current
// directory, switches the running character, deletes modules not in use.
// Returns 1 after a switch, 0 otherwise.
int ModuleSettingsDialog(HWND owner);
INT_PTR CALLBACK ModuleSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Fills the list box with one entry per listed module: the display name as
// its text, a new copy of the file name (released with SysFree) as its item
// data. Entries whose data cannot be made are left out.
void FillModuleList(HWND list);

// Shows help at a context number (kHelpMenu, kHelpPersonality, kHelpModules
// of settings/help.h): WinHelp with "Pocopal.hlp" when that file lies beside
// the program, else the help page beside the program at the context's anchor.
// Returns at once; nothing is reported.
void ShowHelp(HWND owner, int context);

// At shutdown: tells the WinHelp viewer to close (HELP_QUIT) where help is
// shown with it.
void CloseHelp();
