// The program's help: a WinHelp file, "Pocopal.hlp", opened at a context
// number, or, where no such file lies beside the program, the help page
// shipped beside it (Zippit.html), opened in the browser at the context's
// anchor ("#topic-1", "#topic-10", "#topic-11").
#pragma once

#include <cstdint>

constexpr char kHelpFile[] = "Pocopal.hlp";
constexpr char kHelpPage[] = "Zippit.html";
constexpr int32_t kHelpMenu = 1;          // the menu's help entry
constexpr int32_t kHelpPersonality = 10;  // F1 in the personality dialog
constexpr int32_t kHelpModules = 11;      // F1 in the module dialog

enum class HelpWay { kWinHelp, kPage };

// Decides how help is shown for the program at `programPath` (its full
// path): the WinHelp file when a file (not a folder) named kHelpFile lies in
// the program's folder, else the page.
HelpWay ChooseHelpWay(const char* programPath);

// Puts into `out` the path of `name` in the folder of `programPath` (the part
// up to its last '\\' or '/', or none). Returns 1, or 0 when it does not fit
// in `capacity` bytes (out is then empty).
int SiblingPath(const char* programPath, const char* name, char* out, uint32_t capacity);

// Puts into `out` the file URL of the help page beside the program at the
// anchor of `context`: "file:///C:/dir/Zippit.html#topic-10" (a UNC path
// gives "file://server/share/...", a rooted "/dir/..." "file:///dir/...").
// Backslashes become slashes; blanks, '%',
// '#', '?' and control bytes are percent-escaped; GBK characters stay as
// they are (on Windows the URL reaches the browser as UTF-16, platform/file.h).
// Returns 1, or 0 when it does not fit in `capacity` bytes (out is then empty).
int HelpPageUrl(const char* programPath, int32_t context, char* out, uint32_t capacity);
