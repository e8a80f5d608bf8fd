// The restart through the elevation helper against the real system: the helper
// copy written, started, and the program it starts given the launcher's arguments
// exactly as the system splits them. The test application plays the launcher.
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include "gtest/gtest.h"
#include "launcher/elevation.h"
#include "launcher/helper_image.h"
#include "platform/platform.h"
#include "tests/windows/support/portable_folder.h"
#include "tests/windows/support/test_files.h"

using namespace testing_win;
using namespace std::chrono_literals;

namespace {

std::vector<std::wstring> SplitBySystem(const std::wstring& commandLine) {
  std::vector<std::wstring> arguments;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
  for (int i = 1; argv != nullptr && i < count; ++i) arguments.emplace_back(argv[i]);
  LocalFree(argv);
  return arguments;
}

}  // namespace

TEST(Elevation, HelperStartsTheLauncherWithItsArgumentsExactly) {
  ScopedFolder folder(L"voq elevation");
  LauncherContext ctx;
  ctx.launcherName = L"Chain";
  ctx.helperCopyPath = folder.path + L"Chain helper.exe";
  ctx.launcherPath = folder.path + L"Chain launcher.exe";
  ctx.appWorkingDir = folder.path;
  ASSERT_TRUE(CopyOver(TestAppImage(), ctx.launcherPath));
  ctx.launcherArguments = {L"C:\\My Files\\", L"say \"hi\"",      L"D:\\",     L"",
                           L"a\\\\\"b",       L"%TEMP% & echo x", L"Ünïcode ∑"};

  RestartElevated(ctx);
  ASSERT_TRUE(WaitUntil([&] { return ReadAppRuns(ctx.launcherPath).size() == 1; }, 10s));
  const AppRun run = ReadAppRuns(ctx.launcherPath)[0];
  std::vector<std::wstring> expected = {std::wstring(kRestartMarker)};
  expected.insert(expected.end(), ctx.launcherArguments.begin(), ctx.launcherArguments.end());
  EXPECT_EQ(SplitBySystem(run.commandLine), expected);
  // Started in the helper's own folder, as the helper was.
  EXPECT_EQ(run.folder + L"\\", folder.path);

  // Once the helper has ended, its copy goes.
  EXPECT_TRUE(WaitUntil(
      [&] {
        DeleteHelperCopy(ctx);
        return !Exists(ctx.helperCopyPath);
      },
      10s));
}
