// Resource ids of Setup.exe, shared by its resource script and its code.
#pragma once

#define IDD_INSTALL_OPTIONS 103
#define IDC_HEADING 1000
#define IDC_INSTALL_FOLDER 1001
#define IDC_BROWSE 1002
#define IDC_INSTRUCTION 1004
#define IDC_PROGRESS 1005
#define IDC_DESKTOP_LINKS 1006
#define IDC_START_MENU_LINKS 1007
#define IDC_STARTUP_LINKS 1008
