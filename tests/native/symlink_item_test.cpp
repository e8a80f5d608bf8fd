// Symbolic-link items over whole runs: the link in place while the application
// runs, the machine's data back afterwards, and nothing lost when a link cannot
// be made or something else stands where it should be.
#include "tests/fake_platform/fake_checks.h"
#include "tests/native/items_fixture.h"

namespace {

const std::wstring kInterpreter = L"\"C:\\Windows\\system32\\cmd.exe\" /c ";

// The next path of an interpreter line, quoted or not.
std::wstring TakePath(std::wstring& rest) {
  std::wstring path;
  if (!rest.empty() && rest.front() == L'"') {
    const size_t close = rest.find(L'"', 1);
    path = rest.substr(1, close - 1);
    rest = rest.substr(close + 1);
  } else {
    path = rest.substr(0, rest.find(L' '));
    rest = rest.substr(path.size());
  }
  if (!rest.empty() && rest.front() == L' ') rest.erase(0, 1);
  return path;
}

}  // namespace

class SymlinkTest : public ItemsTest {
 protected:
  void SetUp() override {
    ItemsTest::SetUp();
    ctx.isAdministrator = 1;
    // mklink makes the link (unless told not to); everything else as before.
    Fake().onHiddenStart = [this](FakeHiddenStart& start) {
      if (!StartsWith(start.commandLine, kInterpreter + L"mklink ")) return FakeInterpret(start);
      std::wstring rest = start.commandLine.substr(kInterpreter.size() + 7);
      const bool folder = StartsWith(rest, L"/D ");
      rest.erase(0, folder ? 3 : 1);
      const std::wstring link = TakePath(rest);
      const std::wstring target = TakePath(rest);
      links.push_back({link, target, folder});
      if (mklinkWorks && os::FileState(link) == -1) FakeMakeLink(link, folder);
      return true;
    };
  }

  static bool IsLinkFolder(const std::wstring& path) {
    return Fake().linkFolders.count(LowerAscii(path)) > 0;
  }

  bool mklinkWorks = true;
  std::vector<FakeLink> links;  // what mklink was asked for
};

TEST_F(SymlinkTest, FolderLinkRoundTripKeepsBothSidesData) {
  FakeAddFolder(L"C:\\U\\AppData\\App");
  FakeAddFile(L"C:\\U\\AppData\\App\\a.txt", "machine");
  const int code = Run("[BEFORE]\r\nsymlink = %Appdata%\\App\\ :: Data\\App\\\r\n", [&] {
    EXPECT_TRUE(IsLinkFolder(L"C:\\U\\AppData\\App"));
    EXPECT_EQ(Tree(L"C:\\U\\AppData\\App_backup"), (Entries{{L"a.txt", "machine"}}));
    // Missing before, the target is made, so that the link points at a folder.
    EXPECT_TRUE(FolderExists(L"C:\\P\\Data\\App"));
    EXPECT_EQ(RecordedItems(), std::vector<std::wstring>{
                                   L"in use :: symlink :: C:\\U\\AppData\\App\\ :: Data\\App\\"});
    FakeAddFile(L"C:\\P\\Data\\App\\written.txt", "through the link");
  });
  EXPECT_EQ(code, 0);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].link, L"C:\\U\\AppData\\App");
  EXPECT_EQ(links[0].target, L"C:\\P\\Data\\App");
  EXPECT_FALSE(IsLinkFolder(L"C:\\U\\AppData\\App"));
  EXPECT_EQ(Tree(L"C:\\U\\AppData\\App"), (Entries{{L"a.txt", "machine"}}));
  EXPECT_FALSE(FolderExists(L"C:\\U\\AppData\\App_backup"));
  EXPECT_EQ(Tree(L"C:\\P\\Data\\App"), (Entries{{L"written.txt", "through the link"}}));
  EXPECT_FALSE(RecordExists());
}

TEST_F(SymlinkTest, FileLinkLineHasTwoBlanksAndAnEmptyTargetIsMade) {
  FakeAddFolder(L"C:\\U\\AppData\\App");
  FakeAddFile(L"C:\\U\\AppData\\App\\settings.ini", "machine");
  EXPECT_EQ(Run("[BEFORE]\r\nsymlink = %Appdata%\\App\\settings.ini :: Data\\settings.ini\r\n",
                [&] {
                  EXPECT_TRUE(FakeHasFile(L"C:\\P\\Data\\settings.ini"));
                  EXPECT_EQ(FakeFileBytes(L"C:\\U\\AppData\\App\\settings.ini_backup"), "machine");
                }),
            0);
  const std::vector<std::wstring> lines = HiddenCommandLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      kInterpreter +
                          L"mklink  C:\\U\\AppData\\App\\settings.ini C:\\P\\Data\\settings.ini"),
            lines.end());
  EXPECT_EQ(FakeFileBytes(L"C:\\U\\AppData\\App\\settings.ini"), "machine");
  EXPECT_EQ(Fake().otherAttributes.count(L"c:\\u\\appdata\\app\\settings.ini"), 0u);
  EXPECT_FALSE(FakeHasFile(L"C:\\U\\AppData\\App\\settings.ini_backup"));
  EXPECT_EQ(FakeFileBytes(L"C:\\P\\Data\\settings.ini"), "");
}

TEST_F(SymlinkTest, LinkThatCouldNotBeMadeLosesNothingAndTheApplicationStillRuns) {
  mklinkWorks = false;
  FakeAddFolder(L"C:\\U\\AppData\\App");
  FakeAddFile(L"C:\\U\\AppData\\App\\a.txt", "machine");
  FakeAddFolder(L"C:\\P\\Data");
  FakeAddFolder(L"C:\\P\\Data\\App");
  FakeAddFile(L"C:\\P\\Data\\App\\p.txt", "portable");
  bool ran = false;
  EXPECT_EQ(Run("[BEFORE]\r\nsymlink = %Appdata%\\App\\ :: Data\\App\\\r\n",
                [&] {
                  ran = true;
                  // The machine's data is back in its place before the application starts.
                  EXPECT_EQ(Tree(L"C:\\U\\AppData\\App"), (Entries{{L"a.txt", "machine"}}));
                  EXPECT_FALSE(FolderExists(L"C:\\U\\AppData\\App_backup"));
                }),
            0);
  EXPECT_TRUE(ran);
  EXPECT_EQ(Tree(L"C:\\U\\AppData\\App"), (Entries{{L"a.txt", "machine"}}));
  EXPECT_EQ(Tree(L"C:\\P\\Data\\App"), (Entries{{L"p.txt", "portable"}}));
  EXPECT_FALSE(RecordExists());
}

// What stands where the link should be is the application's or someone's data:
// it is neither deleted nor copied over, the machine's data waits under the
// backup name, and the item stays recorded.
TEST_F(SymlinkTest, RealDataWhereTheLinkShouldBeIsNeverDeleted) {
  FakeAddFolder(L"C:\\U\\AppData\\App");
  FakeAddFile(L"C:\\U\\AppData\\App\\a.txt", "machine");
  const std::string sections = "[BEFORE]\r\nsymlink = %Appdata%\\App\\ :: Data\\App\\\r\n";
  Run(sections, [&] {
    Fake().folders.erase(L"c:\\u\\appdata\\app");
    Fake().linkFolders.erase(L"c:\\u\\appdata\\app");
    FakeAddFolder(L"C:\\U\\AppData\\App");
    FakeAddFile(L"C:\\U\\AppData\\App\\new.txt", "replaced the link");
  });
  const Entries after = {{L"new.txt", "replaced the link"}};
  EXPECT_EQ(Tree(L"C:\\U\\AppData\\App"), after);
  EXPECT_EQ(Tree(L"C:\\U\\AppData\\App_backup"), (Entries{{L"a.txt", "machine"}}));
  EXPECT_EQ(RecordedItems(), std::vector<std::wstring>{
                                 L"to clear :: symlink :: C:\\U\\AppData\\App\\ :: Data\\App\\"});

  // The next start finds it so again and still removes nothing.
  Run(sections);
  EXPECT_EQ(Tree(L"C:\\U\\AppData\\App"), after);
  EXPECT_EQ(Tree(L"C:\\U\\AppData\\App_backup"), (Entries{{L"a.txt", "machine"}}));
  for (const std::wstring& line : HiddenCommandLines())
    EXPECT_FALSE(Contains(line, L"RMDIR") || Contains(line, L"DEL ")) << Utf8FromWide(line);
}

TEST_F(SymlinkTest, KilledRunIsFinishedByTheNextStartRemovingOnlyTheLink) {
  FakeAddFolder(L"C:\\U\\AppData\\App");
  FakeAddFile(L"C:\\U\\AppData\\App\\a.txt", "machine");
  const std::string sections = "[BEFORE]\r\nsymlink = %Appdata%\\App\\ :: Data\\App\\\r\n";
  RunKilled(sections, [] { FakeAddFile(L"C:\\P\\Data\\App\\w.txt", "written"); });
  ASSERT_TRUE(IsLinkFolder(L"C:\\U\\AppData\\App"));
  Run(sections, [&] { EXPECT_TRUE(IsLinkFolder(L"C:\\U\\AppData\\App")); });
  EXPECT_EQ(Tree(L"C:\\U\\AppData\\App"), (Entries{{L"a.txt", "machine"}}));
  EXPECT_EQ(Tree(L"C:\\P\\Data\\App"), (Entries{{L"w.txt", "written"}}));
  EXPECT_FALSE(RecordExists());
}

TEST_F(SymlinkTest, PathsTheInterpreterCannotTakeGoThroughTheLinkApi) {
  FakeAddFolder(L"C:\\U\\AppData\\A&B");
  Run("[BEFORE]\r\nsymlink = %Appdata%\\A&B\\ :: Data\\50%\\\r\n"
      "symlink = %Appdata%\\C(1)\\ :: Data\\C\\\r\n");
  ASSERT_EQ(Fake().checks.linkCalls.size(), 1u);
  EXPECT_EQ(Fake().checks.linkCalls[0].link, L"C:\\U\\AppData\\A&B");
  EXPECT_EQ(Fake().checks.linkCalls[0].target, L"C:\\P\\Data\\50%");
  EXPECT_TRUE(Fake().checks.linkCalls[0].folder);
  // Quoted where a character would end the command.
  ASSERT_EQ(links.size(), 1u);
  const std::vector<std::wstring> lines = HiddenCommandLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      kInterpreter + L"mklink /D \"C:\\U\\AppData\\C(1)\" C:\\P\\Data\\C"),
            lines.end());
  EXPECT_TRUE(FolderExists(L"C:\\U\\AppData\\A&B"));
  EXPECT_FALSE(IsLinkFolder(L"C:\\U\\AppData\\A&B"));
}

TEST_F(SymlinkTest, BadValuesMoveNothing) {
  FakeAddFolder(L"C:\\U\\AppData\\App");
  FakeAddFile(L"C:\\U\\AppData\\App\\a.txt", "machine");
  FakeAddFolder(L"C:\\P\\Data");
  FakeAddFile(L"C:\\P\\Data\\App", "a file where a folder is wanted");
  const std::string rows[] = {
      "symlink = %Appdata%\\App\\ :: Data\\App\\\r\n",
      "symlink = %Appdata%\\App\\ :: %Appdata%\\App\\Inside\\\r\n",
      "symlink = %Appdata%\\App\\ :: %Appdata%\\App\r\n",
  };
  for (const std::string& row : rows) {
    links.clear();
    bool ran = false;
    EXPECT_EQ(Run("[BEFORE]\r\n" + row,
                  [&] {
                    ran = true;
                    EXPECT_EQ(Tree(L"C:\\U\\AppData\\App"), (Entries{{L"a.txt", "machine"}}));
                  }),
              0);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(links.empty()) << row;
    EXPECT_EQ(Tree(L"C:\\U\\AppData\\App"), (Entries{{L"a.txt", "machine"}}));
    EXPECT_FALSE(FolderExists(L"C:\\U\\AppData\\App_backup"));
    EXPECT_EQ(FakeFileBytes(L"C:\\P\\Data\\App"), "a file where a folder is wanted");
  }
}
