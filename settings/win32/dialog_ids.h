// Resource and control ids of the mascot program's settings dialogs, shared
// by their resource script and their dialog procedures.
#pragma once

#define IDI_PROGRAM 101  // the program icon, drawn in the program's main resource script

#define IDD_ABOUT 104
#define IDD_MODULES 106
#define IDD_PERSONALITY 107

#define IDC_PRODUCT_CAPTION 1000
#define IDC_VERSION 1001
#define IDC_PERSONALITY_SLIDER 1003
#define IDC_SOUND_BOX 1005
#define IDC_MODULE_LIST 1019
#define IDC_RUNNING_MODULE 1020
#define IDC_USER_NAME 1021
#define IDC_MODULE_HELP 1023

// Buttons that share the standard ids: OK 1, Cancel 2, and these two, 3.
#define IDC_DELETE_MODULE 3
#define IDC_PERSONALITY_HELP 3
