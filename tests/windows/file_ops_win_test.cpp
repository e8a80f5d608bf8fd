// The file and folder operations against the real system: the command lines go
// through the real command interpreter, the copies through the real file API.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "fileops/file_ops.h"
#include "platform/platform.h"
#include "tests/windows/support/test_files.h"

namespace {

using testing_win::Exists;
using testing_win::ReadBytes;
using testing_win::WriteBytes;

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr); }

class FileOpsWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(root.path.empty());
    wchar_t comspec[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ComSpec", comspec, MAX_PATH);
    ASSERT_GT(length, 0u) << "no ComSpec";
    ctx.commandInterpreter.assign(comspec, length);
    ctx.launcherFolder = root.path;
    // The interpreter's working folder: a smuggled "md pwned" would land here.
    ctx.appWorkingDir = root.path;
  }

  std::wstring At(const std::wstring& relative) const { return root.path + relative; }

  void MakeTree(const std::wstring& folder) {
    ASSERT_TRUE(MakeFolder(folder));
    ASSERT_TRUE(MakeFolder(folder + L"\\Sub"));
    ASSERT_TRUE(MakeFolder(folder + L"\\Deep"));
    ASSERT_TRUE(MakeFolder(folder + L"\\Deep\\Er"));
    ASSERT_TRUE(WriteBytes(folder + L"\\a.ini", "new a"));
    ASSERT_TRUE(WriteBytes(folder + L"\\a.txt", "t"));
    ASSERT_TRUE(WriteBytes(folder + L"\\Sub\\b.ini", "b"));
    ASSERT_TRUE(WriteBytes(folder + L"\\Deep\\Er\\c.txt", "c"));
  }

  testing_win::ScopedFolder root{L"voq-fileops"};
  LauncherContext ctx;
};

}  // namespace

TEST_F(FileOpsWin, MkdirCreatesParentsAndNamesWithBlanks) {
  CreateDir(ctx, At(L"New Dir\\Sub Dir\\Leaf"));
  CreateDir(ctx, L"Relative\\Below");
  EXPECT_TRUE(IsFolder(At(L"New Dir\\Sub Dir\\Leaf")));
  EXPECT_TRUE(IsFolder(At(L"Relative\\Below")));
}

TEST_F(FileOpsWin, DelTakesWildcardMatchesAndReadOnlyFilesOnly) {
  ASSERT_TRUE(WriteBytes(At(L"File.ini"), "1"));
  ASSERT_TRUE(WriteBytes(At(L"File2.txt"), "2"));
  ASSERT_TRUE(WriteBytes(At(L"Other.txt"), "3"));
  ASSERT_TRUE(MakeFolder(At(L"FileDir")));
  ASSERT_TRUE(WriteBytes(At(L"FileDir\\inside.txt"), "4"));
  SetFileAttributesW(At(L"File.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  DeleteFiles(ctx, At(L"File*"));
  DeleteFiles(ctx, At(L"FileDir"));
  EXPECT_FALSE(Exists(At(L"File.ini")));
  EXPECT_FALSE(Exists(At(L"File2.txt")));
  EXPECT_TRUE(Exists(At(L"Other.txt")));
  EXPECT_TRUE(Exists(At(L"FileDir\\inside.txt")));
}

TEST_F(FileOpsWin, RmdirRemovesATreeButIfEmptyOnlyAnEmptyFolder) {
  ASSERT_TRUE(MakeFolder(At(L"Full Dir")));
  ASSERT_TRUE(MakeFolder(At(L"Full Dir\\Sub")));
  ASSERT_TRUE(WriteBytes(At(L"Full Dir\\Sub\\x.txt"), "x"));
  ASSERT_TRUE(MakeFolder(At(L"Empty")));
  DeleteDir(ctx, At(L"Full Dir"), L"ifempty");
  DeleteDir(ctx, At(L"Empty\\"), L"ifempty");
  EXPECT_TRUE(Exists(At(L"Full Dir\\Sub\\x.txt")));
  EXPECT_FALSE(Exists(At(L"Empty")));
  DeleteDir(ctx, At(L"Full Dir"), L"");
  EXPECT_FALSE(Exists(At(L"Full Dir")));
}

TEST_F(FileOpsWin, WildcardDeleteDirRunsNothingSmuggledInAFolderName) {
  ASSERT_TRUE(MakeFolder(At(L"Cache1")));
  ASSERT_TRUE(WriteBytes(At(L"Cache1\\a.tmp"), "a"));
  ASSERT_TRUE(MakeFolder(At(L"Cache1&md pwned")));
  ASSERT_TRUE(MakeFolder(At(L"Cache2(x);y=z")));
  ASSERT_TRUE(MakeFolder(At(L"Cache4&md;pwned2")));  // no blank: quoted only for the &
  ASSERT_TRUE(MakeFolder(At(L"Cache3%CD%")));        // expanded inside quotes: file API instead
  ASSERT_TRUE(WriteBytes(At(L"Cache3%CD%\\b.tmp"), "b"));
  ASSERT_TRUE(WriteBytes(At(L"Cache.txt"), "keep"));
  DeleteDir(ctx, At(L"Cache*"), L"");
  EXPECT_FALSE(Exists(At(L"Cache1")));
  EXPECT_FALSE(Exists(At(L"Cache1&md pwned")));
  EXPECT_FALSE(Exists(At(L"Cache2(x);y=z")));
  EXPECT_FALSE(Exists(At(L"Cache4&md;pwned2")));
  EXPECT_FALSE(Exists(At(L"Cache3%CD%")));
  EXPECT_TRUE(Exists(At(L"Cache.txt")));
  EXPECT_FALSE(Exists(At(L"pwned")));
  EXPECT_FALSE(Exists(At(L"md pwned")));
  EXPECT_FALSE(Exists(At(L"pwned2")));
}

TEST_F(FileOpsWin, PercentPathsAreCreatedAndDeletedThroughTheFileApi) {
  CreateDir(ctx, At(L"100%\\50% off\\x"));
  ASSERT_TRUE(IsFolder(At(L"100%\\50% off\\x")));
  ASSERT_TRUE(WriteBytes(At(L"100%\\r%o.txt"), "r"));
  SetFileAttributesW(At(L"100%\\r%o.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  DeleteFiles(ctx, At(L"100%\\*.txt"));
  EXPECT_FALSE(Exists(At(L"100%\\r%o.txt")));
  DeleteDir(ctx, At(L"100%"), L"ifempty");
  EXPECT_TRUE(IsFolder(At(L"100%")));
  DeleteDir(ctx, At(L"100%"), L"");
  EXPECT_FALSE(Exists(At(L"100%")));
}

TEST_F(FileOpsWin, TreeAndFileCopiesReplaceProtectedTargetsWhichKeepTheirAttributes) {
  MakeTree(At(L"Src"));
  ASSERT_TRUE(WriteBytes(At(L"Src\\h.ini"), "h"));
  ASSERT_TRUE(MakeFolder(At(L"Dst")));
  ASSERT_TRUE(WriteBytes(At(L"Dst\\a.ini"), "read-only old"));
  ASSERT_TRUE(WriteBytes(At(L"Dst\\h.ini"), "hidden old"));
  ASSERT_TRUE(WriteBytes(At(L"Dst\\own.txt"), "o"));
  SetFileAttributesW(At(L"Dst\\a.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(At(L"Dst\\h.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"Src", L"Dst", L"*.ini", false, true, false));
  EXPECT_EQ(ReadBytes(At(L"Dst\\a.ini")), "new a");
  EXPECT_EQ(ReadBytes(At(L"Dst\\h.ini")), "h");
  EXPECT_EQ(ReadBytes(At(L"Dst\\Sub\\b.ini")), "b");
  EXPECT_TRUE(IsFolder(At(L"Dst\\Deep\\Er")));
  EXPECT_FALSE(Exists(At(L"Dst\\a.txt")));
  EXPECT_FALSE(Exists(At(L"Dst\\Deep\\Er\\c.txt")));
  EXPECT_TRUE(Exists(At(L"Dst\\own.txt")));  // a copy merges
  const auto attributes = [&](const wchar_t* name) {
    return GetFileAttributesW(At(name).c_str()) &
           (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  };
  EXPECT_EQ(attributes(L"Dst\\a.ini"), DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_EQ(attributes(L"Dst\\h.ini"), DWORD{FILE_ATTRIBUTE_HIDDEN});
  // One file over a read-only, hidden system file, as a carry-back writes it.
  const DWORD all = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_TRUE(SetFileAttributesW(At(L"Dst\\own.txt").c_str(), all));
  EXPECT_TRUE(CopyOrMoveFile(ctx, L"Src\\a.txt", L"Dst\\own.txt", false, true, false));
  EXPECT_EQ(ReadBytes(At(L"Dst\\own.txt")), "t");
  EXPECT_EQ(attributes(L"Dst\\own.txt"), all);
}

TEST_F(FileOpsWin, MovesReplaceTheTargetAndTakeOnlyWhatWasCopied) {
  MakeTree(At(L"Src"));
  ASSERT_TRUE(MakeFolder(At(L"Dst")));
  ASSERT_TRUE(WriteBytes(At(L"Dst\\stale.ini"), "s"));
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"Src", L"Dst", L"*.ini", true, true, false));
  EXPECT_FALSE(Exists(At(L"Dst\\stale.ini")));
  EXPECT_EQ(ReadBytes(At(L"Dst\\Sub\\b.ini")), "b");
  EXPECT_FALSE(Exists(At(L"Src\\a.ini")));
  EXPECT_FALSE(Exists(At(L"Src\\Sub")));
  EXPECT_EQ(ReadBytes(At(L"Src\\a.txt")), "t");
  EXPECT_EQ(ReadBytes(At(L"Src\\Deep\\Er\\c.txt")), "c");

  const long long start = testing_win::NowMs();
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"Src", L"", L"", true, true, false));
  const long long elapsed = testing_win::NowMs() - start;
  EXPECT_FALSE(Exists(At(L"Src")));
  EXPECT_EQ(ReadBytes(At(L"Settings\\Deep\\Er\\c.txt")), "c");
  RecordProperty("folder_move_ms", std::to_string(elapsed));
  std::printf("folder move by rename: %lld ms\n", elapsed);

  ASSERT_TRUE(WriteBytes(At(L"one.ini"), "1"));
  EXPECT_TRUE(CopyOrMoveFile(ctx, L"one.ini", L"Files Here\\", true, true, false));
  EXPECT_EQ(ReadBytes(At(L"Files Here\\one.ini")), "1");
  EXPECT_FALSE(Exists(At(L"one.ini")));
}

// Drive Y: of the rig is another volume, where the rename is refused (the
// contract's MoveFileOrFolder rows): the move copies and deletes, into the same
// end state.
TEST_F(FileOpsWin, MovesToAnotherDriveCopyAndDelete) {
  // Removed with the rig.
  const std::wstring y = L"Y:\\fileops-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  ASSERT_TRUE(MakeFolder(y)) << "the rig's drive Y: is missing";
  MakeTree(At(L"Src"));
  ASSERT_TRUE(MakeFolder(y + L"Dst"));
  ASSERT_TRUE(WriteBytes(y + L"Dst\\stale.ini", "s"));
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, At(L"Src"), y + L"Dst", L"", true, true, false));
  EXPECT_FALSE(Exists(At(L"Src")));
  EXPECT_FALSE(Exists(y + L"Dst\\stale.ini"));
  EXPECT_EQ(ReadBytes(y + L"Dst\\Deep\\Er\\c.txt"), "c");

  ASSERT_TRUE(WriteBytes(At(L"one.ini"), "1"));
  EXPECT_TRUE(CopyOrMoveFile(ctx, L"one.ini", y + L"one.ini", true, true, false));
  EXPECT_EQ(ReadBytes(y + L"one.ini"), "1");
  EXPECT_FALSE(Exists(At(L"one.ini")));
}

TEST_F(FileOpsWin, FileCreateWritesUtf8AndCreatesTheFolder) {
  FileCreate(ctx, L"Made Here\\t.txt", L"no overwrite", L"Gr\u00fc\u00dfe \u20ac");
  EXPECT_EQ(ReadBytes(At(L"Made Here\\t.txt")),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC");
  FileCreate(ctx, L"Made Here\\t.txt", L"no overwrite", L"other");
  EXPECT_EQ(ReadBytes(At(L"Made Here\\t.txt")).size(), 11u);  // kept
}
