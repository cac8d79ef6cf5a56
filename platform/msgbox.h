// Platform message-box service: the only way the programs report to the user.
//
// On Windows a modal MessageBoxW, the GBK texts (a file name in them
// included, platform/file.h) converted to UTF-16, so they read the same
// whatever the system's code page; the portable build shows nothing and
// records the last message, so tests can check what the user would have seen.
#pragma once

enum class MessageIcon { kError, kWarning, kInformation, kQuestion };

enum class MessageButtons { kOk, kYesNo };

constexpr int kAnswerOk = 1;   // IDOK
constexpr int kAnswerYes = 6;  // IDYES
constexpr int kAnswerNo = 7;   // IDNO

// Shows `text` with `caption` and an icon, owned by `owner` (an opaque window
// handle, or nullptr for none). Returns the button chosen (kAnswer...). The
// portable build answers kAnswerOk, or for Yes/No the answer set for tests.
int SysMessageBox(void* owner, const char* text, const char* caption, MessageIcon icon,
                  MessageButtons buttons = MessageButtons::kOk);
