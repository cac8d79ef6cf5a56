// Win32 message boxes: MessageBoxW.
#include "platform/msgbox.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

int SysMessageBox(void* owner, const char* text, const char* caption, MessageIcon icon, MessageButtons buttons) {
    UINT style = buttons == MessageButtons::kYesNo ? MB_YESNO : MB_OK;
    switch (icon) {
        case MessageIcon::kError: style |= MB_ICONERROR; break;
        case MessageIcon::kWarning: style |= MB_ICONWARNING; break;
        case MessageIcon::kInformation: style |= MB_ICONINFORMATION; break;
        case MessageIcon::kQuestion: style |= MB_ICONQUESTION; break;
    }
    return MessageBoxW(static_cast<HWND>(owner), WideText(text).get(), WideText(caption).get(), style);
}
