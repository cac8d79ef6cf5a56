// Setup.exe's entry: the setup description, one Setup per product, the
// full-screen background with its blue bands and title, then the dialog.
#include "setup/background.h"
#include "setup/description.h"
#include "setup/win32/setup_program.h"
#include "setup/win32/win32_support.h"

#include <windows.h>

#include <cstring>

HWND BackgroundWindow;  // the background window, owner of the dialog

namespace {

constexpr char kStartupError[] = "启动安装程序错误。";
// The title font's face name, kept in Shift-JIS bytes.
constexpr char kTitleFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    // The whole screen, not the client area, so the bands keep their rows
    // whatever the caption takes.
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    for (int n = 0; n < kBandCount; n++) {
        Band band = BackgroundBand(n, height);
        RECT rect = {0, band.top, width, band.bottom};
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, band.blue));
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    SetBkMode(dc, TRANSPARENT);
    // The title is GBK text and TextOutA reads it in the code page of the
    // font's character set, so the font asks for the GB2312 set.
    HFONT font = CreateFontA(TitleFontHeight(width), 0, 0, 0, 900, FALSE, FALSE, FALSE, GB2312_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | FF_ROMAN,
                             kTitleFace);
    HGDIOBJ previous = SelectObject(dc, font);
    int length = static_cast<int>(std::strlen(Description.title));
    SetTextColor(dc, RGB(0, 0, 255));
    TextOutA(dc, 13, 13, Description.title, length);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, 10, 10, Description.title, length);
    SelectObject(dc, previous);
    DeleteObject(font);
    SetBkMode(dc, OPAQUE);
    EndPaint(window, &paint);
}

LRESULT CALLBACK BackgroundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int RegisterBackgroundClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = BackgroundProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "ICON");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = Description.title;
    return RegisterClassExA(&windowClass) != 0;
}

int CreateBackground(HINSTANCE instance) {
    BackgroundWindow = CreateWindowExA(0, Description.title, Description.title, WS_VISIBLE | WS_MAXIMIZE | WS_CAPTION, 0, 0,
                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                   instance, nullptr);
    if (!BackgroundWindow) return 0;
    ShowWindow(BackgroundWindow, SW_SHOWMAXIMIZED);
    UpdateWindow(BackgroundWindow);
    return 1;
}

// Claims the product's Setup mutex, named "ZippitSetup " and the title (a
// backslash, which would name a namespace, read as '/'). Two Setups started
// together can both miss each other's background window; only one gets the
// mutex. Returns 0 when another Setup holds it, also one of another user
// that cannot be opened; a mutex that cannot be made at all leaves the
// window check alone in charge. The mutex lives as long as the process.
int ClaimSetupMutex() {
    char name[MAX_PATH];
    FormatText(name, sizeof name, "ZippitSetup %s", Description.title);
    for (char* at = name; *at; at++)
        if (*at == '\\') *at = '/';
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    DWORD error = GetLastError();
    if (mutex && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return 0;
    }
    return mutex || error != ERROR_ACCESS_DENIED;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LimitDllSearchToSystem();
    SetupReadResult read = ReadSetupDescription(&Description);
    if (read == kNoSetupFolder) return 0;
    // A second Setup of the same product finds the first one's mutex or
    // background class. A background that cannot be made is a start-up failure too:
    // without it nothing would end the message loop.
    if (read != kSetupReady || !ClaimSetupMutex() || FindWindowA(Description.title, nullptr) ||
        !RegisterBackgroundClass(instance) || !CreateBackground(instance)) {
        MessageBoxA(nullptr, kStartupError, "Error", MB_ICONWARNING);
        return 0;
    }
    RunInstallOptionsDialog(instance, BackgroundWindow);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
