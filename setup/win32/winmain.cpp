// Setup.exe's entry: the setup description, one Setup per product, the
// full-screen background with its blue bands and title, then the dialog.
// The window's texts (GBK) reach the system as UTF-16.
#include "setup/background.h"
#include "setup/description.h"
#include "setup/win32/setup_program.h"
#include "setup/win32/win32_support.h"

#include <windows.h>

#include <string>

HWND BackgroundWindow;  // the background window, owner of the dialog

namespace {

constexpr char kStartupError[] = "启动安装程序错误。";
// The title font's face name, kept in Shift-JIS bytes (code page 932).
constexpr char kTitleFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr UINT kShiftJis = 932;

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
    // The title is Chinese: the font asks for the GB2312 set, so that the
    // font mapper picks one that has its characters.
    WCHAR face[LF_FACESIZE] = L"";
    MultiByteToWideChar(kShiftJis, 0, kTitleFace, -1, face, LF_FACESIZE);
    HFONT font = CreateFontW(TitleFontHeight(width), 0, 0, 0, 900, FALSE, FALSE, FALSE, GB2312_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | FF_ROMAN, face);
    HGDIOBJ previous = SelectObject(dc, font);
    std::wstring title = WideFromGbk(Description.title);
    int length = static_cast<int>(title.size());
    SetTextColor(dc, RGB(0, 0, 255));
    TextOutW(dc, 13, 13, title.c_str(), length);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutW(dc, 10, 10, title.c_str(), length);
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
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int RegisterBackgroundClass(HINSTANCE instance, const std::wstring& title) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = BackgroundProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, L"ICON");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = title.c_str();
    return RegisterClassExW(&windowClass) != 0;
}

int CreateBackground(HINSTANCE instance, const std::wstring& title) {
    BackgroundWindow = CreateWindowExW(0, title.c_str(), title.c_str(), WS_VISIBLE | WS_MAXIMIZE | WS_CAPTION, 0, 0,
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
    HANDLE mutex = CreateMutexW(nullptr, FALSE, WideFromGbk(name).c_str());
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
    std::wstring title = WideFromGbk(Description.title);
    if (read != kSetupReady || !ClaimSetupMutex() || FindWindowW(title.c_str(), nullptr) ||
        !RegisterBackgroundClass(instance, title) || !CreateBackground(instance, title)) {
        ShowGbkMessage(nullptr, kStartupError, "Error", MB_ICONWARNING);
        return 0;
    }
    RunInstallOptionsDialog(instance, BackgroundWindow);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
