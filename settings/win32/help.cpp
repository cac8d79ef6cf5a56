// Help: WinHelp with the help file beside the program, else the shipped help
// page in the browser at the context's anchor.
#include "platform/win32/wide_text.h"
#include "settings/help.h"
#include "settings/win32/dialogs.h"

#include <shellapi.h>

#include <cstdio>

namespace {

// A path as the logic holds it: up to 4 bytes for each of MAX_PATH characters.
constexpr uint32_t kPathBytes = MAX_PATH * 4;

// The program's full path; empty when it does not fit.
void ProgramPath(char path[kPathBytes]) {
    wchar_t wide[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !NarrowText(wide, path, kPathBytes)) path[0] = 0;
}

// Opens the page at its anchor. Handing a file URL with an anchor to the shell
// alone can lose the anchor (it opens the page's file by association), so the
// browser registered for the page gets the URL as its argument; the shell's
// own handling of the URL is the fallback. The URL keeps the path's
// characters as they are and reaches the browser as UTF-16.
void ShowHelpPage(HWND owner, const char* program, int context) {
    char url[kPathBytes * 3 + 32];
    char page[kPathBytes];
    if (!HelpPageUrl(program, context, url, sizeof url) || !SiblingPath(program, kHelpPage, page, sizeof page))
        return;
    wchar_t browser[MAX_PATH] = L"";
    if (reinterpret_cast<INT_PTR>(FindExecutableW(WideText(page).get(), nullptr, browser)) > 32 && browser[0]) {
        char argument[sizeof url + 2];
        std::snprintf(argument, sizeof argument, "\"%s\"", url);
        if (reinterpret_cast<INT_PTR>(
                ShellExecuteW(owner, L"open", browser, WideText(argument).get(), nullptr, SW_SHOWNORMAL)) > 32)
            return;
    }
    ShellExecuteW(owner, L"open", WideText(url).get(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void ShowHelp(HWND owner, int context) {
    char program[kPathBytes];
    ProgramPath(program);
    if (ChooseHelpWay(program) == HelpWay::kWinHelp)
        WinHelpW(owner, WideText(kHelpFile).get(), HELP_CONTEXT, static_cast<ULONG_PTR>(context));
    else
        ShowHelpPage(owner, program, context);
}

void CloseHelp() {
    char program[kPathBytes];
    ProgramPath(program);
    if (ChooseHelpWay(program) == HelpWay::kWinHelp) WinHelpW(nullptr, WideText(kHelpFile).get(), HELP_QUIT, 0);
}
