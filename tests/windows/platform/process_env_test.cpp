// The process and environment functions against the real system.
#include <windows.h>

#include <ctime>

#include "gtest/gtest.h"
#include "platform/platform.h"
#include "tests/windows/support/test_files.h"

using namespace testing_win;

namespace {

struct ProbeReport {
  unsigned long exitCode = 0;
  std::wstring module;
  std::vector<std::wstring> arguments;
};

// Starts the probe with the given text after its quoted path and reads its report.
ProbeReport RunProbe(const std::wstring& probe, const std::wstring& tail) {
  ScopedFolder folder(L"voq-probe");
  const std::wstring out = folder.path + L"report.txt";
  SetEnvironmentVariableW(L"VOQ_PROBE_OUT", out.c_str());
  std::wstring line = L"\"" + probe + L"\" " + tail;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ProbeReport report;
  if (!CreateProcessW(probe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return report;
  WaitForSingleObject(process.hProcess, 20000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  report.exitCode = code;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  SetEnvironmentVariableW(L"VOQ_PROBE_OUT", nullptr);

  const std::wstring text = Wide(ReadBytes(out));
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find(L'\n', start);
    const std::wstring item = text.substr(start, end - start);
    if (item.rfind(L"module\t", 0) == 0) report.module = item.substr(7);
    if (item.rfind(L"arg\t", 0) == 0) report.arguments.push_back(item.substr(4));
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  return report;
}

}  // namespace

TEST(ProcessEnv, ArgumentsAreSplitWithoutProgramNameAndTheExitCodeArrives) {
  ScopedFolder folder(L"voq args dir");
  const std::wstring probe = folder.path + L"My Probe.exe";
  ASSERT_TRUE(CopyOver(ProgramFolder() + L"voq_platform_probe.exe", probe));

  const ProbeReport report = RunProbe(probe, LR"(/a "b c" "C:\x y\z.txt" d\"e "")");
  EXPECT_EQ(report.exitCode, 37u);
  EXPECT_EQ(report.module, probe);
  const std::vector<std::wstring> expected = {L"/a", L"b c", L"C:\\x y\\z.txt", L"d\"e", L""};
  EXPECT_EQ(report.arguments, expected);

  EXPECT_TRUE(RunProbe(probe, L"").arguments.empty());
}

TEST(ProcessEnv, TempFolderIsGivenInItsLongFormWithBackslash) {
  ScopedFolder folder(L"voq temporary folder with a long name");
  wchar_t shortForm[MAX_PATH];
  const DWORD length = GetShortPathNameW(folder.path.c_str(), shortForm, MAX_PATH);
  ASSERT_GT(length, 0u);
  std::wstring shortPath(shortForm, length);
  ASSERT_NE(shortPath, folder.path) << "the system gave no short form";
  if (shortPath.back() == L'\\') shortPath.pop_back();

  wchar_t saved[MAX_PATH];
  const DWORD savedLength = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", shortPath.c_str());
  const std::wstring temp = os::TempFolderLong();
  SetEnvironmentVariableW(L"TMP", savedLength ? saved : nullptr);

  EXPECT_EQ(temp, folder.path);
}

TEST(ProcessEnv, WineReportsWindows7WorkstationAndAdministrator) {
  const os::VersionRecord version = os::QueryVersion();
  ASSERT_TRUE(version.ok);
  EXPECT_EQ(version.platformId, 2u);
  EXPECT_EQ(version.major, 6u);
  EXPECT_EQ(version.minor, 1u);
  EXPECT_TRUE(version.workstation);

  EXPECT_TRUE(os::CanOpenServiceManagerFully());
}

TEST(ProcessEnv, PauseWaitsAndTheClockIsTheLocalTime) {
  const long long start = NowMs();
  os::Pause(200);
  EXPECT_GE(NowMs() - start, 195);

  const os::LocalTime clock = os::LocalClock();
  std::tm fields{};
  fields.tm_year = clock.year - 1900;
  fields.tm_mon = clock.month - 1;
  fields.tm_mday = clock.day;
  fields.tm_hour = clock.hour;
  fields.tm_min = clock.minute;
  fields.tm_sec = clock.second;
  fields.tm_isdst = -1;
  EXPECT_NEAR(static_cast<double>(std::mktime(&fields)), static_cast<double>(std::time(nullptr)),
              2.0);
}
