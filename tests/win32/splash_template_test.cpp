// The loading splash's dialog template as Zippit.exe carries it: made into a
// real dialog under Wine, its size, styles, font and controls (order, ids,
// classes, places in dialog units, texts) and the picture's size.
#include "resources/zippit/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A rectangle given in dialog units, in the dialog's client pixels.
RECT Units(HWND dialog, int x, int y, int cx, int cy) {
    RECT rect = {x, y, x + cx, y + cy};
    MapDialogRect(dialog, &rect);
    return rect;
}

TEST(SplashTemplate, IsLaidOutAsDesigned) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SPLASH), nullptr,
                                     QuietDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    LONG_PTR style = GetWindowLongPtrA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION) << "no caption";
    EXPECT_FALSE(style & (WS_BORDER | WS_THICKFRAME | DS_MODALFRAME)) << "no border";
    EXPECT_TRUE(GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT client;
    GetClientRect(dialog, &client);
    RECT whole = Units(dialog, 0, 0, 190, 161);
    EXPECT_EQ(client.right, whole.right);
    EXPECT_EQ(client.bottom, whole.bottom);

    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "宋体");

    const struct {
        int id;
        int x, y, cx, cy;  // dialog units; the picture's size is its bitmap's
        const char* text;  // nullptr: not checked
    } controls[] = {
        {-1, 0, 0, 190, 161, ""},
        {-1, 5, 4, 0, 0, nullptr},
        {-1, 6, 113, 25, 8, "版本"},
        {-1, 57, 128, 125, 27, nullptr},
        {IDC_SPLASH_STATUS, 100, 70, 85, 10, ""},
        {IDC_SPLASH_MODULE, 100, 38, 85, 22, ""},
        {-1, 100, 25, 85, 10, "正在加载的组件是..."},
        {IDC_SPLASH_VERSION, 32, 113, 42, 8, ""},
        {-1, 75, 114, 32, 10, "用户名"},
        {IDC_SPLASH_USER, 107, 114, 75, 10, ""},
    };
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const auto& expected : controls) {
        SCOPED_TRACE(expected.y * 1000 + expected.x);
        ASSERT_NE(child, nullptr);
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        EXPECT_STREQ(className, "Static");
        EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), expected.id);
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        // Place and size are converted separately, as dialogs do.
        RECT place = Units(dialog, expected.x, expected.y, 0, 0);
        RECT size = Units(dialog, 0, 0, expected.cx, expected.cy);
        EXPECT_EQ(rect.left, place.left);
        EXPECT_EQ(rect.top, place.top);
        if (expected.cx) {
            EXPECT_EQ(rect.right - rect.left, size.right);
            EXPECT_EQ(rect.bottom - rect.top, size.bottom);
        } else {
            EXPECT_EQ(GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
            EXPECT_EQ(rect.right - rect.left, 137);
            EXPECT_EQ(rect.bottom - rect.top, 155);
        }
        if (expected.text) {
            char text[64] = "";
            GetWindowTextA(child, text, sizeof text);
            EXPECT_STREQ(text, expected.text);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no more controls";

    BITMAP picture = {};
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SPLASH));
    ASSERT_NE(bitmap, nullptr);
    GetObjectA(bitmap, sizeof picture, &picture);
    EXPECT_EQ(picture.bmWidth, 137);
    EXPECT_EQ(picture.bmHeight, 155);
    DeleteObject(bitmap);
    EXPECT_NE(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ZIPPIT)), nullptr);
    DestroyWindow(dialog);
}

}  // namespace
