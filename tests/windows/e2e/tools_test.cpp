// The system tools the launcher starts, seen from outside: where they start, and
// what the launcher does when a tool did not do its work. A stand-in command
// interpreter (the test application under ComSpec) records how it was started and
// does nothing.
#include <windows.h>

#include "tests/windows/e2e/e2e_helpers.h"

using namespace testing_win;

namespace {

// ComSpec for the launchers started while it lives; the old value comes back after.
struct ComSpecStandIn {
  std::wstring tool;
  std::wstring old;
  explicit ComSpecStandIn(const PortableFolder& folder) : tool(AddTestApp(folder, L"t\\cmd.exe")) {
    wchar_t buffer[32768];
    const DWORD got = GetEnvironmentVariableW(L"ComSpec", buffer, 32768);
    old.assign(buffer, got);
    SetEnvironmentVariableW(L"ComSpec", tool.c_str());
  }
  ~ComSpecStandIn() { SetEnvironmentVariableW(L"ComSpec", old.c_str()); }
};

std::string Ini(const std::string& sections) {
  return IniText("[GENERAL]\napplication = App\\App.exe\n" + sections);
}

}  // namespace

// A working directory that a later item creates does not exist while the first
// tools run: they start in the launcher's folder instead of failing to start.
TEST(Tools, StartInTheLauncherFolderWhileTheWorkingDirectoryIsMissing) {
  PortableFolder folder(L"ToolsWorkdir");
  AddTestApp(folder, L"App\\App.exe");
  ComSpecStandIn standIn(folder);
  ASSERT_TRUE(
      WriteFileIn(folder, L"ToolsWorkdir.ini", Ini("workdir = Later\n[BEFORE]\n+dir = Made\n")));
  ASSERT_TRUE(RunLauncher(folder, L"").ended);

  const std::vector<AppRun> runs = ReadAppRuns(standIn.tool);
  ASSERT_GE(runs.size(), 1u);
  EXPECT_EQ(runs[0].commandLine, L"\"" + standIn.tool + L"\" /c MKDIR " + PathIn(folder, L"Made"));
  EXPECT_EQ(runs[0].folder + L"\\", folder.root.path);
}

// The deletion before the machine's data goes back did nothing (the tool ended,
// but the folder is still there): the machine's data stays under its backup name
// and the run record keeps the item for the next start, which finishes it.
TEST(Tools, BackupGoesBackOnlyWhereTheDeletionClearedThePlace) {
  PortableFolder folder(L"ToolsClear");
  AddTestApp(folder, L"App\\App.exe");
  ScopedFolder machine(L"voq-tools-machine");
  const std::wstring local = machine.path + L"App";
  ASSERT_TRUE(MakeFolders(local));
  ASSERT_TRUE(WriteBytes(local + L"\\own.txt", "machine"));
  ASSERT_TRUE(MakeFolders(PathIn(folder, L"Settings")));
  ASSERT_TRUE(WriteFileIn(folder, L"Settings\\s.ini", "v1"));
  ASSERT_TRUE(WriteFileIn(folder, L"ToolsClear.ini", Ini("[BEFORE]\ndir = " + Utf8(local) + "\n")));
  {
    ComSpecStandIn standIn(folder);
    ASSERT_TRUE(RunLauncher(folder, L"").ended);
  }
  EXPECT_EQ(ReadBytes(local + L"_backup\\own.txt"), "machine");
  EXPECT_EQ(ReadBytes(local + L"\\s.ini"), "v1");
  EXPECT_EQ(RecordedItems(folder), std::vector<std::wstring>{L"to clear :: dir :: " + local});

  ASSERT_TRUE(RunLauncher(folder, L"").ended);  // the real interpreter again
  EXPECT_EQ(ReadBytes(local + L"\\own.txt"), "machine");
  EXPECT_FALSE(Exists(local + L"\\s.ini"));
  EXPECT_FALSE(Exists(local + L"_backup"));
  EXPECT_FALSE(Exists(RunRecordOf(folder)));
}
