// The main program's dialogs and help, as the mascot's menu runs them. Each
// runs modally, owned by `owner`, and returns the dialog's result.
#pragma once

#include <windows.h>

extern HINSTANCE Instance;  // the program's instance: its dialog templates and icon

// The loading splash (dialog 101, no owner): shows the start-up module's
// display name and loads the running character. Returns 1 when the character
// is loaded, 0 when start-up must end (the splash showed any message).
INT_PTR LoadingSplash();

// The help topic of the menu, the About dialog, the personality dialog and
// the module dialog. Not built yet: they open nothing and return 0.
void ShowMenuHelp(HWND owner);
INT_PTR AboutDialog(HWND owner);
INT_PTR PersonalityDialog(HWND owner);
INT_PTR ModuleSettingsDialog(HWND owner);
