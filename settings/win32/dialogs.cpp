// The settings dialogs: personality and sound, About, module settings.
#include "settings/win32/dialogs.h"

#include "mascot/product.h"
#include "mascot/running_character.h"
#include "mascot/state.h"
#include "platform/directory.h"
#include "platform/memory.h"
#include "platform/msgbox.h"
#include "platform/win32/wide_text.h"
#include "settings/help.h"
#include "settings/module_library.h"
#include "settings/personality.h"
#include "settings/settings.h"
#include "settings/win32/dialog_ids.h"

#include <commctrl.h>

namespace {

constexpr char kVersionText[] = "1.00 版";

HINSTANCE ProgramInstance() { return GetModuleHandleA(nullptr); }

// ---- Personality and sound ----

void OnPersonalityInit(HWND dialog) {
    HWND slider = GetDlgItem(dialog, IDC_PERSONALITY_SLIDER);
    SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(kSliderMin, kSliderMax));
    SendMessageA(slider, TBM_SETPOS, TRUE, SliderPositionFor(UserSettings.CharActPer));
    SendMessageA(slider, TBM_SETPAGESIZE, 0, kSliderStep);
    SendMessageA(slider, TBM_SETLINESIZE, 0, kSliderStep);
    CheckDlgButton(dialog, IDC_SOUND_BOX, SoundBoxChecked(UserSettings.SndUse) ? BST_CHECKED : BST_UNCHECKED);
}

void OnPersonalityOk(HWND dialog) {
    LRESULT position = SendDlgItemMessageA(dialog, IDC_PERSONALITY_SLIDER, TBM_GETPOS, 0, 0);
    ConfirmPersonality(static_cast<int32_t>(position), IsDlgButtonChecked(dialog, IDC_SOUND_BOX) == BST_CHECKED);
    EndDialog(dialog, 1);
}

// ---- Module settings ----

HWND ModuleListBox(HWND dialog) { return GetDlgItem(dialog, IDC_MODULE_LIST); }

void EnableModuleButtons(HWND dialog, BOOL enable) {
    EnableWindow(GetDlgItem(dialog, IDOK), enable);
    EnableWindow(GetDlgItem(dialog, IDC_DELETE_MODULE), enable);
}

// The file name held by the selected entry, and its index; nullptr when
// nothing is selected.
char* SelectedModule(HWND dialog, LRESULT* index) {
    *index = SendMessageA(ModuleListBox(dialog), LB_GETCURSEL, 0, 0);
    if (*index == LB_ERR) return nullptr;
    LRESULT data = SendMessageA(ModuleListBox(dialog), LB_GETITEMDATA, static_cast<WPARAM>(*index), 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<char*>(data);
}

void OnModulesInit(HWND dialog) {
    SetDlgItemTextGbk(dialog, IDC_RUNNING_MODULE, RunningCharacter.name);
    FillModuleList(ModuleListBox(dialog));
}

void OnModuleChange(HWND dialog) {
    LRESULT index = 0;
    char* fileName = SelectedModule(dialog, &index);
    if (!fileName) return;
    if (SwitchRunningCharacter(fileName)) {
        EndDialog(dialog, 1);
        return;
    }
    SysMessageBox(dialog, kMsgModuleInvalid, kProductCaption, MessageIcon::kWarning);
    EndDialog(dialog, 0);
}

void OnModuleDelete(HWND dialog) {
    LRESULT index = 0;
    char* fileName = SelectedModule(dialog, &index);
    if (!fileName) return;
    if (IsModuleInUse(fileName, RunningCharacter.modulePath)) {
        SysMessageBox(dialog, kMsgModuleInUse, kProductCaption, MessageIcon::kWarning);
        return;
    }
    // The entry's text is read whole, back into GBK; the question cuts a long one itself.
    HWND list = ModuleListBox(dialog);
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return;
    wchar_t* wide = static_cast<wchar_t*>(SysAlloc((static_cast<size_t>(length) + 1) * sizeof(wchar_t)));
    uint32_t capacity = static_cast<uint32_t>(length) * 4 + 1;  // up to 4 bytes a unit
    char* displayName = static_cast<char*>(SysAlloc(capacity));
    if (!wide || !displayName) {
        SysFree(displayName);
        SysFree(wide);
        return;
    }
    wide[0] = 0;
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide));
    NarrowText(wide, displayName, capacity);
    SysFree(wide);
    char question[kDeleteQuestionCapacity];
    BuildDeleteQuestion(displayName, question);
    SysFree(displayName);
    if (SysMessageBox(dialog, question, kProductCaption, MessageIcon::kWarning, MessageButtons::kYesNo) != kAnswerYes)
        return;
    SysDeleteFile(fileName);  // a file that stays is listed again at the next opening
    SysFree(fileName);
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    EnableModuleButtons(dialog, FALSE);
}

// Every ending of the dialog passes here: the entries' file names go.
void OnModulesDestroy(HWND dialog) {
    HWND list = ModuleListBox(dialog);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        if (data != LB_ERR) SysFree(reinterpret_cast<char*>(data));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(i), 0);
    }
}

}  // namespace

// Commands are recognised by their whole wParam (id, notification code 0),
// except the list's selection change, recognised by its code and its window.

INT_PTR CALLBACK PersonalityDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnPersonalityInit(dialog);
            return TRUE;
        case WM_COMMAND:
            if (wParam == IDOK) {
                OnPersonalityOk(dialog);
            } else if (wParam == IDCANCEL) {
                EndDialog(dialog, 0);
            } else if (wParam == IDC_PERSONALITY_HELP) {
                ShowHelp(dialog, kHelpPersonality);
            } else {
                return FALSE;
            }
            return TRUE;
        case WM_HELP:
            ShowHelp(dialog, kHelpPersonality);
            return TRUE;
    }
    return FALSE;
}

int PersonalityDialog(HWND owner) {
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES;  // the trackbar
    InitCommonControlsEx(&controls);
    return static_cast<int>(
        DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_PERSONALITY), owner, PersonalityDialogProc, 0));
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextGbk(dialog, IDC_PRODUCT_CAPTION, kProductCaption);
            SetDlgItemTextGbk(dialog, IDC_VERSION, kVersionText);
            SetDlgItemTextGbk(dialog, IDC_RUNNING_MODULE, RunningCharacter.name);
            SetDlgItemTextGbk(dialog, IDC_USER_NAME, UserSettings.UserName);
            return TRUE;
        case WM_COMMAND:
            // Only "确定" (or Enter) ends it: Escape and the close box arrive
            // as IDCANCEL and are taken without effect.
            if (wParam == IDOK) EndDialog(dialog, 0);
            return wParam == IDOK || wParam == IDCANCEL;
    }
    return FALSE;
}

int AboutDialog(HWND owner) {
    return static_cast<int>(
        DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutDialogProc, 0));
}

void FillModuleList(HWND list) {
    ModuleList modules;
    if (!ListModules(kModulePattern, &modules)) return;
    for (int32_t i = 0; i < modules.count; i++) {
        ModuleListing& entry = modules.entries[i];
        WideText displayName(entry.displayName);
        LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(displayName.get()));
        if (index == LB_ERR || index == LB_ERRSPACE) continue;
        // The sorted list reports where the entry went; its data goes there.
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.fileName));
        entry.fileName = nullptr;  // owned by the list entry now
    }
    ReleaseModuleList(&modules);
}

INT_PTR CALLBACK ModuleSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnModulesInit(dialog);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) == LBN_SELCHANGE && reinterpret_cast<HWND>(lParam) == ModuleListBox(dialog)) {
                EnableModuleButtons(dialog, TRUE);
            } else if (wParam == IDOK) {
                OnModuleChange(dialog);
            } else if (wParam == IDC_DELETE_MODULE) {
                OnModuleDelete(dialog);
            } else if (wParam == IDCANCEL) {
                EndDialog(dialog, 0);
            } else if (wParam == IDC_MODULE_HELP) {
                ShowHelp(dialog, kHelpModules);
            } else {
                return FALSE;
            }
            return TRUE;
        case WM_HELP:
            ShowHelp(dialog, kHelpModules);
            return TRUE;
        case WM_DESTROY:
            OnModulesDestroy(dialog);
            return FALSE;
    }
    return FALSE;
}

int ModuleSettingsDialog(HWND owner) {
    return static_cast<int>(
        DialogBoxParamW(ProgramInstance(), MAKEINTRESOURCEW(IDD_MODULES), owner, ModuleSettingsDialogProc, 0));
}
