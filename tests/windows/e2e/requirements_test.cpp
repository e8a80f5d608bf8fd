// The requirement checks against a real system: framework folders, the Java
// registry value, the ping's output read through its pipe, and the helper that
// restarts the launcher.
#include <windows.h>

#include "launcher/helper_command_line.h"
#include "launcher/helper_image.h"
#include "platform/command_line.h"
#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;
using namespace std::chrono_literals;

namespace {

const std::wstring kFramework = L"C:\\windows\\Microsoft.NET\\Framework\\";
const wchar_t* kJavaKey = L"Software\\JavaSoft\\Java Runtime Environment";

// Runs the folder's launcher and returns how many times its application started.
size_t AppStartsAfterRun(PortableFolder& folder, const std::wstring& app) {
  const LaunchResult run = RunLauncher(folder, L"");
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  return ReadAppRuns(app).size();
}

// The system's own ping.exe replaced by the test application for one test, which
// prints what its control file says. Wine runs its built-in ping unless the
// prefix is told to load the file on disk; the variable WINEDLLOVERRIDES would
// reach the launcher, but not the programs it starts.
struct StandInPing {
  std::wstring path = L"C:\\windows\\system32\\ping.exe";
  std::string original = ReadBytes(path);
  StandInPing() {
    RegSetKeyValueW(HKEY_CURRENT_USER, kOverrides, L"ping.exe", REG_SZ, L"native", 14);
    EXPECT_TRUE(CopyOver(TestAppImage(), path));
  }
  ~StandInPing() {
    WriteBytes(path, original);
    DeleteFileW((path + L".run.txt").c_str());
    DeleteFileW((path + L".control.txt").c_str());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kOverrides, L"ping.exe");
  }
  void Prints(const std::wstring& text) { WriteAppControl(path, L"print|" + text + L"\n"); }
  static constexpr const wchar_t* kOverrides = L"Software\\Wine\\DllOverrides";
};

}  // namespace

TEST(Requirements, DotNetLooksInTheSystemsFrameworkFolder) {
  ASSERT_TRUE(MakeFolders(kFramework + L"v2.0.50727"));
  PortableFolder folder(L"DotNet");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"DotNet.ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\n!dotnet = 2!\n")));
  EXPECT_EQ(AppStartsAfterRun(folder, app), 1u);

  ASSERT_TRUE(WriteFileIn(folder, L"DotNet.ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\n!dotnet = 3.5!\n")));
  BoxAnswerer answerer;
  StartAnswering(answerer, L"DotNet", {IDOK});
  EXPECT_EQ(AppStartsAfterRun(folder, app), 1u);
  const std::vector<SeenBox> seen = FinishAnswering(answerer);
  RemoveDirectoryW((kFramework + L"v2.0.50727").c_str());
  ASSERT_EQ(seen.size(), 1u);
  ExpectBox(seen[0], L"DotNet",
            L"DotNet needs Microsoft .NET version 3.5 or higher to be installed.\r\n\r\nExiting...",
            BoxIcon::Stop, false);
}

TEST(Requirements, JavaVersionComesFromTheRegistry) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kJavaKey, L"CurrentVersion", REG_SZ, L"1.5", 8),
            ERROR_SUCCESS);
  PortableFolder folder(L"Java");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteFileIn(folder, L"Java.ini",
                          IniText("[GENERAL]\napplication = App\\App.exe\n!java = 1.6\n")));
  BoxAnswerer answerer;
  StartAnswering(answerer, L"Java", {IDNO});
  EXPECT_EQ(AppStartsAfterRun(folder, app), 0u);
  const std::vector<SeenBox> seen = FinishAnswering(answerer);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text,
            L"Java needs Java version 1.6 or higher to be installed.\r\nYour Java version is "
            L"1.5.\r\n\r\nContinue anyway?");
  EXPECT_TRUE(seen[0].hasYes && seen[0].hasNo);

  RegSetKeyValueW(HKEY_LOCAL_MACHINE, kJavaKey, L"CurrentVersion", REG_SZ, L"1.8", 8);
  EXPECT_EQ(AppStartsAfterRun(folder, app), 1u);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\JavaSoft");
}

TEST(Requirements, OnlineReadsTheOutputOfTheSystemsPing) {
  StandInPing ping;
  PortableFolder folder(L"Online");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  // A program named ping.exe beside the launcher must never be the one started.
  const std::wstring planted = AddTestApp(folder, L"ping.exe");
  struct Row {
    const wchar_t* output;
    const char* value;
    std::wstring box;  // empty: none, and the application starts
  };
  const Row rows[] = {
      {L"Reply from 8.8.8.8: bytes=32 time=9ms TTL=117", "-3",
       L"Online requires offline mode.\r\n\r\nExiting..."},
      {L"Ping request could not find host www.google.com. Please check the name and try again.",
       "2", L"No internet connection is available.\r\n\r\nExiting..."},
      {L"Reply from 8.8.8.8: bytes=32 time=9ms TTL=117", "1", L""},
      {L"Reply from 10.0.0.1: Destination host unreachable.", "-2", L""},
  };
  size_t starts = 0;
  for (const Row& row : rows) {
    ping.Prints(row.output);
    ASSERT_TRUE(
        WriteFileIn(folder, L"Online.ini",
                    IniText(std::string("[GENERAL]\napplication = App\\App.exe\n!online = ") +
                            row.value + "\n")));
    BoxAnswerer answerer;
    StartAnswering(answerer, L"Online", row.box.empty() ? std::vector<int>{} : std::vector{IDOK});
    if (row.box.empty()) ++starts;
    EXPECT_EQ(AppStartsAfterRun(folder, app), starts) << row.value;
    const std::vector<SeenBox> seen = FinishAnswering(answerer);
    ASSERT_EQ(seen.size(), row.box.empty() ? 0u : 1u) << row.value;
    if (!row.box.empty()) ExpectBox(seen[0], L"Online", row.box, BoxIcon::Stop, false);
  }
  const std::vector<AppRun> pings = ReadAppRuns(ping.path);
  ASSERT_EQ(pings.size(), 4u);
  EXPECT_EQ(pings[0].commandLine, L"\"C:\\windows\\system32\\ping.exe\" www.google.com -n 1");
  EXPECT_TRUE(ReadAppRuns(planted).empty());
}

TEST(Requirements, SecondStartWhileTheFirstRunsFollowsMultiple) {
  PortableFolder folder(L"Twice");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(WriteAppControl(app, L"sleep|9000\n"));
  ASSERT_TRUE(
      WriteFileIn(folder, L"Twice.ini", IniText("[GENERAL]\napplication = App\\App.exe\n")));
  std::wstring line = L"\"" + folder.launcher + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION first{};
  ASSERT_TRUE(CreateProcessW(folder.launcher.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &first));
  ASSERT_TRUE(WaitUntil([&] { return ReadAppRuns(app).size() == 1; }, 10s));
  // The first application keeps running; later ones end at once.
  ASSERT_TRUE(WriteAppControl(app, L""));

  const std::wstring marker = PathIn(folder, L"BeforeRan.txt");
  struct Row {
    const char* value;
    std::vector<int> answers;  // the question's buttons; empty: no question
    bool starts;               // the application starts again
    bool before;               // as a full instance, with its BEFORE walk
  };
  const Row rows[] = {
      {"-1", {}, false, false}, {"0", {IDCANCEL}, false, false}, {"0", {IDOK}, true, false},
      {"2", {}, true, false},   {"1", {}, true, true},
  };
  size_t starts = 1;
  for (const Row& row : rows) {
    ASSERT_TRUE(
        WriteFileIn(folder, L"Twice.ini",
                    IniText(std::string("[GENERAL]\napplication = App\\App.exe\n!multiple = ") +
                            row.value + "\n[BEFORE]\n+file = BeforeRan.txt\n")));
    BoxAnswerer answerer;
    StartAnswering(answerer, L"Twice", row.answers);
    const LaunchResult run = RunLauncher(folder, L"");
    const std::vector<SeenBox> seen = FinishAnswering(answerer);
    EXPECT_TRUE(run.ended && run.exitCode == 0) << row.value;
    if (row.starts) ++starts;
    EXPECT_TRUE(WaitUntil([&] { return ReadAppRuns(app).size() == starts; }, 5s)) << row.value;
    EXPECT_EQ(Exists(marker), row.before) << row.value;
    DeleteFileW(marker.c_str());
    ASSERT_EQ(seen.size(), row.answers.size()) << row.value;
    if (!seen.empty())
      ExpectBox(seen[0], L"Twice",
                L"Twice is already running!\r\nAre you sure to launch another instance?",
                BoxIcon::Question, true);
  }
  EXPECT_EQ(WaitForSingleObject(first.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(first.hThread);
  CloseHandle(first.hProcess);
}

// The helper as the system would start it after the user's consent: the launcher
// it starts behaves exactly as one started directly with the same arguments.
TEST(Requirements, HelperRestartsTheLauncherWithTheSameArguments) {
  PortableFolder folder(L"Restarted");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  ASSERT_TRUE(
      WriteFileIn(folder, L"Restarted.ini", IniText("[GENERAL]\napplication = App\\App.exe\n")));
  const std::vector<std::wstring> arguments = {L"C:\\My Files\\a.txt", L"D:\\", L"say \"hi\"",
                                               L"two words", L"%TEMP%"};
  std::wstring direct;
  for (const std::wstring& argument : arguments) direct += L" " + QuoteArgument(argument);
  ASSERT_TRUE(RunLauncher(folder, direct.substr(1)).ended);

  const std::wstring helper = PathIn(folder, L"Restarted-helper.exe");
  ASSERT_TRUE(WriteBytes(helper, std::string(ElevationHelperImage())));
  LauncherContext ctx;
  ctx.launcherPath = folder.launcher;
  ctx.launcherArguments = arguments;
  std::wstring line = L"\"" + helper + L"\" " + HelperParameters(ctx);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(helper.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
  DWORD helperExit = 1;
  GetExitCodeProcess(process.hProcess, &helperExit);
  EXPECT_EQ(helperExit, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  ASSERT_TRUE(WaitUntil([&] { return ReadAppRuns(app).size() == 2; }, 15s));
  const std::vector<AppRun> runs = ReadAppRuns(app);
  EXPECT_EQ(runs[1].commandLine, runs[0].commandLine);
  EXPECT_EQ(runs[0].commandLine.find(kRestartMarker), std::wstring::npos);
  // Let the restarted launcher finish before its folder goes.
  WaitUntil([&] { return DeleteFileW(folder.launcher.c_str()) != FALSE; }, 10s);
}
