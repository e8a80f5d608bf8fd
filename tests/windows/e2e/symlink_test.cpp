// Symbolic-link items under Wine, whose mklink makes no links: the case "the
// link could not be made" for real, and a Linux folder symlink standing in for a
// folder link that a run left behind.
#include <windows.h>

#include <cstdio>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;
using namespace std::chrono_literals;

namespace {

void WriteIni(const PortableFolder& folder, const std::string& sections) {
  ASSERT_TRUE(WriteFileIn(folder, folder.name + L".ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\n" + sections)));
}

// A Linux symlink to the folder: Wine shows it as a folder link (a reparse point),
// and its own CreateSymbolicLinkW makes none.
bool MakeLinuxFolderLink(const std::wstring& link, const std::wstring& target) {
  return MakeLinuxLink(link, target) &&
         (GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace

TEST(Symlink, LinksThatCannotBeMadeLoseNothingAndTheApplicationRuns) {
  PortableFolder folder(L"NoLinks");
  ScopedFolder machine(L"voq-machine");
  const std::wstring local = machine.path + L"App";
  ASSERT_TRUE(MakeFolders(local));
  ASSERT_TRUE(WriteBytes(local + L"\\own.txt", "machine"));
  ASSERT_TRUE(WriteBytes(machine.path + L"App.ini", "machine ini"));
  ASSERT_TRUE(MakeFolders(PathIn(folder, L"Data")));
  ASSERT_TRUE(WriteFileIn(folder, L"Data\\App.ini", "portable ini"));
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  WriteIni(folder, "[BEFORE]\nsymlink = " + Utf8(local) + "\\ :: Data\\App\\\nsymlink = " +
                       Utf8(machine.path) + "App.ini :: Data\\App.ini\n");

  const LaunchResult run = RunLauncher(folder, L"");
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(ReadAppRuns(app).size(), 1u);
  EXPECT_EQ(ReadBytes(local + L"\\own.txt"), "machine");
  EXPECT_EQ(ReadBytes(machine.path + L"App.ini"), "machine ini");
  EXPECT_FALSE(Exists(local + L"_backup"));
  EXPECT_FALSE(Exists(machine.path + L"App.ini_backup"));
  EXPECT_EQ(ReadBytes(PathIn(folder, L"Data\\App.ini")), "portable ini");
  // The missing target folder was made, so that a link would not point at nothing.
  EXPECT_TRUE(Exists(PathIn(folder, L"Data\\App")));
  EXPECT_FALSE(Exists(RunRecordOf(folder)));
}

// A run that ended while its folder link stood: the next start removes only the
// link. While the target holds files Wine cannot remove a Linux folder link, so
// the machine's data waits under the backup name and the item stays recorded;
// the target is never emptied through the link. (With an empty target Wine
// removes the target folder and leaves the link, unlike Windows: the removal of
// a real link is shown by the native tests.)
TEST(Symlink, LinkLeftByAnEndedRunIsNeverEmptiedThrough) {
  PortableFolder folder(L"LeftLink");
  ScopedFolder machine(L"voq-machine");
  const std::wstring local = machine.path + L"App";
  const std::wstring target = PathIn(folder, L"Data\\App");
  ASSERT_TRUE(MakeFolders(local + L"_backup"));
  ASSERT_TRUE(WriteBytes(local + L"_backup\\own.txt", "machine"));
  ASSERT_TRUE(MakeFolders(target));
  ASSERT_TRUE(WriteBytes(target + L"\\portable.txt", "portable"));
  ASSERT_TRUE(MakeLinuxFolderLink(local, target));
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  const std::string value = Utf8(local) + "\\ :: Data\\App\\";
  WriteIni(folder, "[BEFORE]\nsymlink = " + value + "\n");
  ASSERT_TRUE(WriteRunRecord(
      folder, {RunItem{L"in use", L"20261209120000", L"symlink", Wide(value), kEarlierRun}}));

  EXPECT_TRUE(RunLauncher(folder, L"").ended);
  EXPECT_EQ(ReadBytes(target + L"\\portable.txt"), "portable");
  EXPECT_EQ(ReadBytes(local + L"_backup\\own.txt"), "machine");
  EXPECT_EQ(RecordedItems(folder).size(), 1u);
}
