#include "tools/voq-check/check_tool.h"

#include "commands/run_record.h"
#include "launcher/main_sequence.h"
#include "launcher/startup.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "tools/voq-check/check_findings.h"
#include "tools/voq-check/check_report.h"
#include "values/prepare_value.h"

namespace {

struct CheckRun {
  CheckedRun run;
  bool json = false;
  void (*print)(const std::string&) = nullptr;
};
CheckRun& Run() {
  static CheckRun run;
  return run;
}

// The local places of this run's items, once BEFORE has set them up.
std::vector<std::wstring> PlacesInUse(const LauncherContext& ctx) {
  std::vector<std::wstring> places;
  for (const RunItem& item : ctx.runItems)
    if (item.owner == kThisRun && item.stage != kStageDone)
      places.push_back(TrimSpaces(Field(item.value, 1)));
  return places;
}

void Watch(const LauncherContext& ctx, SequencePoint point, const CommandEntry* entry) {
  // The application runs once the BEFORE walk has ended: what it may change in
  // the places it was given, it changes then.
  if (point == SequencePoint::WalkEnded && ctx.phase == L"BEFORE") {
    Run().run.atApplication = PlaceDifferences();
    Run().run.placesGiven = PlacesInUse(ctx);
    for (const std::wstring& place : Run().run.placesGiven) AssumeChangedByTheApplication(place);
  }
  // The value as prepared takes the place of the value as written.
  if (point == SequencePoint::KeyPrepared) {
    if (!Run().run.steps.empty()) Run().run.steps.back().entry = *entry;
    return;
  }
  SequenceStep step{point, entry ? *entry : CommandEntry{}, RecordedChanges().size(), false};
  step.dropped =
      point == SequencePoint::KeyRead && static_cast<int>(ctx.commands.size()) >= kListLimit;
  Run().run.steps.push_back(step);
}

int EndOfRun(int launcherExitCode) {
  const CheckReport report = FindingsOf(Run().run, launcherExitCode);
  Run().print(Run().json ? ReportJson(report) : ReportText(report));
  return report.exitCode;
}

// The folder's one program with an ini of its name beside it.
std::wstring FindLauncherIn(const std::wstring& folder) {
  const std::wstring base = RemoveTrailingBackslashes(folder) + L"\\";
  std::vector<std::wstring> found;
  for (const os::DirEntry& e :
       os::ListFolder(base, L"*.exe").value_or(std::vector<os::DirEntry>{})) {
    const std::wstring stem = e.name.substr(0, e.name.size() - 4);
    if (!e.isFolder && os::FileState(base + stem + L".ini") >= 0) found.push_back(base + e.name);
  }
  return found.size() == 1 ? found.front() : L"";
}

}  // namespace

void RunCheckTool(const std::vector<std::wstring>& arguments, const std::wstring& currentFolder,
                  void (*print)(const std::string& utf8)) {
  CheckRun& run = Run();
  run = CheckRun{};
  ForgetRecordedChanges();
  run.print = print;
  std::wstring launcher;
  std::vector<std::wstring> passed;
  bool rest = false;
  for (const std::wstring& argument : arguments) {
    if (rest)
      passed.push_back(argument);
    else if (argument == L"--")
      rest = true;
    else if (argument == L"--json")
      run.json = true;
    else if (launcher.empty() && !StartsWith(argument, L"--"))
      launcher = argument;
    else {
      print("usage: voq-check [--json] [launcher.exe] [-- arguments for the launcher]\n");
      os::ExitProcessNow(kCheckFails);
    }
  }
  if (launcher.empty()) launcher = FindLauncherIn(currentFolder);
  if (launcher.empty()) {
    print(
        "voq-check: no launcher given, and the folder holds no one program with an ini of its "
        "name\nusage: voq-check [--json] [launcher.exe] [-- arguments for the launcher]\n");
    os::ExitProcessNow(kCheckFails);
  }
  if (!Contains(launcher, L":\\") && !StartsWith(launcher, L"\\\\"))
    launcher = RemoveTrailingBackslashes(currentFolder) + L"\\" + launcher;

  SetCheckedLauncher(launcher, passed);
  SetEndOfRun(EndOfRun);
  StartUp(run.run.ctx);
  run.run.ctx.watch = Watch;
  RunMainSequence(run.run.ctx);
  EndLauncher(run.run.ctx);
}
