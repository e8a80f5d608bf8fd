// File queries and whole-file access against the real file system.
#include <windows.h>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/windows/support/test_files.h"

using namespace testing_win;

TEST(FileState, TellsSizeMissingAndFolder) {
  ScopedFolder folder(L"voq state");
  ASSERT_TRUE(WriteBytes(folder.path + L"five.txt", "12345"));
  ASSERT_TRUE(WriteBytes(folder.path + L"empty.txt", ""));
  ASSERT_TRUE(MakeFolders(folder.path + L"sub dir"));

  EXPECT_EQ(os::FileState(folder.path + L"five.txt"), 5);
  EXPECT_EQ(os::FileState(folder.path + L"empty.txt"), 0);
  EXPECT_EQ(os::FileState(folder.path + L"missing.txt"), -1);
  EXPECT_EQ(os::FileState(folder.path + L"sub dir"), -2);
  EXPECT_EQ(os::FileState(folder.path + L"sub dir\\"), -2);
  EXPECT_EQ(os::FileState(folder.path + L"five.txt\\"), -1);
  EXPECT_EQ(os::FileState(L""), -1);
}

TEST(FileState, WildcardsAnswerForTheFirstMatch) {
  ScopedFolder folder(L"voq wildcard");
  ASSERT_TRUE(WriteBytes(folder.path + L"only.log", "abc"));
  ASSERT_TRUE(MakeFolders(folder.path + L"Cache1"));

  EXPECT_EQ(os::FileState(folder.path + L"*.log"), 3);
  EXPECT_EQ(os::FileState(folder.path + L"on?y.*"), 3);
  EXPECT_EQ(os::FileState(folder.path + L"Cache*"), -2);
  EXPECT_EQ(os::FileState(folder.path + L"*.none"), -1);
}

TEST(FileState, DriveRootsCountAsFolders) {
  EXPECT_EQ(os::FileState(L"C:"), -2);
  EXPECT_EQ(os::FileState(L"C:\\"), -2);
  // The rig's prefix maps no drive Q.
  EXPECT_EQ(os::FileState(L"Q:"), -1);
  EXPECT_EQ(os::FileState(L"Q:\\"), -1);
}

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

TEST(Files, WriteReadAndRewriteRoundTrip) {
  ScopedFolder folder(L"voq files");
  const std::wstring path = folder.path + L"Ünïcode name ✓.ini";
  const std::string original("\xEF\xBB\xBF[GENERAL]\r\nkey = \x00value\r\n", 25);
  ASSERT_TRUE(os::WriteNewFile(path, original));

  os::FileRef file = os::OpenExistingFile(path, os::OpenMode::ReadWriteShareRead);
  ASSERT_NE(file, 0u);
  std::string bytes;
  ASSERT_TRUE(os::ReadWholeFile(file, bytes));
  EXPECT_EQ(bytes, original);

  // Shorter content cuts the file; reading starts from the beginning again.
  ASSERT_TRUE(os::RewriteFile(file, "short"));
  ASSERT_TRUE(os::ReadWholeFile(file, bytes));
  EXPECT_EQ(bytes, "short");
  os::CloseFile(file);
  EXPECT_EQ(ReadBytes(path), "short");

  // A new file replaces whatever was there.
  ASSERT_TRUE(os::WriteNewFile(path, "x"));
  EXPECT_EQ(ReadBytes(path), "x");
  ASSERT_TRUE(os::WriteNewFile(path, ""));
  EXPECT_EQ(os::FileState(path), 0);
}

TEST(Files, MissingFilesAndFoldersFailCleanly) {
  ScopedFolder folder(L"voq missing");
  EXPECT_EQ(os::OpenExistingFile(folder.path + L"none.ini", os::OpenMode::ReadShareRead), 0u);
  EXPECT_FALSE(os::WriteNewFile(folder.path + L"no folder\\new.ini", "x"));
  EXPECT_EQ(os::FileState(folder.path + L"no folder\\new.ini"), -1);
}

TEST(Files, ReadOnlyFileOpensForReading) {
  ScopedFolder folder(L"voq readonly");
  const std::wstring path = folder.path + L"locked.ini";
  ASSERT_TRUE(WriteBytes(path, "data"));
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));

  for (os::OpenMode mode : {os::OpenMode::ReadShareRead, os::OpenMode::ReadShareReadWrite}) {
    os::FileRef file = os::OpenExistingFile(path, mode);
    ASSERT_NE(file, 0u);
    std::string bytes;
    EXPECT_TRUE(os::ReadWholeFile(file, bytes));
    EXPECT_EQ(bytes, "data");
    // A handle opened for reading never writes.
    EXPECT_FALSE(os::RewriteFile(file, "changed"));
    os::CloseFile(file);
  }
  EXPECT_EQ(ReadBytes(path), "data");

  // Wine keeps the attribute as missing Unix write permission, which the root
  // user ignores: the refusal to write can only be seen where it is enforced.
  HANDLE probe = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const bool enforced = probe == INVALID_HANDLE_VALUE;
  if (!enforced) CloseHandle(probe);
  if (enforced) {
    EXPECT_EQ(os::OpenExistingFile(path, os::OpenMode::ReadWriteShareRead), 0u);
    EXPECT_FALSE(os::WriteNewFile(path, "replaced"));
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A copy is flushed before anything relies on it, read-only copies included: the
// attribute is cleared for the flush only.
TEST(Files, FlushTakesCopiesReadOnlyOnesTooAndKeepsTheirAttribute) {
  ScopedFolder folder(L"voq flush");
  const std::wstring source = folder.path + L"source.ini";
  const std::wstring copy = folder.path + L"copy.ini";
  ASSERT_TRUE(WriteBytes(source, "data"));
  ASSERT_TRUE(SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(os::CopyFileReplacing(source, copy));

  EXPECT_TRUE(os::FlushFile(copy));
  EXPECT_NE(GetFileAttributesW(copy.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(ReadBytes(copy), "data");
  EXPECT_FALSE(os::FlushFile(folder.path + L"missing.ini"));
  EXPECT_FALSE(os::FlushFile(folder.path));
  for (const std::wstring& path : {source, copy})
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Files, ShareModesLetOnlyCompatibleOpensIn) {
  ScopedFolder folder(L"voq share");
  const std::wstring path = folder.path + L"shared.ini";
  ASSERT_TRUE(WriteBytes(path, "data"));

  // A writer that lets others only read: a second writer and a reader that
  // does not tolerate writers are refused; a tolerant reader gets in.
  os::FileRef writer = os::OpenExistingFile(path, os::OpenMode::ReadWriteShareRead);
  ASSERT_NE(writer, 0u);
  EXPECT_EQ(os::OpenExistingFile(path, os::OpenMode::ReadWriteShareRead), 0u);
  EXPECT_EQ(os::OpenExistingFile(path, os::OpenMode::ReadShareRead), 0u);
  os::FileRef reader = os::OpenExistingFile(path, os::OpenMode::ReadShareReadWrite);
  EXPECT_NE(reader, 0u);
  os::CloseFile(reader);
  os::CloseFile(writer);

  // Readers that let others read do not keep each other out, but keep a writer out.
  os::FileRef first = os::OpenExistingFile(path, os::OpenMode::ReadShareRead);
  os::FileRef second = os::OpenExistingFile(path, os::OpenMode::ReadShareRead);
  EXPECT_NE(first, 0u);
  EXPECT_NE(second, 0u);
  EXPECT_EQ(os::OpenExistingFile(path, os::OpenMode::ReadWriteShareRead), 0u);
  os::CloseFile(first);
  os::CloseFile(second);
}
