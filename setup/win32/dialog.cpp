// The install-options dialog: shows what is installed, takes the folder and
// the shortcut choices, and on OK runs the installation and its finishing
// steps. Texts (GBK) and paths (UTF-8) reach the window as UTF-16.
#include "setup/dialog_logic.h"
#include "setup/install.h"
#include "setup/setup_system.h"
#include "setup/win32/resource.h"
#include "setup/win32/setup_program.h"
#include "setup/win32/win32_support.h"

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

void SetText(HWND dialog, int control, const char* gbk) {
    SetDlgItemTextW(dialog, control, WideFromGbk(gbk).c_str());
}

// The progress text: "<product> 必要的文件 ... <folder>正在复制", then the
// file's name on a line of its own. The folder and the name are paths.
void ShowProgress(void* context, const char* fileName) {
    char head[kMessageSize];
    FormatText(head, sizeof head, "%s 必要的文件        \n", Description.productName);
    std::wstring text = WideFromGbk(head) + WideFromUtf8(Description.installFolder) + WideFromGbk("正在复制");
    if (fileName) text += WideFromGbk("  \n\t") + WideFromUtf8(fileName);
    SetDlgItemTextW(static_cast<HWND>(context), IDC_PROGRESS, text.c_str());
}

// Path of a special folder of the shell. Returns 0 when the shell cannot give one.
int SpecialFolderPath(HWND owner, int folder, char (&path)[kPathSize]) {
    WCHAR wide[MAX_PATH];
    return SUCCEEDED(SHGetFolderPathW(owner, folder, nullptr, SHGFP_TYPE_CURRENT, wide)) &&
           Utf8FromWide(wide, path, sizeof path);
}

// Opens the document named by [Setup] OpenFile, if any, in the setup folder.
// Failures pass silently.
void OpenDocument() {
    char file[kPathSize];
    if (ReadSetupPath(&Description, "Setup", "OpenFile", file))
        ShellExecuteW(nullptr, nullptr, WideFromUtf8(file).c_str(), L"", WideFromUtf8(Description.setupFolder).c_str(),
                      SW_SHOWNORMAL);
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

// A path (UTF-8) for the shell object, or an empty variant when it cannot be made.
VARIANT PathVariant(const char* path) {
    VARIANT variant;
    VariantInit(&variant);
    variant.bstrVal = SysAllocString(WideFromUtf8(path).c_str());
    if (variant.bstrVal) variant.vt = VT_BSTR;
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
    VARIANT name = PathVariant(file), directory = PathVariant(folder), none, show;
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
    char file[kPathSize];
    if (ReadSetupPath(&Description, "Setup", "ExecFile", file) && !StartAsSignedInUser(file, Description.installFolder))
        ShellExecuteW(nullptr, nullptr, WideFromUtf8(file).c_str(), L"", WideFromUtf8(Description.installFolder).c_str(),
                      SW_SHOWNORMAL);
}

void EndSetup(HWND dialog, int result) {
    DestroyWindow(BackgroundWindow);
    EndDialog(dialog, result);
}

void OnInitDialog(HWND dialog) {
    char text[kMessageSize];
    MakeDialogCaption(&Description, text);
    SetWindowTextW(dialog, WideFromGbk(text).c_str());
    MakeHeading(&Description, text);
    SetText(dialog, IDC_HEADING, text);
    MakeInstruction(&Description, text);
    SetText(dialog, IDC_INSTRUCTION, text);
    // The folder is read back into a buffer of kPathSize bytes of UTF-8, at
    // most three for each character typed; the field takes no more, so
    // nothing typed is cut off unseen.
    SendDlgItemMessageW(dialog, IDC_INSTALL_FOLDER, EM_LIMITTEXT, (kPathSize - 1) / 3, 0);
    SetDlgItemTextW(dialog, IDC_INSTALL_FOLDER, WideFromUtf8(Description.installFolder).c_str());

    char flags[kValueSize];
    ReadSetupValue(&Description, "StartMenu", "Question", "G", flags);
    ApplyQuestionFlags(dialog, IDC_START_MENU_LINKS, flags);
    ReadSetupValue(&Description, "Desktop", "Question", "G", flags);
    ApplyQuestionFlags(dialog, IDC_DESKTOP_LINKS, flags);

    HWND edit = GetDlgItem(dialog, IDC_INSTALL_FOLDER);
    SetFocus(edit);
    PostMessageW(edit, EM_SETSEL, 0, -1);
}

void Install(HWND dialog) {
    int stopIndex = InstallFiles(&Description, ShowProgress, dialog);
    char folder[kPathSize];
    if (IsDlgButtonChecked(dialog, IDC_START_MENU_LINKS) == BST_CHECKED &&
        SpecialFolderPath(BackgroundWindow, CSIDL_PROGRAMS, folder))
        MakeStartMenuShortcuts(&Description, folder, stopIndex);
    WriteRegistryEntries(&Description);
    if (IsDlgButtonChecked(dialog, IDC_STARTUP_LINKS) == BST_CHECKED &&
        SpecialFolderPath(BackgroundWindow, CSIDL_STARTUP, folder))
        MakeShortcuts(&Description, "Startup", folder, stopIndex);
}

void OnOk(HWND dialog) {
    WCHAR typed[kPathSize];
    GetDlgItemTextW(dialog, IDC_INSTALL_FOLDER, typed, kPathSize);
    Utf8FromWide(typed, Description.installFolder, kPathSize);
    // The folder as the system resolves it, so the uninstaller finds its entry
    // however the folder was typed. A folder that is not rooted (".",
    // "Apps\X", "D:X") is refused with the dialog's one message about the
    // folder: it would land in the setup folder or wherever the current folder is.
    if (!SettleInstallFolder(&Description) ||
        !EnoughSpace(InstallDriveFreeSpace(Description.installFolder), Description.neededSize)) {
        ShowGbkMessage(dialog, "该驱动器没有足够的空间。              \n改变到另一个驱动器，或释放一些空间。",
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
    ShowGbkMessage(dialog, text, "退出", MB_ICONINFORMATION);
    StartProgram();
    EndSetup(dialog, 1);
}

void OnCancel(HWND dialog) {
    if (ShowGbkMessage(dialog, "中止安装。您确定吗？", "确认退出", MB_YESNO | MB_DEFBUTTON2) == IDYES)
        EndSetup(dialog, 0);
}

void OnBrowse(HWND dialog) {
    // The folder browser is a COM object of the shell.
    CoInitialize(nullptr);
    WCHAR path[1024];
    BROWSEINFOW browse = {};
    browse.hwndOwner = dialog;
    browse.pszDisplayName = path;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST list = SHBrowseForFolderW(&browse);
    if (!list) return;
    if (SHGetPathFromIDListW(list, path)) SetDlgItemTextW(dialog, IDC_INSTALL_FOLDER, path);
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
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_INSTALL_OPTIONS), owner, InstallOptionsProc, 0);
}
