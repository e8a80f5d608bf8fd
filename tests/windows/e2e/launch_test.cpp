// Starting the application: its parameters and folder, the no-wait ending,
// unknown keys, and waiting for windows that outlive it.
#include <windows.h>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;
using namespace std::chrono_literals;

TEST(Launch, ParametersJoinTheCommandLineValueAndTheLauncherArguments) {
  PortableFolder folder(L"Params");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"Params.ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\ncommandline = /a\n")));
  const LaunchResult run = RunLauncher(folder, L"b \"C:\\x y\\z.txt\"");

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  const std::vector<AppRun> runs = ReadAppRuns(app);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].commandLine, ShellCommandLine(app, L"/a b \"C:\\x y\\z.txt\""));
  // The application runs in its own folder, whatever the launcher's start folder.
  EXPECT_EQ(runs[0].folder, PathIn(folder, L"App"));
}

TEST(Launch, WithoutCommandLineValueTheParametersBeginWithABlank) {
  PortableFolder folder(L"ParamsBlank");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(
      WriteFileIn(folder, L"ParamsBlank.ini", IniText("[GENERAL]\napplication = App\\App.exe\n")));
  const LaunchResult run = RunLauncher(folder, L"b");

  ASSERT_TRUE(run.ended);
  const std::vector<AppRun> runs = ReadAppRuns(app);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].commandLine, ShellCommandLine(app, L" b"));
}

TEST(Launch, NowaitEndsTheLauncherWhileTheApplicationRuns) {
  PortableFolder folder(L"NoWait");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(app, L"window|4000|voQ nowait app\n"));
  ASSERT_TRUE(
      WriteFileIn(folder, L"NoWait.ini",
                  IniText("[GENERAL]\napplication = App\\App.exe\n[BEFORE]\nnowait = 1\n")));
  const LaunchResult run = RunLauncher(folder, L"");

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(WaitUntil([] { return WindowTitled(L"voQ nowait app"); }, 3s))
      << "the application should still run after the launcher ended";
  EXPECT_LT(run.elapsedMs, 3500);
  WaitUntil([] { return !WindowTitled(L"voQ nowait app"); }, 10s);
}

TEST(Launch, UnknownKeyIsReportedAndTheLaunchGoesOn) {
  PortableFolder folder(L"UnknownKey");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"UnknownKey.ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\n[BEFORE]\nbogus = 1\n")));
  BoxAnswerer answerer;
  StartAnswering(answerer, L"UnknownKey", {IDOK});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(seen.size(), 1u);
  ExpectBox(seen[0], L"UnknownKey", L"Unknown key \"bogus\"", BoxIcon::Information, false);
  EXPECT_EQ(ReadAppRuns(app).size(), 1u);
}

TEST(Launch, WaitprocessKeepsTheLauncherWhileAWindowTitleHoldsTheText) {
  PortableFolder folder(L"WaitWindow");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  // The application ends at once and leaves a window behind for 3 seconds.
  ASSERT_TRUE(WriteAppControl(app, L"leave-window|3000|Left Behind - voQ Wait Window\n"));
  ASSERT_TRUE(WriteFileIn(
      folder, L"WaitWindow.ini",
      IniText("[GENERAL]\napplication = App\\App.exe\n!waitprocess =  voq wait WINDOW \n")));
  const LaunchResult run = RunLauncher(folder, L"");

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(WindowTitled(L"Left Behind - voQ Wait Window"));
  EXPECT_GE(run.elapsedMs, 2500);
}
