// Resource and command ids of Zippit.exe, shared by its resource script, the
// mascot window and the dialogs.
#pragma once

// Icon: the program and tray icon. Bitmap: the splash picture.
#define IDI_ZIPPIT 101
#define IDB_SPLASH 103

// Dialog templates.
#define IDD_SPLASH 101
#define IDD_ABOUT 104
#define IDD_MODULES 106
#define IDD_PERSONALITY 107

// Controls of the loading splash.
#define IDC_SPLASH_VERSION 1000
#define IDC_SPLASH_STATUS 1001
#define IDC_SPLASH_MODULE 1002
#define IDC_SPLASH_USER 1020

// Commands of the mascot's popup menu.
#define IDM_EXIT 40002
#define IDM_ABOUT 40003
#define IDM_MAIL 40005
#define IDM_MODULES 40010
#define IDM_HELP 40101
#define IDM_PERSONALITY 40102
