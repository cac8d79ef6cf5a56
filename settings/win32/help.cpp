// Help: WinHelp with the help file beside the program, else the shipped help
// page in the browser at the context's anchor.
#include "settings/help.h"
#include "settings/win32/dialogs.h"

#include <shellapi.h>

#include <cstdio>

namespace {

// The program's full path; empty when it does not fit.
void ProgramPath(char path[MAX_PATH]) {
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) path[0] = 0;
}

// Opens the page at its anchor. Handing a file URL with an anchor to the shell
// alone can lose the anchor (it opens the page's file by association), so the
// browser registered for the page gets the URL as its argument; the shell's
// own handling of the URL is the fallback.
void ShowHelpPage(HWND owner, const char* program, int context) {
    char url[MAX_PATH * 3 + 32];
    char page[MAX_PATH];
    if (!HelpPageUrl(program, context, url, sizeof url) || !SiblingPath(program, kHelpPage, page, sizeof page))
        return;
    char browser[MAX_PATH] = "";
    if (reinterpret_cast<INT_PTR>(FindExecutableA(page, nullptr, browser)) > 32 && browser[0]) {
        char argument[sizeof url + 2];
        std::snprintf(argument, sizeof argument, "\"%s\"", url);
        if (reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", browser, argument, nullptr, SW_SHOWNORMAL)) > 32)
            return;
    }
    ShellExecuteA(owner, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void ShowHelp(HWND owner, int context) {
    char program[MAX_PATH];
    ProgramPath(program);
    if (ChooseHelpWay(program) == HelpWay::kWinHelp)
        WinHelpA(owner, kHelpFile, HELP_CONTEXT, static_cast<ULONG_PTR>(context));
    else
        ShowHelpPage(owner, program, context);
}

void CloseHelp() {
    char program[MAX_PATH];
    ProgramPath(program);
    if (ChooseHelpWay(program) == HelpWay::kWinHelp) WinHelpA(nullptr, kHelpFile, HELP_QUIT, 0);
}
