// Finding the configuration file, and the offer to write one when there is none.
#include <windows.h>

#include "launcher/config_file.h"
#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;

namespace {

const wchar_t kOffer[] = L"No ini file found!\r\n\r\nCreate a new one?";

}  // namespace

TEST(ConfigDiscovery, WithoutIniOkWritesTheTemplateNamedAfterTheLauncher) {
  PortableFolder folder(L"OfferOk");
  BoxAnswerer answerer;
  StartAnswering(answerer, L"OfferOk", {IDOK});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(seen.size(), 1u);
  ExpectBox(seen[0], L"OfferOk", kOffer, BoxIcon::Information, true);

  const std::string written = ReadBytes(PathIn(folder, L"OfferOk.ini"));
  EXPECT_EQ(written, ConfigTemplateBytes());
  ASSERT_GE(written.size(), 5u);
  EXPECT_EQ(written.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(written.substr(written.size() - 2), " \x1A");
  EXPECT_FALSE(Exists(PathIn(folder, L"voQ.ini")));
}

TEST(ConfigDiscovery, WithoutIniCancelWritesNothing) {
  PortableFolder folder(L"OfferCancel");
  BoxAnswerer answerer;
  StartAnswering(answerer, L"OfferCancel", {IDCANCEL});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, kOffer);
  EXPECT_FALSE(Exists(PathIn(folder, L"OfferCancel.ini")));
}

TEST(ConfigDiscovery, ZeroByteIniCountsAsAbsentAndIsReplaced) {
  PortableFolder folder(L"My Tool");
  ASSERT_TRUE(WriteFileIn(folder, L"My Tool.ini", ""));
  BoxAnswerer answerer;
  StartAnswering(answerer, L"My Tool", {IDOK});
  const LaunchResult run = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, kOffer);
  EXPECT_EQ(ReadBytes(PathIn(folder, L"My Tool.ini")), ConfigTemplateBytes());
}

TEST(ConfigDiscovery, TheIniNamedAfterTheLauncherWinsOverVoqIni) {
  PortableFolder folder(L"IniOrder");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"IniOrder.ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\ncommandline = /tool\n")));
  ASSERT_TRUE(WriteFileIn(folder, L"voQ.ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\ncommandline = /voq\n")));
  BoxAnswerer answerer;
  StartAnswering(answerer, L"IniOrder", {});

  const LaunchResult first = RunLauncher(folder, L"");
  ASSERT_TRUE(DeleteFileW(PathIn(folder, L"IniOrder.ini").c_str()));
  const LaunchResult second = RunLauncher(folder, L"");
  const std::vector<SeenBox> seen = FinishAnswering(answerer);

  EXPECT_TRUE(first.ended && second.ended);
  EXPECT_EQ(first.exitCode, 0u);
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_TRUE(seen.empty());
  const std::vector<AppRun> runs = ReadAppRuns(app);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].commandLine, ShellCommandLine(app, L"/tool "));
  EXPECT_EQ(runs[1].commandLine, ShellCommandLine(app, L"/voq "));
}
