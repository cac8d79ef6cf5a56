// Portable message boxes: nothing is shown; the last message is recorded for tests.
#include "platform/msgbox.h"
#include "platform/portable/hooks.h"

#include <string>

static int g_messageCount = 0;          // message boxes "shown" since the last clear
static std::string g_lastText;          // the last one's text
static std::string g_lastCaption;       // and caption
static int g_lastIcon = -1;             // and icon
static int g_answer = kAnswerYes;       // what Yes/No questions answer

int SysMessageBox(void*, const char* text, const char* caption, MessageIcon icon, MessageButtons buttons) {
    g_messageCount++;
    g_lastText = text ? text : "";
    g_lastCaption = caption ? caption : "";
    g_lastIcon = static_cast<int>(icon);
    return buttons == MessageButtons::kYesNo ? g_answer : kAnswerOk;
}

int SysTestMessageCount() { return g_messageCount; }
const char* SysTestLastMessageText() { return g_lastText.c_str(); }
const char* SysTestLastMessageCaption() { return g_lastCaption.c_str(); }
int SysTestLastMessageIcon() { return g_lastIcon; }

void SysTestClearMessages() {
    g_messageCount = 0;
    g_lastText.clear();
    g_lastCaption.clear();
    g_lastIcon = -1;
}

void SysTestSetMessageAnswer(int answer) { g_answer = answer; }
