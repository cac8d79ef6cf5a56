// Tests of the conversion between the logic's byte strings and UTF-16: every
// character survives the round trip in a form GBK walkers cannot misread, and
// a file name GBK cannot spell is found, compared, quoted in a message and
// deleted (zippit_dialogs.sh has one listed, loaded and stored). Run under
// code page 936 and 1252.
#include "platform/directory.h"
#include "platform/win32/wide_text.h"
#include "settings/splash.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Narrow(const std::wstring& wide) {
    std::string bytes(EncodeFromWide(wide.data(), static_cast<uint32_t>(wide.size()), nullptr, 0), '\0');
    EncodeFromWide(wide.data(), static_cast<uint32_t>(wide.size()), &bytes[0], static_cast<uint32_t>(bytes.size()));
    return bytes;
}

std::wstring Wide(const std::string& bytes) {
    WideText text(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return std::wstring(text.get(), text.length());
}

bool IsLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsDigit(unsigned char byte) { return byte >= '0' && byte <= '9'; }

TEST(WideText, TheRunUsesTheCodePageItAsksFor) {
    const char* wanted = std::getenv("ZIPPIT_EXPECT_ACP");
    if (!wanted) GTEST_SKIP() << "no code page asked for";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(wanted)));
}

TEST(WideText, EveryCharacterComesBackInAFormGbkWalkersRead) {
    std::wstring all;
    for (uint32_t unit = 1; unit < 0x10000; unit++) all += static_cast<wchar_t>(unit);  // lone surrogates too
    all += L"\U0001F431\U0010FFFF";
    std::string bytes = Narrow(all);
    EXPECT_EQ(Wide(bytes), all);
    // Each character: a byte that is no lead byte (ASCII, the euro sign 0x80),
    // a GBK pair whose second byte is no digit, or lead, digit, lead, digit.
    const unsigned char* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = at + bytes.size();
    while (at < end) {
        if (!IsLead(*at)) {
            at++;
        } else if (end - at >= 4 && IsLead(at[0]) && IsDigit(at[1]) && IsLead(at[2]) && IsDigit(at[3])) {
            at += 4;
        } else {
            ASSERT_TRUE(end - at >= 2 && IsLead(at[0]) && at[1] >= 0x40 && at[1] != 0x7F)
                << "at byte " << (at - reinterpret_cast<const unsigned char*>(bytes.data()));
            at += 2;
        }
    }
    // Texts are GBK whatever the system's code page; GBK names keep their bytes.
    EXPECT_EQ(Wide("不能多重起动。"), L"不能多重起动。");
    EXPECT_EQ(Narrow(L"小猫.Pkm"), "小猫.Pkm");
    EXPECT_EQ(Narrow(L"\u00C0"), "\x81\x30\x94\x32") << "no best fit: A-grave is not A";
    // Broken bytes read as something, never past their end.
    EXPECT_LE(Wide(std::string("a\x81", 2)).size(), 2u);
    EXPECT_LE(Wide(std::string("\x81\x30\x81", 3)).size(), 3u);
}

TEST(WideText, ANameGbkCannotSpellIsFoundComparedQuotedAndDeleted) {
    ScopedTempDir dir;
    const std::wstring wideName = L"\u5c0f\u732b\u00f1\U0001F431.Pkm";  // 小猫ñ and a cat's face
    HANDLE file = CreateFileW(wideName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    char found[kFoundNameCapacity];
    SysFindClose(SysFindFirst("*.Pkm", found));
    const std::string name = found;
    EXPECT_EQ(Wide(name), wideName);

    // Compared as the file system compares: every letter without regard to case.
    EXPECT_EQ(SysSameFileName(name.c_str(), Narrow(L"\u5c0f\u732b\u00d1\U0001F431.PKM").c_str()), 1);
    EXPECT_EQ(SysSameFileName(name.c_str(), Narrow(L"\u5c0f\u732b\u00f1.Pkm").c_str()), 0);
    EXPECT_EQ(SysSameFileName(Narrow(L"\u0394\uff21.pkm").c_str(), Narrow(L"\u03b4\uff41.PKM").c_str()), 1);

    // Quoted in a GBK message, it reads as it is.
    char message[300];
    MissingModuleMessage(message, sizeof message, name.c_str());
    EXPECT_EQ(Wide(message), L"没有组件文件\"" + wideName + L"\"。");

    EXPECT_EQ(SysDeleteFile(name.c_str()), 1);
    EXPECT_EQ(GetFileAttributesW(wideName.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
