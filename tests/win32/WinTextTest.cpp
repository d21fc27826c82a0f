#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "core/base/FileTimeCalendar.h"
#include "core/engine/DownloadItem.h"
#include "core/list/ItemCells.h"
#include "support/UtcTime.h"
#include "win32/platform/WinMessageTable.h"
#include "win32/platform/WinTimeText.h"

namespace vm {
namespace {

bool EndsWithCrLf(const std::string& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

TEST(WinErrorText, FileNotFoundIsTheSystemText) {
    const std::string text = SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(EndsWithCrLf(text)) << text;
    char expected[1024] = {};
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0x400,
                             expected, sizeof expected, nullptr),
              0u);
    EXPECT_EQ(text, expected);
}

TEST(WinErrorText, InternetErrorsComeFromTheLoadedLibrary) {
    HMODULE wininet = LoadLibraryA("wininet.dll");
    ASSERT_NE(wininet, nullptr);
    const std::string text = SystemErrorText(12007);  // name not resolved
    EXPECT_TRUE(EndsWithCrLf(text)) << text;
    char expected[1024] = {};
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE, wininet, 12007, 0x400, expected,
                             sizeof expected, nullptr),
              0u);
    EXPECT_EQ(text, expected);
    EXPECT_NE(SystemErrorText(12029), text);
}

TEST(WinErrorText, UnknownCodeIsEmpty) { EXPECT_EQ(SystemErrorText(0x2FFFFFFF), ""); }

std::string ExpectedText(FileTime time) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(time);
    ft.dwHighDateTime = static_cast<DWORD>(time >> 32);
    SYSTEMTIME st;
    EXPECT_TRUE(FileTimeToSystemTime(&ft, &st));
    char date[256], clock[256];
    EXPECT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 256), 0);
    EXPECT_GT(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, clock, 256), 0);
    return std::string(date) + " " + clock;
}

TEST(WinTimeText, ShortDateSpaceTimeInTheUsersFormat) {
    WinTimeText source;
    const FileTime utc = test::UtcTime(2023, 7, 14, 9, 26);
    EXPECT_EQ(FormatItemTime(utc, true, source), ExpectedText(utc));

    FILETIME in{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)}, local;
    ASSERT_TRUE(FileTimeToLocalFileTime(&in, &local));
    const FileTime localTime =
        (static_cast<FileTime>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    EXPECT_EQ(FormatItemTime(utc, false, source), ExpectedText(localTime));
    EXPECT_NE(FormatItemTime(utc, true, source).find("2023"), std::string::npos);
}

TEST(WinTimeText, YearsUpTo1985AreEmpty) {
    WinTimeText source;
    EXPECT_EQ(FormatItemTime(test::UtcTime(1985, 6, 1, 12, 0), true, source), "");
    EXPECT_EQ(FormatItemTime(0, false, source), "");
    EXPECT_NE(FormatItemTime(test::UtcTime(1986, 6, 1, 12, 0), true, source), "");
}

}  // namespace
}  // namespace vm
