// Names that the 8-bit code page cannot hold must never stand for another file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "filelist/filelist.h"
#include "list_helpers.h"
#include "platform/win32_names.h"
#include "run/run_report.h"
#include "run/shared_state.h"
#include "test_files.h"

namespace {

void MakeWideFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
}

// Passed over, but never in silence: each is told with the form it can be
// shown in, and counted among the files.
TEST(CodePageNames, ANameTheCodePageCannotHoldIsPassedOverAndTold) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "every name fits a UTF-8 code page";
  std::string folder = testfs::NewFolder();
  wchar_t wideFolder[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wideFolder, MAX_PATH);
  // U+0101 (a with macron) is in no Western code page; its best fit is 'a',
  // and U+0394 (Greek Delta) comes out as '?' or a look-alike.
  MakeWideFile(std::wstring(wideFolder) + L"cafa.txt");
  MakeWideFile(std::wstring(wideFolder) + L"caf\u0101.txt");
  MakeWideFile(std::wstring(wideFolder) + L"\u0394elta.txt");

  snprintf(SourceFolder, kFolderSize, "%s", folder.c_str());
  ResetRunReport();
  ScanSourceFolder(SourceFolder);
  std::vector<ListItem> items = ReadList();
  ASSERT_EQ(FileCount, 1);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].name, "cafa.txt");
  ASSERT_EQ(CopyFailureCount, 2u);
  EXPECT_EQ(UnlistedCount, 2u);
  std::vector<std::string> told{CopyFailures[0].name, CopyFailures[1].name};
  std::sort(told.begin(), told.end());
  EXPECT_EQ(told, (std::vector<std::string>{"?elta.txt", "caf?.txt"}));
  EXPECT_STREQ(CopyFailures[0].reason, "its name cannot be written in this system's code page");
  ReleaseFileList();
  testfs::RemoveTree(folder);
}

// A name's 8-bit form in a code page, or nullptr where the page cannot hold
// the name or its form passes the record's 256 bytes.
struct NameCase {
  unsigned codePage;
  std::wstring wide;
  const char* narrow;
};

TEST(CodePageNames, ANameConvertsExactlyOrNotAtAllInEveryCodePage) {
  const std::wstring longest(255, L'a');
  const std::string longest8(255, 'a');
  const std::wstring accented = std::wstring(200, L'\u00e9') + L".txt";
  const std::string accented1252 = std::string(200, '\xe9') + ".txt";
  // 127 times U+65E5 and a letter: 255 bytes in code page 932, 382 in UTF-8.
  std::wstring kanji = L"a";
  std::string kanji932 = "a";
  for (int i = 0; i < 127; ++i) kanji += L'\u65e5', kanji932 += "\x93\xfa";
  const NameCase cases[] = {
      {1252, L"caf\u00e9.txt", "caf\xe9.txt"},
      {1252, L"caf\u0101.txt", nullptr},  // its best fit would be "cafa.txt"
      {1252, L"\u65e5\u672c.txt", nullptr},
      {65001, L"caf\u0101.txt", "caf\xc4\x81.txt"},
      {65001, L"\ud55c\uad6d.txt", "\xed\x95\x9c\xea\xb5\xad.txt"},
      {65001, L"a\xd800.txt", nullptr},  // an unpaired surrogate has no UTF-8 form
      // Wine takes any flags for UTF-8, where Windows refuses all but one, as
      // it does for UTF-7: there Wine refuses them too.
      {65000, L"caf\u00e9", "caf+AOk-"},
      {932, L"\u65e5\u672c.txt", "\x93\xfa\x96\x7b.txt"},
      {932, L"\u8868.txt", "\x95\x5c.txt"},  // a trail byte that is a backslash
      {932, L"\ud55c\uad6d.txt", nullptr},
      {936, L"\u7b80\u4f53.txt", "\xbc\xf2\xcc\xe5.txt"},
      {936, L"\ud55c\uad6d.txt", nullptr},
      {949, L"\ud55c\uad6d.txt", "\xc7\xd1\xb1\xb9.txt"},
      {949, L"\u7b80\u4f53.txt", nullptr},
      {950, L"\u65e5\u672c.txt", "\xa4\xe9\xa5\xbb.txt"},
      {950, L"\u7b80\u4f53.txt", nullptr},
      // The record holds 255 bytes and the terminator; some names pass that
      // only in UTF-8.
      {1252, longest, longest8.c_str()},
      {65001, longest, longest8.c_str()},
      {1252, accented, accented1252.c_str()},
      {65001, accented, nullptr},
      {932, kanji, kanji932.c_str()},
      {65001, kanji, nullptr},
      {932, kanji.substr(1) + L"\u65e5", nullptr},  // 256 bytes and the terminator
  };
  for (const NameCase& test : cases) {
    SCOPED_TRACE(testing::Message() << "code page " << test.codePage << ", " << test.wide.size() << " characters");
    char record[256 + 8];
    memset(record, 0x7f, sizeof record);
    bool held = ExactNarrowName(test.codePage, test.wide.c_str(), record, 256);
    EXPECT_EQ(held, test.narrow != nullptr);
    if (held && test.narrow != nullptr) {
      EXPECT_STREQ(record, test.narrow);
    }
    EXPECT_EQ(std::string(record + 256, 8), std::string(8, '\x7f')) << "written past the record";
  }
}

}  // namespace
