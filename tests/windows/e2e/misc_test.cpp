// The miscellaneous keys in a real run: batch files and programs before and
// after the application, a message that stops the run, and an environment
// variable the application sees.
#include <windows.h>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;
using namespace std::chrono_literals;

namespace {

void WriteIni(const PortableFolder& folder, const std::string& sections) {
  ASSERT_TRUE(WriteFileIn(folder, folder.name + L".ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\n" + sections)));
}

}  // namespace

TEST(MiscKeys, HiddenBatchReceivesThePhaseBeforeAndAfter) {
  PortableFolder folder(L"Batch");
  AddTestApp(folder, L"App\\App.exe");
  // %~dp0: the batch file's own folder, wherever it was started from.
  ASSERT_TRUE(WriteFileIn(folder, L"phase.bat", "@echo %1>>\"%~dp0phases.txt\"\r\n"));
  WriteIni(folder, "[BEFORE]\nbatch = phase.bat\n[AFTER]\nbatch = phase.bat\n");
  const LaunchResult run = RunLauncher(folder, L"");

  ASSERT_TRUE(run.ended);
  const std::wstring phases = PathIn(folder, L"phases.txt");
  // Neither start is waited for: the second may end after the launcher.
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(phases).size() >= 15; }, 10s));
  const std::string seen = ReadBytes(phases);
  EXPECT_NE(seen.find("BEFORE\r\n"), std::string::npos) << seen;
  EXPECT_NE(seen.find("AFTER\r\n"), std::string::npos) << seen;
}

TEST(MiscKeys, RunWaitsOnlyWhenAskedAndTakesParametersAndFolder) {
  PortableFolder folder(L"RunKey");
  const std::wstring order = PathIn(folder, L"order.txt");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  const std::wstring waiter = AddTestApp(folder, L"Helper\\Waiter.exe");
  const std::wstring quick = AddTestApp(folder, L"Helper\\Quick.exe");
  ASSERT_TRUE(WriteAppControl(waiter, L"sleep|1500\nappend|" + order + L"|waiter\n"));
  ASSERT_TRUE(WriteAppControl(app, L"append|" + order + L"|app\n"));
  ASSERT_TRUE(MakeFolders(PathIn(folder, L"Work")));
  WriteIni(folder,
           "[BEFORE]\nrun = Helper\\Quick.exe :: NULL :: /p x\nrun = Helper\\Waiter.exe :: wait :: "
           "NULL :: " +
               Utf8(PathIn(folder, L"Work")) + "\n");
  const LaunchResult run = RunLauncher(folder, L"");

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(ReadBytes(order), "waiter\r\napp\r\n");
  const std::vector<AppRun> quickRuns = ReadAppRuns(quick);
  ASSERT_EQ(quickRuns.size(), 1u);
  EXPECT_EQ(quickRuns[0].commandLine, ShellCommandLine(quick, L"/p x"));
  EXPECT_EQ(quickRuns[0].folder, PathIn(folder, L"Helper"));
  const std::vector<AppRun> waiterRuns = ReadAppRuns(waiter);
  ASSERT_EQ(waiterRuns.size(), 1u);
  EXPECT_EQ(waiterRuns[0].folder, PathIn(folder, L"Work"));
}

TEST(MiscKeys, CancelledMessageInBeforeEndsTheRunWithoutApplicationOrAfter) {
  PortableFolder folder(L"Cancel");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  WriteIni(folder,
           "[BEFORE]\nmessage = Insert the key disk :: cancellable\n"
           "[AFTER]\n+file = after.txt\n");
  BoxAnswerer answerer;
  StartAnswering(answerer, L"Cancel", {IDCANCEL});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(seen.size(), 1u);
  ExpectBox(seen[0], L"Cancel", L"Insert the key disk", BoxIcon::None, true);
  EXPECT_TRUE(ReadAppRuns(app).empty());
  EXPECT_FALSE(Exists(PathIn(folder, L"after.txt")));
}

TEST(MiscKeys, EnvvarIsSeenByTheApplication) {
  PortableFolder folder(L"EnvVar");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  const std::wstring seen = PathIn(folder, L"seen.txt");
  ASSERT_TRUE(WriteAppControl(app, L"env|" + seen + L"|VOQ_DATA\n"));
  WriteIni(folder, "[BEFORE]\nenvvar = VOQ_DATA :: {VOQROOT}\\Data \xC3\xBC\n");
  const LaunchResult run = RunLauncher(folder, L"");

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(Wide(ReadBytes(seen)), PathIn(folder, L"Data \u00FC\r\n"));
}

TEST(MiscKeys, ShownBatchRunsInTheLaunchersConsoleWithoutArgument) {
  PortableFolder folder(L"Shown");
  AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"shown.bat", "@echo [%1]>>\"%~dp0shown.txt\"\r\n"));
  WriteIni(folder, "[BEFORE]\nbatch = shown.bat :: show\n");
  const LaunchResult run = RunLauncher(folder, L"");

  ASSERT_TRUE(run.ended);
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(PathIn(folder, L"shown.txt")) == "[]\r\n"; }, 10s))
      << ReadBytes(PathIn(folder, L"shown.txt"));
}
