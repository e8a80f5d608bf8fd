// File queries and whole-file access against the real file system.
#include <windows.h>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/windows/support/test_files.h"

using namespace testing_win;

TEST(FileState, SizesBeyondFourGigabytesAreWhole) {
  ScopedFolder folder(L"voq big");
  const std::wstring path = folder.path + L"sparse.bin";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = (5LL << 30) + 3;
  ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);

  EXPECT_EQ(os::FileState(path), (5LL << 30) + 3);
}
