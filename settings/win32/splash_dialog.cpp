// The loading splash dialog: shows the module being loaded, runs the
// one-second timer whose ticks load the character, and ends on the sixth
// tick, a click or Enter once the character is loaded; never on Escape.
#include "mascot/product.h"
#include "platform/memory.h"
#include "platform/msgbox.h"
#include "platform/win32/wide_text.h"
#include "resources/zippit/resource.h"
#include "settings/settings.h"
#include "settings/splash.h"
#include "settings/win32/splash_dialog.h"

#include <windows.h>

namespace {

constexpr UINT_PTR kSplashTimer = 1;
constexpr LONG kSplashTrackWidth = 319;   // pixels, both the least and the largest size
constexpr LONG kSplashTrackHeight = 252;

SplashState g_splashState = {};  // the one splash of the run

BOOL OnInitDialog(HWND dialog) {
    SetDlgItemTextGbk(dialog, IDC_SPLASH_STATUS, kSplashLoading);
    SetDlgItemTextGbk(dialog, IDC_SPLASH_VERSION, kSplashVersion);
    SetDlgItemTextGbk(dialog, IDC_SPLASH_USER, UserSettings.UserName);

    int noModule = 0;
    char* name = ModuleDisplayName(UserSettings.Module, &noModule);
    if (!name) {
        if (noModule) {
            // The file name inside the GBK text is GBK too (platform/file.h),
            // whatever characters it has.
            char message[300];
            MissingModuleMessage(message, sizeof message, UserSettings.Module);
            SysMessageBox(dialog, message, kProductCaption, MessageIcon::kError);
        }
        EndDialog(dialog, 0);
        return TRUE;
    }
    SetDlgItemTextGbk(dialog, IDC_SPLASH_MODULE, name);
    SysFree(name);

    SplashOpen(&g_splashState);
    SetTimer(dialog, kSplashTimer, kSplashTickMs, nullptr);
    return TRUE;
}

// Ends the splash with success once the character is loaded; otherwise nothing.
void TryEnd(HWND dialog) {
    if (!SplashTryEnd(&g_splashState)) return;
    KillTimer(dialog, kSplashTimer);
    EndDialog(dialog, 1);
}

void OnTimer(HWND dialog) {
    switch (SplashOnTick(&g_splashState, UserSettings.Module)) {
        case SplashTick::kEnd:
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
            break;
        case SplashTick::kLoaded:
            SetDlgItemTextGbk(dialog, IDC_SPLASH_STATUS, kSplashLoaded);
            break;
        case SplashTick::kLoadFailed:
            KillTimer(dialog, kSplashTimer);
            EndDialog(dialog, 0);
            break;
        case SplashTick::kNothing:
            break;
    }
}

void OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = info->ptMaxTrackSize.x = kSplashTrackWidth;
    info->ptMinTrackSize.y = info->ptMaxTrackSize.y = kSplashTrackHeight;
}

INT_PTR CALLBACK SplashDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog);
        case WM_TIMER:
            OnTimer(dialog);
            return TRUE;
        case WM_COMMAND:
            // Only OK (Enter, or the sixth tick) may end it: Escape's IDCANCEL does nothing.
            if (wParam == IDOK) TryEnd(dialog);
            return TRUE;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            TryEnd(dialog);
            return TRUE;
        case WM_GETMINMAXINFO:
            OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR LoadingSplash() {
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SPLASH), nullptr, SplashDialogProc, 0);
    // A splash that ended another way (its loop broken from outside) keeps no sound.
    SplashReleaseSound(&g_splashState);
    return result == 1 ? 1 : 0;
}
