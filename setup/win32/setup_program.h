// What the parts of Setup.exe share: the background window and the dialog's entry.
#pragma once

#include <windows.h>

// The full-screen background window; its destruction ends Setup.
extern HWND BackgroundWindow;

// Runs the install-options dialog modally, owned by `owner`. When it returns,
// the background window has been destroyed (installation done or cancelled).
void RunInstallOptionsDialog(HINSTANCE instance, HWND owner);
