// A portable folder as a user lays it out: the launcher under a name of its own,
// its ini file, and the application below it. Started from outside as a user
// would, with a time limit.
#pragma once

#include <string>
#include <vector>

#include "tests/windows/support/test_files.h"

namespace testing_win {

// The programs under test: beside the test program, unless VOQ_LAUNCHER_EXE or
// VOQ_TEST_APP_EXE name them (Windows paths).
std::wstring LauncherImage();
std::wstring TestAppImage();

struct PortableFolder {
  ScopedFolder root;      // root.path ends with a backslash
  std::wstring name;      // launcher name, e.g. "Tool"
  std::wstring launcher;  // root.path + name + ".exe"
  explicit PortableFolder(const std::wstring& launcherName);
};

// Full path of a name relative to the folder.
std::wstring PathIn(const PortableFolder& folder, const std::wstring& relative);

// Writes the bytes as given (no conversion, no BOM added).
bool WriteFileIn(const PortableFolder& folder, const std::wstring& relative,
                 const std::string& bytes);

// Copies the test application to the relative path (folders made as needed) and
// returns its full path.
std::wstring AddTestApp(const PortableFolder& folder, const std::wstring& relative);

struct LaunchResult {
  bool started = false;
  bool ended = false;  // false: killed after the time limit
  unsigned long exitCode = 0;
  long long elapsedMs = 0;
};

// Starts the launcher with the argument text (appended after its quoted path) and
// waits at most timeoutMs; a launcher still running then is terminated.
LaunchResult RunLauncher(const PortableFolder& folder, const std::wstring& arguments,
                         unsigned timeoutMs = 20000);

// ---- the test application's records and orders (format in test_app.cpp) ------

struct AppRun {
  std::wstring commandLine;
  std::wstring folder;
  std::wstring showState;  // wShowWindow as a number, or "-"
  std::wstring handles;    // e.g. "pipe,pipe,pipe"
};
std::vector<AppRun> ReadAppRuns(const std::wstring& appPath);
bool WriteAppControl(const std::wstring& appPath, const std::wstring& lines);

// Whether some top-level window has exactly this title.
bool WindowTitled(const std::wstring& title);

}  // namespace testing_win
