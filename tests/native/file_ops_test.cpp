#include "fileops/file_ops.h"

#include <algorithm>
#include <map>
#include <set>

#include "fileops/copy_tree.h"
#include "platform/text.h"
#include "tests/fake_platform/fake_interpreter.h"
#include "tests/native/launcher_fixture.h"

namespace {

const std::wstring kCmd = L"\"C:\\Windows\\system32\\cmd.exe\" ";

// The shared interpreter stand-in, plus what must never reach the real one: a
// percent sign (expanded even inside quotes) or an unquoted special character.
bool Interpret(const FakeHiddenStart& start) {
  const std::wstring& line = start.commandLine;
  const std::wstring params = line.substr(kCmd.size());
  EXPECT_EQ(params.find(L'%'), std::wstring::npos) << Utf8FromWide(line);
  bool quoted = false;
  for (const wchar_t c : params) {
    if (c == L'"') quoted = !quoted;
    if (!quoted) {
      EXPECT_EQ(std::wstring(L"&|<>^(),;=").find(c), std::wstring::npos) << Utf8FromWide(line);
    }
  }
  return FakeInterpret(start);
}

// Every file and folder below the folder, relative and lowered; folders end in "\".
std::vector<std::wstring> Tree(const std::wstring& folder) {
  const std::wstring key = LowerAscii(folder) + L"\\";
  std::set<std::wstring> entries;
  for (const auto& [name, bytes] : Fake().files)
    if (StartsWith(name, key)) entries.insert(name.substr(key.size()));
  for (const auto& name : Fake().folders)
    if (StartsWith(name, key)) entries.insert(name.substr(key.size()) + L"\\");
  return {entries.begin(), entries.end()};
}

using Lines = std::vector<std::wstring>;

}  // namespace

class FileOpsTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
    Fake().hiddenStarts.clear();
    Fake().onHiddenStart = Interpret;
  }

  // C:\S holding a.ini, a.txt, Sub\b.ini and Deep\Er\c.txt.
  void MakeSourceTree() {
    for (const wchar_t* folder : {L"C:\\S", L"C:\\S\\Sub", L"C:\\S\\Deep", L"C:\\S\\Deep\\Er"})
      FakeAddFolder(folder);
    FakeAddFile(L"C:\\S\\a.ini", "new a");
    FakeAddFile(L"C:\\S\\a.txt", "t");
    FakeAddFile(L"C:\\S\\Sub\\b.ini", "b");
    FakeAddFile(L"C:\\S\\Deep\\Er\\c.txt", "c");
  }
};

TEST_F(FileOpsTest, InterpreterCommandLinesAreExactTexts) {
  FakeAddFile(L"C:\\P\\a b.ini", "x");
  FakeAddFolder(L"C:\\P\\Old");
  FakeAddFile(L"C:\\P\\Old\\o.txt", "o");
  FakeAddFolder(L"C:\\P\\Old Dir");
  CreateDir(ctx, L"New Dir\\Sub");
  CreateDir(ctx, L"D:\\Plain");
  CreateDir(ctx, L"C:\\R\\Tom&Jerry");
  DeleteFiles(ctx, L"a b.ini");
  DeleteDir(ctx, L"Old\\\\", L"ifempty");
  DeleteDir(ctx, L"Old", L"IfEmpty");
  DeleteDir(ctx, L"Old Dir", L"");
  EXPECT_EQ(HiddenCommandLines(), (Lines{
                                      kCmd + L"/c MKDIR \"C:\\P\\New Dir\\Sub\"",
                                      kCmd + L"/c MKDIR D:\\Plain",
                                      kCmd + L"/c MKDIR \"C:\\R\\Tom&Jerry\"",
                                      kCmd + L"/c DEL \"C:\\P\\a b.ini\" /F /Q",
                                      kCmd + L"/c RMDIR C:\\P\\Old /Q",
                                      kCmd + L"/c RMDIR C:\\P\\Old /S /Q",
                                      kCmd + L"/c RMDIR \"C:\\P\\Old Dir\" /S /Q",
                                  }));
  EXPECT_EQ(Fake().hiddenStarts[0].timeoutMs, 30000u);
}

TEST_F(FileOpsTest, CreateDirMakesParentsAndStartsNothingForAnExistingFolder) {
  FakeAddFolder(L"C:\\P\\Data");
  CreateDir(ctx, L"Data");
  CreateDir(ctx, L"");
  EXPECT_TRUE(Fake().hiddenStarts.empty());
  CreateDir(ctx, L"Data\\A\\B");
  EXPECT_EQ(Tree(L"C:\\P\\Data"), (Lines{L"a\\", L"a\\b\\"}));
}

TEST_F(FileOpsTest, DeleteDirIfEmptyLeavesAFolderThatHoldsAFile) {
  FakeAddFolder(L"C:\\R\\Full");
  FakeAddFile(L"C:\\R\\Full\\x.txt", "x");
  FakeAddFolder(L"C:\\R\\Empty");
  DeleteDir(ctx, L"C:\\R\\Full", L"ifempty");
  DeleteDir(ctx, L"C:\\R\\Empty\\", L"ifempty");
  EXPECT_EQ(Tree(L"C:\\R"), (Lines{L"full\\", L"full\\x.txt"}));
  DeleteDir(ctx, L"C:\\R\\Full", L"");
  EXPECT_EQ(Tree(L"C:\\R"), Lines{});
}

TEST_F(FileOpsTest, DeleteDirWildcardRemovesMatchingFoldersOnly) {
  FakeAddFolder(L"C:\\R");
  for (const wchar_t* folder : {L"C:\\R\\Cache1", L"C:\\R\\Cache1\\Sub", L"C:\\R\\Cache2",
                                L"C:\\R\\Cache1&md pwned", L"C:\\R\\Other"})
    FakeAddFolder(folder);
  FakeAddFile(L"C:\\R\\Cache1\\Sub\\a.tmp", "a");
  FakeAddFile(L"C:\\R\\Cache.txt", "keep");
  DeleteDir(ctx, L"C:\\R\\Cache*", L"");
  EXPECT_EQ(HiddenCommandLines(), (Lines{kCmd + L"/c RMDIR C:\\R\\cache1 /S /Q",
                                         kCmd + L"/c RMDIR \"C:\\R\\cache1&md pwned\" /S /Q",
                                         kCmd + L"/c RMDIR C:\\R\\cache2 /S /Q"}));
  EXPECT_EQ(Tree(L"C:\\R"), (Lines{L"cache.txt", L"other\\"}));
}

TEST_F(FileOpsTest, DeleteDirNeverRemovesTheLauncherFolderOrADrive) {
  FakeAddFolder(L"C:\\Other");
  FakeAddFile(L"C:\\P\\Settings.ini", "portable data");
  DeleteDir(ctx, L"", L"");
  DeleteDir(ctx, L".", L"");
  DeleteDir(ctx, L"C:\\", L"");
  DeleteDir(ctx, L"C:\\*", L"");
  EXPECT_EQ(HiddenCommandLines(), (Lines{kCmd + L"/c RMDIR C:\\other /S /Q"}));
  EXPECT_TRUE(FakeHasFile(L"C:\\P\\Settings.ini"));
}

TEST_F(FileOpsTest, CopyFileIntoAFolderTargetKeepsTheNameAndCreatesTheFolder) {
  FakeAddFile(L"C:\\P\\Source.ini", "s");
  EXPECT_TRUE(CopyOrMoveFile(ctx, L"Source.ini", L"C:\\Dir\\", false, true, false));
  EXPECT_EQ(HiddenCommandLines(), (Lines{kCmd + L"/c MKDIR C:\\Dir"}));
  EXPECT_EQ(FakeFileBytes(L"C:\\Dir\\Source.ini"), "s");
  EXPECT_TRUE(FakeHasFile(L"C:\\P\\Source.ini"));
}

TEST_F(FileOpsTest, CopyFileWithoutOverwriteLeavesEvenAnEmptyTarget) {
  FakeAddFile(L"C:\\P\\Source.ini", "s");
  FakeAddFolder(L"C:\\Dir");
  FakeAddFile(L"C:\\Dir\\Source.ini", "");
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"Source.ini", L"C:\\Dir\\", true, false, false));
  EXPECT_TRUE(Fake().hiddenStarts.empty());
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\Source.ini"), "s");
  EXPECT_TRUE(FakeHasFile(L"C:\\Dir\\Source.ini"));
}

TEST_F(FileOpsTest, MoveFileReplacesTheTargetAndKeepsTheSourceWhenTheCopyFails) {
  FakeAddFolder(L"C:\\Dir");
  FakeAddFile(L"C:\\Dir\\T.ini", "old");
  // A missing source still removes the target.
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"Missing.ini", L"C:\\Dir\\T.ini", true, true, false));
  EXPECT_FALSE(FakeHasFile(L"C:\\Dir\\T.ini"));

  FakeAddFile(L"C:\\P\\S.ini", "s");
  EXPECT_TRUE(CopyOrMoveFile(ctx, L"C:\\Dir\\T.ini", L"S.ini", true, true, true));  // reversed
  EXPECT_EQ(FakeFileBytes(L"C:\\Dir\\T.ini"), "s");
  EXPECT_FALSE(FakeHasFile(L"C:\\P\\S.ini"));

  FakeAddFile(L"C:\\Blocked", "a file where the folder should be");
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"C:\\Dir\\T.ini", L"C:\\Blocked\\T.ini", true, true, false));
  EXPECT_EQ(FakeFileBytes(L"C:\\Dir\\T.ini"), "s");
}

TEST_F(FileOpsTest, MoveFileOntoItselfOrAWildcardDeletesNothing) {
  FakeAddFile(L"C:\\P\\a.ini", "a");
  FakeAddFile(L"C:\\P\\b.ini", "b");
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"a.ini", L"c:\\p\\A.INI", true, true, false));
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"a.ini", L"C:\\P\\*.ini", true, true, false));
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"C:\\P\\*.ini", L"C:\\T\\", true, true, false));
  EXPECT_TRUE(Fake().hiddenStarts.empty());
  EXPECT_TRUE(FakeHasFile(L"C:\\P\\a.ini"));
  EXPECT_TRUE(FakeHasFile(L"C:\\P\\b.ini"));
}

TEST_F(FileOpsTest, DirCopyWithEmptyTargetFillsSettingsBesideTheLauncher) {
  MakeSourceTree();
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\S\\", L"", L"", false, true, false));
  EXPECT_EQ(HiddenCommandLines(), (Lines{kCmd + L"/c MKDIR C:\\P\\Settings"}));
  EXPECT_EQ(Tree(L"C:\\P\\Settings"), Tree(L"C:\\S"));
  // Into an existing folder the copy merges and starts no process.
  FakeAddFile(L"C:\\P\\Settings\\own.ini", "o");
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\S", L".", L"", false, true, false));
  EXPECT_EQ(Fake().hiddenStarts.size(), 1u);
  EXPECT_TRUE(FakeHasFile(L"C:\\P\\Settings\\own.ini"));
}

TEST_F(FileOpsTest, DirMoveOverAnExistingTargetLeavesExactlyTheSourceTree) {
  MakeSourceTree();
  const Lines sourceTree = Tree(L"C:\\S");
  FakeAddFolder(L"C:\\T");
  FakeAddFolder(L"C:\\T\\Old");
  FakeAddFile(L"C:\\T\\a.ini", "old a");
  FakeAddFile(L"C:\\T\\Old\\o.ini", "o");
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T", L"", true, true, false));
  EXPECT_EQ(Tree(L"C:\\T"), sourceTree);
  EXPECT_EQ(FakeFileBytes(L"C:\\T\\a.ini"), "new a");
  EXPECT_EQ(os::FileState(L"C:\\S"), -1);
  // One process whatever the size of the tree: the RMDIR of the old target; the
  // source moves by a rename. Across volumes it is copied and removed: two.
  EXPECT_EQ(HiddenCommandLines(), (Lines{kCmd + L"/c RMDIR C:\\T /S /Q"}));

  Fake().hiddenStarts.clear();
  Fake().otherVolumes.insert(L"d:");
  FakeAddFolder(L"D:\\T");
  FakeAddFile(L"D:\\T\\old.ini", "old");
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\T", L"D:\\T", L"", true, true, false));
  EXPECT_EQ(Tree(L"D:\\T"), sourceTree);
  EXPECT_EQ(os::FileState(L"C:\\T"), -1);
  EXPECT_EQ(HiddenCommandLines(),
            (Lines{kCmd + L"/c RMDIR D:\\T /S /Q", kCmd + L"/c RMDIR C:\\T /S /Q"}));
}

TEST_F(FileOpsTest, DirCopyPatternSelectsFilesButCreatesEverySubfolderAndKeepsAttributes) {
  MakeSourceTree();
  FakeAddFolder(L"C:\\T");
  FakeAddFile(L"C:\\T\\a.ini", "read-only old");
  FakeAddFile(L"C:\\T\\h.ini", "hidden old");
  FakeAddFile(L"C:\\S\\h.ini", "h");
  Fake().readOnlyFiles.insert(L"c:\\t\\a.ini");
  Fake().hiddenFiles.insert(L"c:\\t\\h.ini");
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T", L"*.ini", false, true, false));
  EXPECT_EQ(Tree(L"C:\\T"),
            (Lines{L"a.ini", L"deep\\", L"deep\\er\\", L"h.ini", L"sub\\", L"sub\\b.ini"}));
  EXPECT_EQ(FakeFileBytes(L"C:\\T\\a.ini"), "new a");
  EXPECT_EQ(FakeFileBytes(L"C:\\T\\h.ini"), "h");
  // Replaced whatever their attributes, and they keep them; a single file too.
  EXPECT_TRUE(CopyOrMoveFile(ctx, L"C:\\S\\a.txt", L"C:\\T\\h.ini", false, true, false));
  EXPECT_EQ(FakeFileBytes(L"C:\\T\\h.ini"), "t");
  EXPECT_EQ(os::FileAttributes(L"C:\\T\\a.ini"), os::kAttrArchive | os::kAttrReadOnly);
  EXPECT_EQ(os::FileAttributes(L"C:\\T\\h.ini"), os::kAttrArchive | os::kAttrHidden);
}

// A deletion still running when its wait ends may yet delete whatever comes to its
// place: a move onto it keeps its source, and for the rest of the run nothing is
// copied there, nor a second tool started on it.
TEST_F(FileOpsTest, NothingLandsWhereADeletionHasNotEnded) {
  MakeSourceTree();
  const Lines sourceTree = Tree(L"C:\\S");
  FakeAddFolder(L"C:\\T");
  FakeAddFile(L"C:\\T\\old.ini", "old");
  FakeAddFile(L"C:\\P\\one.ini", "1");
  FakeAddFile(L"C:\\P\\two.ini", "2");
  Fake().onHiddenStart = [](FakeHiddenStart& start) {
    start.ended = false;
    return true;
  };
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T", L"", true, true, false));
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"one.ini", L"two.ini", true, true, false));
  EXPECT_EQ(Fake().hiddenStarts.size(), 2u);
  Fake().onHiddenStart = Interpret;
  EXPECT_FALSE(DeleteDir(ctx, L"C:\\T", L""));
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T\\Sub", L"", false, true, false));
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\", L"", false, true, false));
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"one.ini", L"two.ini", false, true, false));
  EXPECT_EQ(Fake().hiddenStarts.size(), 2u);
  EXPECT_EQ(Tree(L"C:\\S"), sourceTree);
  EXPECT_EQ(Tree(L"C:\\T"), (Lines{L"old.ini"}));
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\one.ini"), "1");
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\two.ini"), "2");
  EXPECT_TRUE(CopyOrMoveFile(ctx, L"one.ini", L"three.ini", true, true, false));  // elsewhere
}

TEST_F(FileOpsTest, DirMoveWithPatternTakesOnlyTheFilesItCopied) {
  MakeSourceTree();
  FakeAddFolder(L"C:\\S\\Empty");
  Fake().readOnlyFiles.insert(L"c:\\s\\sub\\b.ini");
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T", L"*.ini", true, true, false));
  EXPECT_EQ(Tree(L"C:\\S"), (Lines{L"a.txt", L"deep\\", L"deep\\er\\", L"deep\\er\\c.txt"}));
  EXPECT_EQ(Tree(L"C:\\T"),
            (Lines{L"a.ini", L"deep\\", L"deep\\er\\", L"empty\\", L"sub\\", L"sub\\b.ini"}));
  // No target to remove, and the source side is the file API: no process at all.
  EXPECT_EQ(HiddenCommandLines(), Lines{});

  // Once every file matched, the source folder itself is gone.
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\U", L"", true, true, false));
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\U", L"C:\\V", L"*.txt", true, true, false));
  EXPECT_EQ(os::FileState(L"C:\\U"), -1);
}

TEST_F(FileOpsTest, DirMoveKeepsTheSourceWhenAnyCopyFails) {
  MakeSourceTree();
  const Lines sourceTree = Tree(L"C:\\S");
  Fake().lockedFiles.insert(L"c:\\s\\deep\\er\\c.txt");
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T", L"", true, true, false));
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T", L"*.*", true, true, false));
  EXPECT_EQ(Tree(L"C:\\S"), sourceTree);
  EXPECT_EQ(FakeFileBytes(L"C:\\T\\a.ini"), "new a");  // what could be copied was
}

TEST_F(FileOpsTest, DirCopyOrMoveThatWouldEatItselfDoesNothing) {
  MakeSourceTree();
  FakeAddFolder(L"C:\\T1");
  FakeAddFolder(L"C:\\P\\Data");
  FakeAddFile(L"C:\\P\\Data\\d.ini", "d");
  const Lines sourceTree = Tree(L"C:\\S");
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"Data", L"c:\\p\\DATA\\", L"", true, true, false));
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\S\\Sub", L"", true, true, false));
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\S\\Sub", L"C:\\S", L"", true, true, false));
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T*", L"", true, true, false));
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T1", L"", true, false, false));
  EXPECT_TRUE(Fake().hiddenStarts.empty());
  EXPECT_EQ(Tree(L"C:\\S"), sourceTree);
  EXPECT_TRUE(FakeHasFile(L"C:\\P\\Data\\d.ini"));
  EXPECT_EQ(os::FileState(L"C:\\T1"), -2);
  // A copy (no move) out of a subfolder into its parent merges.
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\S\\Sub", L"C:\\S", L"", false, true, false));
  EXPECT_EQ(FakeFileBytes(L"C:\\S\\b.ini"), "b");
}

TEST_F(FileOpsTest, AFileWhereAFolderIsExpectedStopsTheMoveAndLosesNothing) {
  FakeAddFile(L"C:\\P\\Settings", "not a folder");
  FakeAddFolder(L"C:\\Data");
  FakeAddFile(L"C:\\Data\\a.ini", "a");
  // Into the file: the target cannot be made, so the source stays.
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\Data", L"", L"", true, true, false));
  // Out of the file (the way back): the folder it would replace stays.
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"C:\\Data", L"", L"", true, true, true));
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\Settings"), "not a folder");
  EXPECT_EQ(Tree(L"C:\\Data"), (Lines{L"a.ini"}));
}

// A drive not ready, a share not reconnected, no access: nothing there is known,
// so a move from it keeps its target, and nothing is written over it.
TEST_F(FileOpsTest, APlaceThatCannotBeReadIsNeitherTakenFromNorReplaced) {
  FakeAddFolder(L"C:\\T");
  FakeAddFile(L"C:\\T\\a.ini", "kept");
  Fake().drives.erase(L"d:");
  Fake().unreadablePlaces.insert(L"c:\\t\\gone");
  EXPECT_FALSE(CopyOrMoveDirContents(ctx, L"D:\\Portable", L"C:\\T", L"", true, true, false));
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"D:\\a.ini", L"C:\\T\\a.ini", true, true, false));
  EXPECT_FALSE(CopyOrMoveFile(ctx, L"C:\\T\\a.ini", L"C:\\T\\gone\\a.ini", false, false, false));
  FileCreate(ctx, L"C:\\T\\gone\\b.ini", L"no overwrite", L"new");
  CreateDir(ctx, L"D:\\Portable");
  EXPECT_EQ(Tree(L"C:\\T"), (Lines{L"a.ini"}));
  EXPECT_EQ(FakeFileBytes(L"C:\\T\\a.ini"), "kept");
  EXPECT_TRUE(Fake().hiddenStarts.empty());
}

TEST_F(FileOpsTest, TreeCopyRefusesFolderTextsLongerThan260Characters) {
  // The system looks up no path longer than 259 characters: a folder of 250 takes
  // its files' names, longer ones are refused whole, by a move too.
  for (const size_t length : {250u, 260u, 300u}) {
    const std::wstring source = L"C:\\" + std::wstring(length - 3, L's');
    const std::wstring target = L"C:\\" + std::wstring(length - 3, L't');
    FakeAddFolder(source);
    FakeAddFile(source + L"\\f.ini", "f");
    const bool fits = length <= 250;
    EXPECT_EQ(CopyOrMoveDirContents(ctx, source, target, L"", false, true, false), fits) << length;
    EXPECT_EQ(FakeHasFile(target + L"\\f.ini"), fits) << length;
    EXPECT_EQ(CopyOrMoveDirContents(ctx, source, target + L"2", L"", true, true, false), fits);
    EXPECT_EQ(FakeHasFile(target + L"2\\f.ini"), fits) << length;
    EXPECT_NE(FakeHasFile(source + L"\\f.ini"), fits) << length;
  }
  EXPECT_FALSE(CopyTree(L"C:\\Missing", L"C:\\T", L"", nullptr));
  EXPECT_EQ(os::FileState(L"C:\\T"), -1);
}

TEST_F(FileOpsTest, FileCreateNoOverwriteKeepsOnlyANonEmptyFile) {
  FakeAddFolder(L"C:\\R");
  FakeAddFile(L"C:\\R\\empty.txt", "");
  FakeAddFile(L"C:\\R\\full.txt", "old");
  FakeAddFile(L"C:\\R\\case.txt", "old");
  FileCreate(ctx, L"C:\\R\\empty.txt", L" no overwrite ", L"new");
  FileCreate(ctx, L"C:\\R\\full.txt", L"no overwrite", L"new");
  FileCreate(ctx, L"C:\\R\\case.txt", L"No Overwrite", L"new");
  FileCreate(ctx, L"New\\Sub\\made.txt", L"no overwrite", L"");
  EXPECT_EQ(FakeFileBytes(L"C:\\R\\empty.txt"), "new");
  EXPECT_EQ(FakeFileBytes(L"C:\\R\\full.txt"), "old");
  EXPECT_EQ(FakeFileBytes(L"C:\\R\\case.txt"), "new");
  EXPECT_TRUE(FakeHasFile(L"C:\\P\\New\\Sub\\made.txt"));
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\New\\Sub\\made.txt"), "");
}

TEST_F(FileOpsTest, FileCreateWritesUtf8WithoutMark) {
  FileCreate(ctx, L"t.txt", L"", L"Gr\u00fc\u00dfe \u20ac\r\n\U0001F600");
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\t.txt"),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC\r\n\xF0\x9F\x98\x80");
}

TEST_F(FileOpsTest, PercentPathsGoThroughTheFileApi) {
  CreateDir(ctx, L"C:\\R\\100%\\a b");
  EXPECT_EQ(Tree(L"C:\\R"), (Lines{L"100%\\", L"100%\\a b\\"}));
  FakeAddFile(L"C:\\R\\100%\\ro.txt", "r");
  FakeAddFile(L"C:\\R\\100%\\hidden.txt", "h");
  FakeAddFile(L"C:\\R\\100%\\keep.ini", "k");
  Fake().readOnlyFiles.insert(L"c:\\r\\100%\\ro.txt");
  Fake().hiddenFiles.insert(L"c:\\r\\100%\\hidden.txt");
  DeleteFiles(ctx, L"C:\\R\\100%\\*.txt");  // like DEL /F: read-only goes, hidden stays
  EXPECT_EQ(Tree(L"C:\\R"),
            (Lines{L"100%\\", L"100%\\a b\\", L"100%\\hidden.txt", L"100%\\keep.ini"}));
  DeleteDir(ctx, L"C:\\R\\100%", L"ifempty");
  EXPECT_EQ(Tree(L"C:\\R").size(), 4u);
  DeleteDir(ctx, L"C:\\R\\100%\\a b", L"ifempty");
  EXPECT_EQ(Tree(L"C:\\R").size(), 3u);

  // A link inside goes as a link; what it points to is left alone.
  FakeAddFolder(L"C:\\R\\100%\\Link");
  FakeAddFile(L"C:\\R\\100%\\Link\\behind.txt", "b");
  Fake().linkFolders.insert(L"c:\\r\\100%\\link");
  DeleteDir(ctx, L"C:\\R\\100%", L"");
  EXPECT_EQ(os::FileState(L"C:\\R\\100%"), -1);
  EXPECT_TRUE(FakeHasFile(L"C:\\R\\100%\\Link\\behind.txt"));
  EXPECT_TRUE(Fake().hiddenStarts.empty());
}

TEST_F(FileOpsTest, PercentFolderAmongWildcardMatchesLeavesTheOthersOnTheInterpreter) {
  FakeAddFolder(L"C:\\R");
  FakeAddFolder(L"C:\\R\\Cache1");
  FakeAddFolder(L"C:\\R\\Cache%PATH%");
  FakeAddFile(L"C:\\R\\Cache%PATH%\\x", "x");
  FakeAddFile(L"C:\\P\\50%.ini", "m");
  DeleteDir(ctx, L"C:\\R\\Cache*", L"");
  EXPECT_TRUE(CopyOrMoveFile(ctx, L"50%.ini", L"C:\\R\\", true, true, false));
  EXPECT_EQ(HiddenCommandLines(), (Lines{kCmd + L"/c RMDIR C:\\R\\cache1 /S /Q"}));
  EXPECT_EQ(Tree(L"C:\\R"), (Lines{L"50%.ini"}));
  EXPECT_FALSE(FakeHasFile(L"C:\\P\\50%.ini"));
}

// A file the target holds already, with its source's size and write time, is not
// written again: carrying a folder back writes only what the application changed.
TEST_F(FileOpsTest, TreeCopyWritesOnlyFilesThatDifferFromTheTargets) {
  MakeSourceTree();
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T", L"", false, true, false));
  FakeAddFile(L"C:\\S\\Sub\\b.ini", "changed");
  FakeAddFile(L"C:\\T\\a.txt", "T");      // same size, other bytes: not the same file
  FakeAddFile(L"C:\\S\\a.ini", "new a");  // saved again unchanged: a new time, the same bytes
  Fake().changes.clear();
  EXPECT_TRUE(CopyOrMoveDirContents(ctx, L"C:\\S", L"C:\\T", L"", false, true, false));
  std::vector<std::wstring> copied;
  for (const FakeChange& change : Fake().changes)
    if (change.call == L"CopyFileReplacing") copied.push_back(change.path);
  EXPECT_EQ(copied, (Lines{L"c:\\s\\a.txt", L"c:\\s\\sub\\b.ini"}));  // by source
  EXPECT_EQ(FakeFileBytes(L"C:\\T\\a.txt"), "t");
  EXPECT_EQ(FakeFileBytes(L"C:\\T\\Sub\\b.ini"), "changed");
}

// Carried back after a run that filled the source from the target: a file with
// the size and write time of its counterpart is not read, when only the copy can
// have given them. On a volume with FAT32's 2 s, files written together share a
// time: a swap by renames must not pass for the copies.
TEST_F(FileOpsTest, TreeCopyTakesTheTimesOnlyOfUntouchedCopies) {
  Fake().coarseTimeDrives.insert(L"c:");
  FakeAddFolder(L"C:\\T");
  for (const auto& [name, bytes] : std::map<std::wstring, std::string>{
           {L"a.txt", "a1"}, {L"b.txt", "b1"}, {L"rewritten.txt", "r1"}, {L"untouched.txt", "u-1"}})
    FakeAddFile(L"C:\\T\\" + name, bytes);
  const std::uint64_t filledAt = os::FileClock();
  ASSERT_TRUE(CopyTree(L"C:\\T", L"C:\\S", L"", nullptr));
  FakeAddFile(L"C:\\S\\rewritten.txt", "r2");
  os::MoveFileOrFolder(L"C:\\S\\a.txt", L"C:\\S\\x.txt");
  os::MoveFileOrFolder(L"C:\\S\\b.txt", L"C:\\S\\a.txt");
  os::MoveFileOrFolder(L"C:\\S\\x.txt", L"C:\\S\\b.txt");
  Fake().files[L"c:\\t\\untouched.txt"] = "U!!";  // other bytes, the same time: unread
  Fake().changes.clear();
  EXPECT_TRUE(CopyTree(L"C:\\S", L"C:\\T", L"", nullptr, filledAt));
  std::vector<std::wstring> copied;
  for (const FakeChange& change : Fake().changes)
    if (change.call == L"CopyFileReplacing") copied.push_back(change.path);
  std::sort(copied.begin(), copied.end());
  EXPECT_EQ(copied, (Lines{L"c:\\s\\a.txt", L"c:\\s\\b.txt", L"c:\\s\\rewritten.txt"}));
  EXPECT_EQ(FakeFileBytes(L"C:\\T\\untouched.txt"), "U!!");
}
