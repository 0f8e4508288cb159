// Names that the 8-bit code page cannot hold must never stand for another file.
#include <windows.h>

#include <gtest/gtest.h>

#include "filelist/filelist.h"
#include "list_helpers.h"
#include "run/shared_state.h"
#include "test_files.h"

namespace {

void MakeWideFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
}

TEST(CodePageNames, ANameTheCodePageCannotHoldIsPassedOver) {
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
  ScanSourceFolder(SourceFolder);
  std::vector<ListItem> items = ReadList();
  ASSERT_EQ(FileCount, 1);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].name, "cafa.txt");
  ReleaseFileList();
  testfs::RemoveTree(folder);
}

}  // namespace
