#include "platform/paths.h"

#include "fileops/file_ops.h"
#include "process/run_hidden.h"
#include "registry/reg_delete.h"
#include "tests/native/launcher_fixture.h"

class PathsTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    Start();
  }
};

TEST_F(PathsTest, ResolvePathPlacesRelativeTextsUnderTheLauncherFolder) {
  EXPECT_EQ(ResolvePath(ctx, L"  D:\\Data  "), L"D:\\Data");
  EXPECT_EQ(ResolvePath(ctx, L"x C:\\y"), L"x C:\\y");  // ":\" anywhere counts
  EXPECT_EQ(ResolvePath(ctx, L"App\\App.exe"), L"C:\\P\\App\\App.exe");
  EXPECT_EQ(ResolvePath(ctx, L"Data..."), L"C:\\P\\Data");
  EXPECT_EQ(ResolvePath(ctx, L"."), L"C:\\P\\");
  EXPECT_EQ(ResolvePath(ctx, L""), L"C:\\P\\");
  EXPECT_EQ(ResolvePath(ctx, L"\\\\server\\share"), L"C:\\P\\\\\\server\\share");
}

TEST_F(PathsTest, ParentFolderCutsAtTheLastSeparatorBeforeABar) {
  EXPECT_EQ(ParentFolder(ctx, L"C:\\P\\App\\App.exe"), L"C:\\P\\App");
  EXPECT_EQ(ParentFolder(ctx, L"C:\\P\\App\\\\"), L"C:\\P\\App");
  EXPECT_EQ(ParentFolder(ctx, L"C:\\x/y/z.txt"), L"C:\\x/y/");
  EXPECT_EQ(ParentFolder(ctx, L"C:\\a\\b|c\\d"), L"C:\\a");
  EXPECT_EQ(ParentFolder(ctx, L"\"C:\\a b\\c.exe\""), L"\"C:\\a b");
  EXPECT_EQ(ParentFolder(ctx, L"App.exe"), L"C:\\P");
}

TEST_F(PathsTest, LastComponentIgnoresTrailingBackslashes) {
  EXPECT_EQ(LastComponent(L"C:\\a\\b\\\\"), L"b");
  EXPECT_EQ(LastComponent(L"C:/a/file.ini"), L"file.ini");
  EXPECT_EQ(LastComponent(L"plain"), L"plain");
  EXPECT_TRUE(EndsWithBackslash(L"C:\\a\\"));
  EXPECT_FALSE(EndsWithBackslash(L""));
}

TEST_F(PathsTest, QuoteIfSpacedQuotesOnlyUnquotedTextsWithBlanks) {
  EXPECT_EQ(QuoteIfSpaced(L"  C:\\a b  "), L"\"C:\\a b\"");
  EXPECT_EQ(QuoteIfSpaced(L"\"C:\\a b\""), L"\"C:\\a b\"");
  EXPECT_EQ(QuoteIfSpaced(L"C:\\ab"), L"C:\\ab");
  EXPECT_EQ(QuoteIfSpaced(L""), L"");
}

TEST_F(PathsTest, InterpreterPathsWithSpecialCharactersAreQuoted) {
  EXPECT_EQ(QuoteForInterpreter(L"C:\\x\\Cache1&md pwned"), L"\"C:\\x\\Cache1&md pwned\"");
  EXPECT_EQ(QuoteForInterpreter(L"C:\\x\\Tom&Jerry.exe"), L"\"C:\\x\\Tom&Jerry.exe\"");
  EXPECT_EQ(QuoteForInterpreter(L"C:\\x\\a,b.txt"), L"\"C:\\x\\a,b.txt\"");
  EXPECT_EQ(QuoteForInterpreter(L"C:\\x\\(1)^|<>;="), L"\"C:\\x\\(1)^|<>;=\"");
  EXPECT_EQ(QuoteForInterpreter(L"C:\\x\\plain.txt"), L"C:\\x\\plain.txt");
  EXPECT_EQ(QuoteForInterpreter(L""), L"");
}

TEST_F(PathsTest, HiddenCommandLineQuotesTheProgramOnce) {
  EXPECT_EQ(HiddenCommandLine(L"C:\\W\\reg.exe", L"ADD x"), L"\"C:\\W\\reg.exe\" ADD x");
  EXPECT_EQ(HiddenCommandLine(L"\"C:\\W\\reg.exe\"", L" x"), L"\"C:\\W\\reg.exe\"  x");
  EXPECT_EQ(HiddenCommandLine(L"C:\\W\\reg.exe", L""), L"\"C:\\W\\reg.exe\"");
}

TEST_F(PathsTest, DeleteFilesActsOnlyOnExistingFiles) {
  FakeAddFile(L"C:\\P\\File.ini", "1");
  FakeAddFile(L"C:\\P\\Empty.ini", "");
  FakeAddFolder(L"C:\\P\\Dir");
  DeleteFiles(ctx, L"");
  DeleteFiles(ctx, L"Missing.ini");
  DeleteFiles(ctx, L"Dir");
  DeleteFiles(ctx, L"File*");
  DeleteFiles(ctx, L"Empty.ini");
  EXPECT_EQ(HiddenCommandLines(),
            (std::vector<std::wstring>{
                L"\"C:\\Windows\\system32\\cmd.exe\" /c DEL C:\\P\\File* /F /Q",
                L"\"C:\\Windows\\system32\\cmd.exe\" /c DEL C:\\P\\Empty.ini /F /Q"}));
}

TEST_F(PathsTest, RegistryDeletionsSendTheirExactTexts) {
  FakeSetRegString(os::RegRoot::CurrentUser, L"Software\\A", L"v", L"x");
  FakeAddRegKey(os::RegRoot::CurrentUser, L"Software\\A B");
  DeleteRegValue(ctx, L"HKCU\\Software\\A", L"");
  DeleteRegValue(ctx, L"", L"v");
  DeleteRegValue(ctx, L"HKCU\\Software\\A", L"v");
  DeleteRegKey(ctx, L"HKCU\\Software\\A");
  DeleteRegKey(ctx, L"HKCU\\Software\\A B");
  EXPECT_EQ(HiddenCommandLines(),
            (std::vector<std::wstring>{
                L"\"C:\\Windows\\system32\\reg.exe\"  DELETE \"HKCU\\Software\\A\" /v \"v\" /f",
                L"\"C:\\Windows\\system32\\reg.exe\" DELETE HKCU\\Software\\A /f",
                L"\"C:\\Windows\\system32\\reg.exe\" DELETE \"HKCU\\Software\\A B\" /f"}));
}
