// The menu's help and its three dialogs (About, personality, modules): the
// places where they plug in. Until they are built they open nothing.
#include "settings/win32/dialogs.h"

HINSTANCE Instance = nullptr;

void ShowMenuHelp(HWND) {}
INT_PTR AboutDialog(HWND) { return 0; }
INT_PTR PersonalityDialog(HWND) { return 0; }
INT_PTR ModuleSettingsDialog(HWND) { return 0; }
