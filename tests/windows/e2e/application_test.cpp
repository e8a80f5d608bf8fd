// Naming the application: not set, not found, found in the App folder.
#include <windows.h>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;

// An empty application key, and none in any section (here a misspelt one): nothing
// to start, so nothing is moved for it either.
TEST(Application, NotSetStopsWithExitCodeOneBeforeAnythingMoves) {
  struct Case {
    const wchar_t* name;
    const char* ini;
  };
  for (const Case& c :
       {Case{L"AppNotSet", "[GENERAL]\napplication = \n[BEFORE]\ndir = Data\n"},
        Case{L"AppNoKey", "[GENERAL]\nApplication = App\\App.exe\n[BEFORE]\ndir = Data\n"}}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    PortableFolder folder(c.name);
    AddTestApp(folder, L"App\\App.exe");
    ASSERT_TRUE(WriteFileIn(folder, std::wstring(c.name) + L".ini", IniText(c.ini)));
    ASSERT_TRUE(CreateDirectoryW(PathIn(folder, L"Data").c_str(), nullptr));
    ASSERT_TRUE(WriteFileIn(folder, L"Data\\own.txt", "the machine's"));
    BoxAnswerer answerer;
    StartAnswering(answerer, c.name, {IDOK});
    const LaunchResult run = RunLauncher(folder, L"");
    const std::vector<SeenBox> seen = FinishAnswering(answerer);

    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 1u);
    ASSERT_EQ(seen.size(), 1u);
    ExpectBox(seen[0], c.name,
              L"Main application is not set!\r\nPlease check " +
                  PathIn(folder, std::wstring(c.name) + L".ini") + L".",
              BoxIcon::Stop, false);
    EXPECT_TRUE(ReadAppRuns(PathIn(folder, L"App\\App.exe")).empty());
    EXPECT_EQ(ReadBytes(PathIn(folder, L"Data\\own.txt")), "the machine's");
    EXPECT_EQ(GetFileAttributesW(PathIn(folder, L"Data_backup").c_str()), INVALID_FILE_ATTRIBUTES);
  }
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
