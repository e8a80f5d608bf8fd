#include "commands/run_section.h"
#include "tests/native/items_fixture.h"

class CopyMoveItemTest : public ItemsTest {
 protected:
  void Dispatch(const std::wstring& key, const std::wstring& value) {
    DispatchKey(ctx, L"BEFORE", key, value);
  }
  void Folder(const std::wstring& path, const Entries& entries) {
    FakeAddFolder(path);
    for (const auto& [name, bytes] : entries) {
      if (name.back() == L'\\')
        FakeAddFolder(path + L"\\" + name.substr(0, name.size() - 1));
      else
        FakeAddFile(path + L"\\" + name, bytes);
    }
  }
};

TEST_F(CopyMoveItemTest, MoveWithoutOverwriteLeavesBothFoldersWhenTheTargetExists) {
  Folder(L"C:\\U\\A", {{L"a.txt", "a"}});
  Folder(L"C:\\U\\B", {{L"b.txt", "b"}});
  Dispatch(L"->dir", L"C:\\U\\A :: C:\\U\\B :: move, no overwrite");
  EXPECT_EQ(Tree(L"C:\\U\\A"), (Entries{{L"a.txt", "a"}}));
  EXPECT_EQ(Tree(L"C:\\U\\B"), (Entries{{L"b.txt", "b"}}));
}

TEST_F(CopyMoveItemTest, PatternCopiesMatchingFilesAndCreatesEverySubfolder) {
  Folder(L"C:\\U\\A", {{L"a.ini", "1"},
                       {L"a.txt", "2"},
                       {L"Sub\\", ""},
                       {L"Sub\\b.ini", "3"},
                       {L"Empty\\", ""},
                       {L"Empty\\c.txt", "4"}});
  Dispatch(L"->dir", L"C:\\U\\A :: Copy ::  :: *.ini");
  EXPECT_EQ(Tree(L"C:\\P\\Copy"),
            (Entries{{L"a.ini", "1"}, {L"empty\\", ""}, {L"sub\\", ""}, {L"sub\\b.ini", "3"}}));
  EXPECT_EQ(Tree(L"C:\\U\\A").size(), 6u);
}

TEST_F(CopyMoveItemTest, ReversedFileCopyTakesTheSecondFieldAsSource) {
  FakeAddFile(L"C:\\U\\A.ini", "a");
  FakeAddFile(L"C:\\U\\B.ini", "b");
  Dispatch(L"<-file", L"C:\\U\\A.ini :: C:\\U\\B.ini");
  EXPECT_EQ(FakeFileBytes(L"C:\\U\\A.ini"), "b");
  EXPECT_EQ(FakeFileBytes(L"C:\\U\\B.ini"), "b");
}

TEST_F(CopyMoveItemTest, EmptySourceDoesNothing) {
  Folder(L"C:\\U\\B", {{L"b.txt", "b"}});
  Dispatch(L"->dir", L" :: C:\\U\\B :: move");
  Dispatch(L"<-file", L" :: C:\\U\\B\\b.txt :: move");
  EXPECT_TRUE(Fake().hiddenStarts.empty());
  EXPECT_EQ(Tree(L"C:\\U\\B"), (Entries{{L"b.txt", "b"}}));
}

TEST_F(CopyMoveItemTest, DeleteFolderIfEmptyLeavesAFolderThatHoldsAFile) {
  Folder(L"C:\\U\\Full", {{L"f.txt", "f"}});
  Folder(L"C:\\U\\Empty", {});
  Dispatch(L"-dir", L"C:\\U\\Full :: ifempty");
  Dispatch(L"-dir", L"C:\\U\\Empty :: ifempty");
  EXPECT_EQ(Tree(L"C:\\U\\Full"), (Entries{{L"f.txt", "f"}}));
  EXPECT_FALSE(FolderExists(L"C:\\U\\Empty"));
  Dispatch(L"-dir", L"C:\\U\\Full");
  EXPECT_FALSE(FolderExists(L"C:\\U\\Full"));
}

TEST_F(CopyMoveItemTest, DeleteFilesTakesWildcardsAndTheWholeValue) {
  Folder(L"C:\\U", {{L"File.ini", "1"},
                    {L"File2.txt", "2"},
                    {L"Other.txt", "3"},
                    {L"a :: b.txt", "4"},
                    {L"a", "5"}});
  Dispatch(L"-file", L"C:\\U\\File*");
  Dispatch(L"-file", L"C:\\U\\a :: b.txt");
  EXPECT_EQ(Tree(L"C:\\U"), (Entries{{L"a", "5"}, {L"appdata\\", ""}, {L"other.txt", "3"}}));
}

TEST_F(CopyMoveItemTest, CreateFolderTakesTheWholeValueAndFileTakesThreeFields) {
  Dispatch(L"+dir", L"C:\\U\\New\\Deep");
  EXPECT_TRUE(FolderExists(L"C:\\U\\New\\Deep"));
  EXPECT_EQ(Fake().hiddenStarts.back().commandLine,
            L"\"C:\\Windows\\system32\\cmd.exe\" /c MKDIR C:\\U\\New\\Deep");

  Dispatch(L"+file", L"C:\\U\\New\\n.txt ::  :: hello :: ignored");
  EXPECT_EQ(FakeFileBytes(L"C:\\U\\New\\n.txt"), "hello");
  Dispatch(L"+file", L"C:\\U\\New\\n.txt :: no overwrite :: again");
  EXPECT_EQ(FakeFileBytes(L"C:\\U\\New\\n.txt"), "hello");
  Dispatch(L"+file", L"C:\\U\\New\\n.txt ::  :: again");
  EXPECT_EQ(FakeFileBytes(L"C:\\U\\New\\n.txt"), "again");
}
