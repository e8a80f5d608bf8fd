#include "launcher/startup.h"

#include "commands/protected_places.h"
#include "commands/run_record.h"
#include "launcher/helper_command_line.h"
#include "launcher/main_sequence.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "values/prepare_value.h"

namespace {

// The Windows version codes that requirement checks and switches compare with.
struct VersionRow {
  unsigned platformId;  // 1: the 9x family, 2: NT
  unsigned major;
  int minor;  // -1: any
  int workstationNumber;
  int serverNumber;
};

constexpr VersionRow kVersionTable[] = {
    {1, 4, 0, 10, 10},  {1, 4, 10, 30, 30}, {1, 4, 90, 40, 40}, {2, 3, -1, 5, 5},
    {2, 4, -1, 20, 20}, {2, 5, 0, 50, 50},  {2, 5, 1, 60, 60},  {2, 5, 2, 60, 65},
    {2, 6, 0, 70, 75},  {2, 6, 1, 80, 85},  {2, 6, 2, 90, 95},
};
constexpr int kUnknownVersion = 200;  // compares as newer than everything

LauncherContext g_launcher;

}  // namespace

int WindowsVersionNumber() {
  const os::VersionRecord version = os::QueryVersion();
  if (!version.ok) return kUnknownVersion;
  for (const VersionRow& row : kVersionTable) {
    // The 9x family is told apart by its minor version alone.
    const bool majorMatches = row.platformId == 1 || row.major == version.major;
    if (row.platformId == version.platformId && majorMatches &&
        (row.minor < 0 || static_cast<unsigned>(row.minor) == version.minor))
      return version.workstation ? row.workstationNumber : row.serverNumber;
  }
  return kUnknownVersion;
}

int IsAdministrator() { return os::CanOpenServiceManagerFully() ? 1 : 0; }

// Asked of the system, not of the process: the 64-bit launcher never runs under
// WOW64, and yet everything bound to 64-bit Windows is meant for it.
int Is64BitWindows() { return os::WindowsIs64Bit() ? 1 : 0; }

void TrimWorkingSet() { os::ReleaseWorkingSet(); }

std::wstring CollectLauncherParameters(LauncherContext& ctx) {
  std::wstring joined;
  for (const std::wstring& argument : ctx.launcherArguments) {
    // The system removed the quotes; put them back around paths with blanks so
    // that the application sees one argument again.
    if (Contains(argument, L":\\") && Contains(argument, L" "))
      joined += L"\"" + argument + L"\"";
    else
      joined += argument;
    joined += L' ';
  }
  return PrepareValue(ctx, joined, L"", L"BEFORE");
}

void StartUp(LauncherContext& ctx) {
  ctx = LauncherContext{};
  ctx.beforeEnd = DetachRunRecord;
  os::InitialiseServices();

  ctx.listLimit = kListLimit;
  ctx.phase = L"BEFORE";
  ctx.launcherArguments = os::CommandLineArguments();
  // A launcher started by the elevation helper carries the marker first; nothing
  // else may see it.
  if (!ctx.launcherArguments.empty() && ctx.launcherArguments.front() == kRestartMarker) {
    ctx.launcherArguments.erase(ctx.launcherArguments.begin());
    ctx.restartedElevated = 1;
  }
  ctx.launcherParameters = CollectLauncherParameters(ctx);
  ctx.restoreFlag = 0;
  ctx.isAdministrator = IsAdministrator();

  ctx.windowsFolder = os::ReadEnv(L"windir").value_or(L"");
  ctx.regExe = ctx.windowsFolder + L"\\system32\\reg.exe";
  ctx.regsvr32Exe = ctx.windowsFolder + L"\\system32\\regsvr32.exe";
  ctx.commandInterpreter = os::ReadEnv(L"ComSpec").value_or(L"");
  ctx.taskkillExe = ctx.windowsFolder + L"\\system32\\taskkill.exe";
  ctx.rundll32Exe = ctx.windowsFolder + L"\\system32\\RunDll32.exe";

  ctx.launcherPath = os::ModulePath();
  const size_t lastBackslash = ctx.launcherPath.find_last_of(L'\\');
  const size_t nameStart = lastBackslash == std::wstring::npos ? 0 : lastBackslash + 1;
  ctx.launcherFolder = ctx.launcherPath.substr(0, nameStart);
  const std::wstring fileName = ctx.launcherPath.substr(nameStart);
  ctx.launcherName = fileName.substr(0, fileName.find_last_of(L'.'));

  ctx.helperCopyPath = os::TempFolderLong() + ctx.launcherName + L".exe";
  ctx.is64Bit = Is64BitWindows();

  NoteProtectedFolders(ctx);

  ctx.exportOverwriteSwitch = L" /y";
  if (WindowsVersionNumber() <= 60) {
    ctx.legacySystem = L"1";
    ctx.exportOverwriteSwitch.clear();
  }
}

void LauncherEntry() {
  StartUp(g_launcher);
  RunMainSequence(g_launcher);
  EndLauncher(g_launcher);
}
