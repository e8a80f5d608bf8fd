// Hidden starts and shell starts against the real system.
#include <windows.h>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/windows/support/box_answerer.h"
#include "tests/windows/support/portable_folder.h"
#include "tests/windows/support/test_files.h"

using namespace testing_win;
using namespace std::chrono_literals;

namespace {

std::wstring CommandInterpreter() { return os::ReadEnv(L"ComSpec").value_or(L"cmd.exe"); }

// A copy of the test application in its own folder, with orders for its run.
std::wstring PlaceTestApp(const ScopedFolder& folder, const std::wstring& name,
                          const std::wstring& orders) {
  const std::wstring app = folder.path + name;
  CopyOver(TestAppImage(), app);
  if (!orders.empty()) WriteAppControl(app, orders);
  return app;
}

}  // namespace

TEST(HiddenStart, CommandInterpreterCreatesNestedFoldersWithBlanks) {
  ScopedFolder folder(L"voq hidden");
  const std::wstring target = folder.path + L"with blank\\a\\b";
  ASSERT_TRUE(os::StartHiddenAndWait(
                  L"\"" + CommandInterpreter() + L"\" /c MKDIR \"" + target + L"\"", L"", 30000)
                  .ended);
  EXPECT_EQ(os::FileState(folder.path + L"with blank\\a"), -2);
  EXPECT_EQ(os::FileState(target), -2);
}

TEST(HiddenStart, RunsInTheGivenFolderOrTheCurrentOne) {
  ScopedFolder work(L"voq workdir");
  ScopedFolder current(L"voq current");
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(current.path.c_str()));

  const std::wstring mkdir = L"\"" + CommandInterpreter() + L"\" /c MKDIR made";
  EXPECT_TRUE(os::StartHiddenAndWait(mkdir, work.path, 30000).ended);
  EXPECT_TRUE(os::StartHiddenAndWait(mkdir, L"", 30000).ended);
  SetCurrentDirectoryW(before);

  EXPECT_EQ(os::FileState(work.path + L"made"), -2);
  EXPECT_EQ(os::FileState(current.path + L"made"), -2);
}

TEST(HiddenStart, ToolRunsHiddenWithItsStreamsOnTheNullDeviceAndReportsItsExitCode) {
  ScopedFolder folder(L"voq streams");
  const std::wstring app = PlaceTestApp(folder, L"tool.exe", L"exit|3\n");
  const os::HiddenRun run =
      os::StartHiddenAndWait(L"\"" + app + L"\" /x \"y z\"", folder.path, 30000);
  EXPECT_TRUE(run.started);
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 3u);

  const std::vector<AppRun> runs = ReadAppRuns(app);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].commandLine, L"\"" + app + L"\" /x \"y z\"");
  EXPECT_EQ(runs[0].showState, std::to_wstring(SW_HIDE));
  EXPECT_EQ(runs[0].handles, L"char,char,char");
}

// With pipes that nobody reads, a tool writing more than a pipe holds would block
// until the time-out and stop half-way.
TEST(HiddenStart, ToolWritingMuchToEveryStreamEndsWithinItsWait) {
  ScopedFolder folder(L"voq flood");
  const std::wstring app = PlaceTestApp(folder, L"flood.exe", L"flood|1048576\n");
  EXPECT_TRUE(os::StartHiddenAndWait(L"\"" + app + L"\"", L"", 20000).ended);
}

TEST(HiddenStart, ToolOutlivingTheTimeOutIsLeftRunning) {
  ScopedFolder folder(L"voq slow");
  const std::wstring app =
      PlaceTestApp(folder, L"slow.exe", L"sleep|4000\nappend|" + folder.path + L"done.txt|done\n");
  const long long start = NowMs();
  const os::HiddenRun run = os::StartHiddenAndWait(L"\"" + app + L"\"", L"", 700);
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.ended);
  const long long waited = NowMs() - start;
  EXPECT_GE(waited, 650);
  EXPECT_LT(waited, 2500);

  EXPECT_EQ(ReadAppRuns(app).size(), 1u);
  EXPECT_FALSE(Exists(folder.path + L"done.txt"));
  // Not stopped: it finishes its work on its own.
  EXPECT_TRUE(WaitUntil([&] { return Exists(folder.path + L"done.txt"); }, 15s));
}

TEST(HiddenStart, MissingProgramFailsAtOnce) {
  const long long start = NowMs();
  EXPECT_FALSE(os::StartHiddenAndWait(L"\"C:\\no such folder\\tool.exe\" /x", L"", 30000).started);
  EXPECT_FALSE(
      os::StartHiddenAndWait(L"\"C:\\Windows\\system32\\reg.exe\"", L"C:\\no such dir", 30000)
          .started);
  EXPECT_LT(NowMs() - start, 2000);
}

TEST(ShellStart, StartsWithParametersAndFolderAndHandsTheProcessOver) {
  ScopedFolder folder(L"voq shell");
  ScopedFolder work(L"voq shell work");
  const std::wstring app = PlaceTestApp(folder, L"App.exe", L"sleep|1500\n");

  os::ShellStartRequest request;
  request.file = app;
  request.parameters = L"/a b \"C:\\x y\\z.txt\"";
  request.directory = work.path;
  request.showCommand = SW_SHOWMINNOACTIVE;
  const os::ShellStartResult result = os::ShellStart(request);
  ASSERT_TRUE(result.ok);
  ASSERT_NE(result.process, 0u);

  EXPECT_FALSE(os::ProcessHasEnded(result.process));
  EXPECT_TRUE(WaitUntil([&] { return os::ProcessHasEnded(result.process); }, 15s));
  os::ReleaseProcess(result.process);

  const std::vector<AppRun> runs = ReadAppRuns(app);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].commandLine, L"\"" + app + L"\" /a b \"C:\\x y\\z.txt\"");
  EXPECT_EQ(runs[0].folder + L"\\", work.path);
  EXPECT_EQ(runs[0].showState, std::to_wstring(SW_SHOWMINNOACTIVE));
}

TEST(ShellStart, AnyExtensionStartsAsAProgram) {
  ScopedFolder folder(L"voq shell class");
  const std::wstring app = PlaceTestApp(folder, L"program.dat", L"");
  os::ShellStartRequest request;
  request.file = app;
  const os::ShellStartResult result = os::ShellStart(request);
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(WaitUntil([&] { return os::ProcessHasEnded(result.process); }, 15s));
  os::ReleaseProcess(result.process);
  EXPECT_EQ(ReadAppRuns(app).size(), 1u);
}

TEST(ShellStart, WithoutProcessWantedNoneIsHandedOver) {
  ScopedFolder folder(L"voq shell nowait");
  const std::wstring app = PlaceTestApp(folder, L"App.exe", L"");
  os::ShellStartRequest request;
  request.file = app;
  request.wantProcess = false;
  const os::ShellStartResult result = os::ShellStart(request);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.process, 0u);
  EXPECT_TRUE(WaitUntil([&] { return ReadAppRuns(app).size() == 1; }, 15s));
}

TEST(ShellStart, MissingFileFailsAfterTheShellsOwnErrorBox) {
  ScopedFolder folder(L"voq shell missing");
  // The shell's error display is not suppressed; Wine's box is titled "Error".
  BoxAnswerer answerer;
  StartAnswering(answerer, L"Error", {IDOK});
  os::ShellStartRequest request;
  request.file = folder.path + L"absent.exe";
  const os::ShellStartResult result = os::ShellStart(request);
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.process, 0u);
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_TRUE(os::ProcessHasEnded(0));
}
