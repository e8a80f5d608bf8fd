#include "tests/windows/support/portable_folder.h"

#include <windows.h>

#include <cstdio>

#include "gtest/gtest.h"

namespace testing_win {

namespace {

std::wstring ImageNamed(const wchar_t* variable, const wchar_t* fileName) {
  wchar_t buffer[32768];
  const DWORD got = GetEnvironmentVariableW(variable, buffer, 32768);
  if (got > 0 && got < 32768) return std::wstring(buffer, got);
  return ProgramFolder() + fileName;
}

}  // namespace

std::wstring LauncherImage() { return ImageNamed(L"VOQ_LAUNCHER_EXE", L"voQ.exe"); }
std::wstring TestAppImage() { return ImageNamed(L"VOQ_TEST_APP_EXE", L"voq_test_app.exe"); }

PortableFolder::PortableFolder(const std::wstring& launcherName)
    : root(L"voq-e2e"), name(launcherName), launcher(root.path + launcherName + L".exe") {
  if (!CopyOver(LauncherImage(), launcher))
    ADD_FAILURE() << "cannot copy the launcher from " << Utf8(LauncherImage());
}

std::wstring PathIn(const PortableFolder& folder, const std::wstring& relative) {
  return folder.root.path + relative;
}

bool WriteFileIn(const PortableFolder& folder, const std::wstring& relative,
                 const std::string& bytes) {
  return WriteBytes(PathIn(folder, relative), bytes);
}

std::wstring AddTestApp(const PortableFolder& folder, const std::wstring& relative) {
  const std::wstring target = PathIn(folder, relative);
  MakeFolders(target.substr(0, target.find_last_of(L'\\')));
  if (!CopyOver(TestAppImage(), target))
    ADD_FAILURE() << "cannot copy the test application from " << Utf8(TestAppImage());
  return target;
}

LaunchResult RunLauncher(const PortableFolder& folder, const std::wstring& arguments,
                         unsigned timeoutMs) {
  LaunchResult result;
  std::wstring line = L"\"" + folder.launcher + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const long long start = NowMs();
  // Started from the test's own folder: the launcher must not depend on it.
  if (!CreateProcessW(folder.launcher.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    // The callers read this as "did not end"; the log says what really happened.
    std::fprintf(stderr, "RunLauncher: CreateProcessW failed with error %lu\n", GetLastError());
    return result;
  }
  result.started = true;
  result.ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
  result.elapsedMs = NowMs() - start;
  if (!result.ended) {
    TerminateProcess(process.hProcess, 0xDEAD);
    WaitForSingleObject(process.hProcess, 5000);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  result.exitCode = code;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

std::vector<AppRun> ReadAppRuns(const std::wstring& appPath) {
  std::vector<AppRun> runs;
  const std::wstring text = Wide(ReadBytes(appPath + L".run.txt"));
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    // The command line comes first and may hold anything but the line end; the
    // three fields after it hold no tab.
    std::wstring line = text.substr(start, end - start);
    std::wstring fields[3];
    bool complete = true;
    for (int i = 2; i >= 0 && complete; --i) {
      const size_t tab = line.rfind(L'\t');
      complete = tab != std::wstring::npos;
      if (complete) {
        fields[i] = line.substr(tab + 1);
        line.resize(tab);
      }
    }
    if (complete) runs.push_back({line, fields[0], fields[1], fields[2]});
    start = end + 2;
  }
  return runs;
}

bool WriteAppControl(const std::wstring& appPath, const std::wstring& lines) {
  return WriteBytes(appPath + L".control.txt", Utf8(lines));
}

bool WindowTitled(const std::wstring& title) {
  return FindWindowW(nullptr, title.c_str()) != nullptr;
}

}  // namespace testing_win
