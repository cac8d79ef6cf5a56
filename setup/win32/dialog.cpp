// The install-options dialog: shows what is installed, takes the folder and
// the shortcut choices, and on OK runs the installation and its finishing steps.
#include "setup/dialog_logic.h"
#include "setup/install.h"
#include "setup/win32/resource.h"
#include "setup/win32/setup_program.h"

#include "setup/setup_system.h"

#include <windows.h>
#include <exdisp.h>
#include <objbase.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

namespace {

void ApplyQuestionFlags(HWND dialog, int control, const char* flags) {
    QuestionEffect effect = ReadQuestionFlags(flags);
    if (effect.setsCheck) CheckDlgButton(dialog, control, effect.checked ? BST_CHECKED : BST_UNCHECKED);
    if (effect.disables) EnableWindow(GetDlgItem(dialog, control), FALSE);
}

void ShowProgress(void* context, const char* text) { SetDlgItemTextA(static_cast<HWND>(context), IDC_PROGRESS, text); }

// Path of a special folder of the shell. Returns 0 when the shell cannot give one.
int SpecialFolderPath(HWND owner, int folder, char (&path)[MAX_PATH]) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, folder, &list)) || !list) return 0;
    BOOL ok = SHGetPathFromIDListA(list, path);
    CoTaskMemFree(list);
    return ok != 0;
}

// Opens the document named by [Setup] OpenFile, if any, in the setup folder.
// Failures pass silently.
void OpenDocument() {
    char file[kValueSize];
    ReadSetupValue(&Description, "Setup", "OpenFile", "", file);
    if (file[0]) ShellExecuteA(nullptr, nullptr, file, "", Description.setupFolder, SW_SHOWNORMAL);
}

// The desktop's shell object (the Shell.Application of the shell's own
// process), reached through its folder view. Returns nullptr when a step fails.
IShellDispatch2* DesktopShell() {
    IShellWindows* windows = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                reinterpret_cast<void**>(&windows))))
        return nullptr;
    VARIANT empty;
    VariantInit(&empty);
    long window = 0;
    IDispatch* desktop = nullptr;
    IServiceProvider* services = nullptr;
    IShellBrowser* browser = nullptr;
    IShellView* view = nullptr;
    IDispatch* background = nullptr;
    IShellFolderViewDual* folderView = nullptr;
    IDispatch* application = nullptr;
    IShellDispatch2* shell = nullptr;
    if (windows->FindWindowSW(&empty, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &desktop) == S_OK &&
        SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services))) &&
        SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void**>(&browser))) &&
        SUCCEEDED(browser->QueryActiveShellView(&view)) &&
        SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(&background))) &&
        SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void**>(&folderView))) &&
        SUCCEEDED(folderView->get_Application(&application)))
        application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(&shell));
    IUnknown* taken[] = {application, folderView, background, view, browser, services, desktop, windows};
    for (IUnknown* object : taken)
        if (object) object->Release();
    return shell;
}

// A text for the shell object, or an empty variant (no text) when it cannot be made.
VARIANT TextVariant(const char* text) {
    VARIANT variant;
    VariantInit(&variant);
    WCHAR wide[kPathSize];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kPathSize) > 0) {
        variant.vt = VT_BSTR;
        variant.bstrVal = SysAllocString(wide);
        if (!variant.bstrVal) variant.vt = VT_EMPTY;
    }
    return variant;
}

// Starts `file` in `folder` through the desktop's shell, so that it runs as
// the signed-in user and not with Setup's elevation (an elevated program
// takes no files dropped from the shell's windows). Returns 1 when the shell
// took it.
int StartAsSignedInUser(const char* file, const char* folder) {
    // The shell's process has a current folder of its own: a file of the
    // folder is handed over in full.
    char full[kPathSize];
    if (!IsRootedPath(file) && FormatPath(full, sizeof full, "%s\\%s", folder, file) && SysPathExists(full))
        file = full;
    CoInitialize(nullptr);
    IShellDispatch2* shell = DesktopShell();
    if (!shell) return 0;
    // No arguments and the default verb: empty variants.
    VARIANT name = TextVariant(file), directory = TextVariant(folder), none, show;
    VariantInit(&none);
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    HRESULT result = name.vt == VT_BSTR ? shell->ShellExecute(name.bstrVal, none, directory, none, show) : E_FAIL;
    VariantClear(&name);
    VariantClear(&directory);
    shell->Release();
    return SUCCEEDED(result);
}

// Starts the program named by [Setup] ExecFile, if any, in the install
// folder, as the signed-in user where the shell allows it, else as Setup
// itself runs. Failures pass silently.
void StartProgram() {
    char file[kValueSize];
    ReadSetupValue(&Description, "Setup", "ExecFile", "", file);
    if (file[0] && !StartAsSignedInUser(file, Description.installFolder))
        ShellExecuteA(nullptr, nullptr, file, "", Description.installFolder, SW_SHOWNORMAL);
}

void EndSetup(HWND dialog, int result) {
    DestroyWindow(BackgroundWindow);
    EndDialog(dialog, result);
}

void OnInitDialog(HWND dialog) {
    char text[kMessageSize];
    MakeDialogCaption(&Description, text);
    SetWindowTextA(dialog, text);
    MakeHeading(&Description, text);
    SetDlgItemTextA(dialog, IDC_HEADING, text);
    MakeInstruction(&Description, text);
    SetDlgItemTextA(dialog, IDC_INSTRUCTION, text);
    // The folder is read back into a buffer of kValueSize bytes; the field
    // takes no more, so nothing typed is cut off unseen.
    SendDlgItemMessageA(dialog, IDC_INSTALL_FOLDER, EM_LIMITTEXT, kValueSize - 1, 0);
    SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, Description.installFolder);

    char flags[kValueSize];
    ReadSetupValue(&Description, "StartMenu", "Question", "G", flags);
    ApplyQuestionFlags(dialog, IDC_START_MENU_LINKS, flags);
    ReadSetupValue(&Description, "Desktop", "Question", "G", flags);
    ApplyQuestionFlags(dialog, IDC_DESKTOP_LINKS, flags);

    HWND edit = GetDlgItem(dialog, IDC_INSTALL_FOLDER);
    SetFocus(edit);
    PostMessageA(edit, EM_SETSEL, 0, -1);
}

void Install(HWND dialog) {
    int stopIndex = InstallFiles(&Description, ShowProgress, dialog);
    char folder[MAX_PATH];
    if (IsDlgButtonChecked(dialog, IDC_START_MENU_LINKS) == BST_CHECKED &&
        SpecialFolderPath(BackgroundWindow, CSIDL_PROGRAMS, folder))
        MakeStartMenuShortcuts(&Description, folder, stopIndex);
    WriteRegistryEntries(&Description);
    if (IsDlgButtonChecked(dialog, IDC_STARTUP_LINKS) == BST_CHECKED &&
        SpecialFolderPath(BackgroundWindow, CSIDL_STARTUP, folder))
        MakeShortcuts(&Description, "Startup", folder, stopIndex);
}

void OnOk(HWND dialog) {
    GetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, Description.installFolder, kValueSize);
    // The folder as the system resolves it, so the uninstaller finds its entry
    // however the folder was typed. A folder that is not rooted (".",
    // "Apps\X", "D:X") is refused with the dialog's one message about the
    // folder: it would land in the setup folder or wherever the current folder is.
    if (!SettleInstallFolder(&Description) ||
        !EnoughSpace(InstallDriveFreeSpace(Description.installFolder), Description.neededSize)) {
        MessageBoxA(dialog, "该驱动器没有足够的空间。              \n改变到另一个驱动器，或释放一些空间。",
                    Description.productName, MB_ICONWARNING);
        return;
    }
    ApplyQuestionFlags(dialog, IDCANCEL, "G");
    ApplyQuestionFlags(dialog, IDOK, "G");
    ApplyQuestionFlags(dialog, IDC_BROWSE, "G");
    Install(dialog);

    OpenDocument();
    char text[kMessageSize];
    MakeCompletionMessage(&Description, text);
    MessageBoxA(dialog, text, "退出", MB_ICONINFORMATION);
    StartProgram();
    EndSetup(dialog, 1);
}

void OnCancel(HWND dialog) {
    if (MessageBoxA(dialog, "中止安装。您确定吗？", "确认退出", MB_YESNO | MB_DEFBUTTON2) == IDYES) EndSetup(dialog, 0);
}

void OnBrowse(HWND dialog) {
    // The folder browser is a COM object of the shell.
    CoInitialize(nullptr);
    char path[1024];
    BROWSEINFOA browse = {};
    browse.hwndOwner = dialog;
    browse.pszDisplayName = path;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST list = SHBrowseForFolderA(&browse);
    if (!list) return;
    if (SHGetPathFromIDListA(list, path)) SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, path);
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(list);
        allocator->Release();
    }
}

INT_PTR CALLBACK InstallOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        OnInitDialog(dialog);
    } else if (message == WM_COMMAND) {
        switch (LOWORD(wParam)) {
        case IDOK: OnOk(dialog); break;
        case IDCANCEL: OnCancel(dialog); break;
        case IDC_BROWSE: OnBrowse(dialog); break;
        default: break;
        }
    }
    return FALSE;
}

}  // namespace

void RunInstallOptionsDialog(HINSTANCE instance, HWND owner) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INSTALL_OPTIONS), owner, InstallOptionsProc, 0);
}
