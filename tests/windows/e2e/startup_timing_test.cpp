// How long the launcher itself takes from its start to the application's start,
// with a configuration of 100 keys. A measurement for the record, not a limit.
#include <windows.h>

#include <cstdio>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;

namespace {

long long FileTimeMs(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<long long>(value.QuadPart / 10000);
}

long long SystemNowMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeMs(now);
}

// When the application wrote its first record: the creation time of its run file.
long long AppStartMs(const std::wstring& app) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW((app + L".run.txt").c_str(), GetFileExInfoStandard, &data)) return -1;
  return FileTimeMs(data.ftCreationTime);
}

// From the launcher's start to the application's first record.
long long LauncherToApplicationMs(PortableFolder& folder, const std::wstring& app) {
  const long long launchStart = SystemNowMs();
  const LaunchResult run = RunLauncher(folder, L"");
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(ReadAppRuns(app).size(), 1u);
  return AppStartMs(app) - launchStart;
}

}  // namespace

TEST(StartupTiming, HundredKeyConfigurationToApplicationStart) {
  PortableFolder folder(L"Timing");
  const std::wstring app = AddTestApp(folder, L"App\\App.exe");
  std::string ini = "[GENERAL]\napplication = App\\App.exe\ncommandline = /x\n[BEFORE]\n";
  for (int i = 0; i < 98; ++i)
    ini.append("uservar = Var").append(std::to_string(i)).append(" :: %APPDATA%\\{VOQROOT}\n");
  ASSERT_TRUE(WriteFileIn(folder, L"Timing.ini", IniText(ini)));

  // The same application started directly: what process creation alone costs here.
  const std::wstring direct = AddTestApp(folder, L"Direct\\App.exe");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + direct + L"\"";
  const long long directStart = SystemNowMs();
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  WaitForSingleObject(process.hProcess, 20000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const long long directMs = AppStartMs(direct) - directStart;

  const long long launcherMs = LauncherToApplicationMs(folder, app);

  // The same launch with the application key alone: what the 99 other keys cost.
  PortableFolder small(L"TimingSmall");
  const std::wstring smallApp = AddTestApp(small, L"App\\App.exe");
  ASSERT_TRUE(
      WriteFileIn(small, L"TimingSmall.ini", IniText("[GENERAL]\napplication = App\\App.exe\n")));
  const long long smallMs = LauncherToApplicationMs(small, smallApp);

  ASSERT_GE(directMs, 0);
  ASSERT_GE(launcherMs, directMs);
  std::printf(
      "startup timing: application started directly after %lld ms; through the launcher "
      "after %lld ms with 1 key and %lld ms with 100 keys\n",
      directMs, smallMs, launcherMs);
}
