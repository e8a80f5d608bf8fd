// Naming the application: not set, not found, found in the App folder.
#include <windows.h>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;

TEST(Application, NotSetStopsWithExitCodeOne) {
  PortableFolder folder(L"AppNotSet");
  AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"AppNotSet.ini", IniText("[GENERAL]\napplication = \n")));
  BoxAnswerer answerer;
  StartAnswering(answerer, L"AppNotSet", {IDOK});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_EQ(seen.size(), 1u);
  ExpectBox(
      seen[0], L"AppNotSet",
      L"Main application is not set!\r\nPlease check " + PathIn(folder, L"AppNotSet.ini") + L".",
      BoxIcon::Stop, false);
  EXPECT_TRUE(ReadAppRuns(PathIn(folder, L"App\\App.exe")).empty());
}

// No application key in any section (here a misspelt one): nothing to start, so
// nothing is moved for it either.
TEST(Application, NoKeyStopsWithExitCodeOneBeforeAnythingMoves) {
  PortableFolder folder(L"AppNoKey");
  AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(
      WriteFileIn(folder, L"AppNoKey.ini",
                  IniText("[GENERAL]\nApplication = App\\App.exe\n[BEFORE]\ndir = Data\n")));
  ASSERT_TRUE(CreateDirectoryW(PathIn(folder, L"Data").c_str(), nullptr));
  ASSERT_TRUE(WriteFileIn(folder, L"Data\\own.txt", "the machine's"));
  BoxAnswerer answerer;
  StartAnswering(answerer, L"AppNoKey", {IDOK});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_EQ(seen.size(), 1u);
  ExpectBox(
      seen[0], L"AppNoKey",
      L"Main application is not set!\r\nPlease check " + PathIn(folder, L"AppNoKey.ini") + L".",
      BoxIcon::Stop, false);
  EXPECT_TRUE(ReadAppRuns(PathIn(folder, L"App\\App.exe")).empty());
  EXPECT_EQ(ReadBytes(PathIn(folder, L"Data\\own.txt")), "the machine's");
  EXPECT_EQ(GetFileAttributesW(PathIn(folder, L"Data_backup").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Application, NotFoundStopsWithExitCodeOne) {
  PortableFolder folder(L"AppNotFound");
  ASSERT_TRUE(WriteFileIn(folder, L"voQ.ini", IniText("[GENERAL]\napplication = App\\Gone.exe\n")));
  BoxAnswerer answerer;
  StartAnswering(answerer, L"AppNotFound", {IDOK});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_EQ(seen.size(), 1u);
  ExpectBox(seen[0], L"AppNotFound",
            L"Main application not found!\r\nPlease check " + PathIn(folder, L"voQ.ini") + L".",
            BoxIcon::Stop, false);
}

TEST(Application, ABareNameIsLookedUpInTheAppFolder) {
  PortableFolder folder(L"AppFallback");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(
      WriteFileIn(folder, L"AppFallback.ini", IniText("[GENERAL]\napplication = App.exe\n")));
  BoxAnswerer answerer;
  StartAnswering(answerer, L"AppFallback", {});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(seen.empty());
  const std::vector<AppRun> runs = ReadAppRuns(app);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].folder, PathIn(folder, L"App"));
}
