#include "tools/voq-check/check_findings.h"

#include "commands/item_kinds.h"
#include "commands/item_overlap.h"
#include "commands/key_table.h"
#include "commands/protected_places.h"
#include "commands/run_record.h"
#include "launcher/config_file.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "registry/reg_notation.h"
#include "tools/voq-check/check_tool.h"
#include "values/empty_expansion.h"
#include "values/prepare_value.h"

namespace {

std::vector<RecordedChange> ChangesOf(const std::vector<SequenceStep>& steps, size_t step) {
  const auto& all = RecordedChanges();
  const size_t from = step < steps.size() ? steps[step].firstChange : all.size();
  const size_t to = step + 1 < steps.size() ? steps[step + 1].firstChange : all.size();
  return {all.begin() + from, all.begin() + to};
}

bool IsRequirementKey(std::wstring_view key) {
  return key == L"!os" || key == L"!admin" || key == L"!dotnet" || key == L"!java" ||
         key == L"!online" || key == L"!multiple";
}

std::wstring OneLine(std::wstring_view text) {
  // A blank line between paragraphs is one break too.
  const std::wstring breaks = ReplaceAll(ReplaceAll(text, L"\r\n", L"\n"), L"\n\n", L"\n");
  return ReplaceAll(breaks, L"\n", L" / ");
}

std::wstring Value(const CommandEntry& entry) { return TrimSpaces(WithoutEmptyMarks(entry.value)); }

const KeyRow* RowOf(std::wstring_view key) {
  for (const KeyRow& row : KeyTable())
    if (key == row.key || key == std::wstring(row.key) + L"X64" ||
        key == std::wstring(row.key) + L"X86")
      return &row;
  return nullptr;
}

std::wstring StripStars(std::wstring text) {
  while (!text.empty() && text.front() == L'*') text.erase(0, 1);
  return text;
}

void FindConfiguration(const LauncherContext& ctx, CheckReport& report) {
  report.configFile = ctx.configFilePath;
  bool chosen = false;
  for (const std::wstring& path : ConfigFileCandidates(ctx)) {
    const std::wstring name = LastComponent(path);
    std::wstring why = StartsWith(LowerAscii(name), L"voq") && !StartsWith(ctx.launcherName, L"voQ")
                           ? L"the generic name"
                           : L"named after the launcher";
    if (Contains(name, L"X64.ini")) why += L", for 64-bit Windows";
    const std::int64_t state = MachineFileState(path);
    std::wstring status;
    if (chosen)
      status = L"not looked at";
    else if (path == ctx.configFilePath)
      status = L"chosen (" + why + L")", chosen = true;
    else if (state == os::kStateMissing)
      status = L"not there";
    else if (state == os::kStateFolder)
      status = L"skipped: a folder";
    else
      status = L"skipped: empty";
    report.candidates.push_back({path, status});
  }
}

void FindApplication(const CheckedRun& run, CheckReport& report) {
  const LauncherContext& ctx = run.ctx;
  report.application = ctx.applicationPath;
  report.workingFolder = ctx.appWorkingDir;
  report.commandLine = TrimSpaces(ctx.commandLineValue + L" " + ctx.launcherParameters);
  for (const SequenceStep& step : run.steps) {
    if (step.point != SequencePoint::KeyRead || step.entry.label != L"GENERAL" ||
        step.entry.key != L"application")
      continue;
    const std::wstring value = Value(step.entry);
    const std::wstring main = Field(value, 1), alternative = Field(value, 2);
    const std::wstring app = PathIdentity(ctx, ctx.applicationPath);
    const bool unchecked = StartsWith(main, L"*") || StartsWith(alternative, L"*");
    if (!StripStars(alternative).empty() &&
        app == PathIdentity(ctx, ResolvePath(ctx, StripStars(alternative))))
      report.applicationWhy = unchecked ? L"field 2 of application (not checked: a * before it)"
                                        : L"field 2 of application: the 64-bit one, there on this "
                                          L"64-bit Windows";
    else if (app == PathIdentity(ctx, ResolvePath(ctx, StripStars(main))))
      report.applicationWhy = unchecked ? L"field 1 of application (not checked: a * before it)"
                                        : L"field 1 of application";
    else
      report.applicationWhy =
          L"field 1 of application, not there as written: the one in the App "
          L"folder beside the launcher";
    if (!unchecked && os::FileState(ctx.applicationPath) == os::kStateMissing)
      report.applicationWhy += L"; not there";
  }
}

void FindPending(const LauncherContext& ctx, CheckReport& report) {
  if (ctx.runner.machine.empty()) return;
  const std::wstring path = RunRecordPath(ctx);
  if (const auto bytes = MachineFileBytes(path)) {
    const auto record = ParseRunRecord(ctx, *bytes);
    if (!record) {
      report.pending.push_back(L"run record " + path +
                               L": damaged; the next start sets it aside as .damaged and finishes "
                               L"nothing");
    } else {
      report.pending.push_back(L"run record " + path + L": the next start finishes first:");
      for (const RunItem& item : record->items)
        report.pending.push_back(
            L"  " + item.key + L" = " + item.value + L" (" + item.stage + L"): " +
            (item.stage == kStageHeld ? L"left as it is: its application may still run"
                                      : L"finished before the BEFORE walk"));
    }
  }
  for (const OtherRecord& other : ctx.otherRecords)
    report.pending.push_back(L"record of another machine or account: " + other.path +
                             L" (never acted on here; told when this start writes newer data into "
                             L"its places)");
  for (const std::wstring& place : ctx.placesNotSetUp)
    report.pending.push_back(L"not set up: " + place +
                             L" (a backup is there that no record of this machine names: left "
                             L"alone)");
}

// The lines of the configuration file that the launcher reads past without a word.
void ScanFileLines(const LauncherContext& ctx, CheckReport& report) {
  const auto bytes = MachineFileBytes(ctx.configFilePath);
  if (!bytes) return;
  std::wstring text;
  if (bytes->starts_with("\xEF\xBB\xBF"))
    text = WideFromUtf8(bytes->substr(3));
  else if (bytes->starts_with("\xFF\xFE"))
    text = WideFromUtf16Le(bytes->substr(2)).value_or(L"");
  else
    text = os::WideFromAnsi(*bytes);
  std::vector<std::wstring> sections;
  size_t number = 0;
  for (size_t start = 0; start <= text.size(); ++number) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = TrimBlanks(ReplaceAll(text.substr(start, end - start), L"\r", L""));
    start = end + 1;
    if (StartsWith(line, L"#"))
      report.warnings.push_back(L"line " + DecimalText(number + 1) +
                                L" begins with #: read as a key, not as a comment (comments begin "
                                L"with ;)");
    if (StartsWith(line, L"[") && EndsWith(line, L"]")) {
      const std::wstring name = LowerAscii(line);
      for (const std::wstring& seen : sections)
        if (seen == name)
          report.warnings.push_back(L"line " + DecimalText(number + 1) + L": a second " + line +
                                    L" header; only the first section of the name is read");
      sections.push_back(name);
    }
    if (end == text.size()) break;
  }
}

bool RemovesSomething(const RecordedChange& change) {
  if (change.kind == ChangeKind::DeleteFile || change.kind == ChangeKind::RemoveFolder) return true;
  if (change.kind != ChangeKind::RunTool) return false;
  const std::wstring line = LowerAscii(change.text);
  return Contains(line, L" /c rmdir ") || Contains(line, L" /c del ") ||
         Contains(line, L"reg.exe\" delete ");
}

void LookAtEntry(const LauncherContext& ctx, const SequenceStep& step,
                 const std::vector<RecordedChange>& changes, CheckReport& report) {
  const CommandEntry& e = step.entry;
  const std::wstring named = e.label + L" " + e.key + L" = " + Value(e);
  if (const KeyRow* row = RowOf(e.key)) {
    for (int field = 1; field <= row->placeFields; ++field) {
      const std::wstring place = TrimSpaces(Field(Value(e), field));
      if (LostANameToAnEmptyExpansion(Field(e.value, field)))
        report.warnings.push_back(named + L": an expansion in field " + DecimalText(field) +
                                  L" came out empty, so the key does nothing");
      else if (!place.empty() &&
               (IsRegKeyPath(place)
                    ? IsProtectedKey(place)
                    : !Contains(place, L"::") && IsProtectedFolder(ctx, ResolvePath(ctx, place))))
        report.warnings.push_back(named +
                                  L": names a protected place, which the launcher leaves "
                                  L"alone");
    }
  }
  for (const RecordedChange& change : changes) {
    if (change.kind == ChangeKind::Message && e.key != L"message")
      report.warnings.push_back(named + L": the launcher shows \"" + OneLine(change.text) + L"\"");
    if (StartsWith(e.key, L"-") && RemovesSomething(change)) {
      report.warnings.push_back(named + L": " + DescribeChanges(ctx, {change}).front() +
                                L", which is there now");
      break;
    }
  }
}

// Keys read past the list's limit; BEFORE items read but without an entry: their
// place overlaps an earlier item's.
void LookAtLeftOutItems(const CheckedRun& run, CheckReport& report) {
  const LauncherContext& ctx = run.ctx;
  for (const SequenceStep& step : run.steps) {
    if (step.point != SequencePoint::KeyRead) continue;
    if (step.dropped) {
      report.warnings.push_back(step.entry.label + L" " + step.entry.key + L" = " +
                                Value(step.entry) +
                                L": past the 100 keys the launcher keeps, so it is not run");
      continue;
    }
    if (step.entry.label != L"BEFORE") continue;
    if (const auto own = LauncherFileOfItem(ctx, step.entry.key, Value(step.entry))) {
      report.warnings.push_back(L"BEFORE " + step.entry.key + L" = " + Value(step.entry) + L": " +
                                *own + L" is the launcher's own file, so the item is left out");
      continue;
    }
    if (!PlacedItemOf(ctx, step.entry.key, Value(step.entry))) continue;
    bool kept = false;
    for (const CommandEntry& entry : ctx.commands)
      kept = kept || (entry.label == L"BEFORE" && entry.key == step.entry.key &&
                      entry.value == step.entry.value);
    if (!kept)
      report.warnings.push_back(L"BEFORE " + step.entry.key + L" = " + Value(step.entry) +
                                L": left out, its place overlaps another item's");
  }
}

bool IsAutomatic(const LauncherContext& ctx, const CommandEntry& entry) {
  if (entry.label != L"AFTER") return false;
  for (const CommandEntry& automatic : ctx.automaticEntries)
    if (automatic.key == entry.key && automatic.value == entry.value) return true;
  return false;
}

}  // namespace

CheckReport FindingsOf(const CheckedRun& run, int launcherExitCode) {
  const LauncherContext& ctx = run.ctx;
  const auto& steps = run.steps;
  CheckReport report;
  report.launcher = ctx.launcherPath;
  FindConfiguration(ctx, report);
  FindApplication(run, report);

  // Before the file is read: start-up and the configuration file's lookup.
  const size_t beforeReading = steps.empty() ? RecordedChanges().size() : steps.front().firstChange;
  PlanStep atStart{
      L"At start", false,
      DescribeChanges(ctx, {RecordedChanges().begin(), RecordedChanges().begin() + beforeReading})};
  if (!atStart.does.empty()) report.plan.push_back(atStart);

  bool applicationReached = false;
  std::wstring walking;  // the section of the walk in progress
  for (size_t i = 0; i < steps.size(); ++i) {
    const SequenceStep& step = steps[i];
    const std::vector<RecordedChange> changes = ChangesOf(steps, i);
    const std::vector<std::wstring> does = DescribeChanges(ctx, changes);
    switch (step.point) {
      case SequencePoint::KeyRead: {
        for (const RecordedChange& change : changes)
          if (change.kind == ChangeKind::Ask) report.asked.push_back(OneLine(change.text));
        if (step.entry.label == L"GENERAL" && IsRequirementKey(step.entry.key)) {
          std::wstring status = L"holds";
          if (!does.empty()) {
            status = L"does not hold here:";
            for (const std::wstring& line : does) status += L" " + line + L";";
            status.pop_back();
            report.warnings.push_back(step.entry.key + L" = " + Value(step.entry) + L": " + status);
          }
          report.requirements.push_back({step.entry.key + L" = " + Value(step.entry), status});
        } else if (!does.empty()) {
          for (const RecordedChange& change : changes)
            if (change.kind == ChangeKind::Message)
              report.warnings.push_back(step.entry.label + L" " + step.entry.key + L" = " +
                                        Value(step.entry) + L": the launcher shows \"" +
                                        OneLine(change.text) + L"\"");
          report.plan.push_back({L"While reading " + step.entry.label + L" " + step.entry.key +
                                     L" = " + Value(step.entry),
                                 false, does});
        }
        break;
      }
      case SequencePoint::KeyPrepared:  // folded into its KeyRead step
        break;
      case SequencePoint::FileRead:
        if (!does.empty()) report.plan.push_back({L"Before BEFORE: what is pending", false, does});
        break;
      case SequencePoint::EntryRun:
        walking = step.entry.label;
        report.plan.push_back(
            {step.entry.label + L" " + step.entry.key + L" = " + Value(step.entry),
             IsAutomatic(ctx, step.entry), does});
        LookAtEntry(ctx, step, changes, report);
        break;
      case SequencePoint::WalkEnded:
        if (walking == L"BEFORE" || (walking.empty() && !applicationReached)) {
          applicationReached = true;
          std::vector<std::wstring> app = does;
          if (app.empty())
            app.push_back(L"starts nothing: there is no application");
          else
            app.push_back(L"waits until it has ended");
          for (const std::wstring& place : run.placesGiven)
            app.push_back(L"may change anything in " + place +
                          L": the AFTER steps below count all of it as changed");
          if (!ctx.waitWindowText.empty())
            app.push_back(L"waits while a window title holds " + ctx.waitWindowText);
          report.plan.push_back({L"The application", false, app});
        } else if (!does.empty()) {
          report.plan.push_back({L"At the end", false, does});
        }
        walking.clear();
        break;
    }
  }
  report.atApplication = run.atApplication;
  report.atEnd = PlaceDifferences();
  FindPending(ctx, report);
  ScanFileLines(ctx, report);
  LookAtLeftOutItems(run, report);

  report.applicationStarts = applicationReached;
  const std::wstring code = DecimalText(static_cast<unsigned>(launcherExitCode));
  bool password = false;
  for (const RecordedChange& change : RecordedChanges())
    password =
        password || (change.kind == ChangeKind::Ask && StartsWith(change.text, kAsksPassword));
  if (!applicationReached && password) {
    // Without the password nothing past the locked value can be told.
    report.warnings.push_back(
        L"a value is locked with a password, which voQ asks at start: the "
        L"plan stops there");
    report.outcome = L"The plan stops at the password; look at the warnings above.";
    report.exitCode = kCheckWarnings;
  } else if (!applicationReached) {
    report.outcome =
        L"The launcher would end before it starts the application (exit code " + code + L").";
    report.exitCode = kCheckFails;
  } else if (launcherExitCode != 0) {
    report.outcome = L"The launcher would end with exit code " + code + L".";
    report.exitCode = kCheckFails;
  } else if (!report.warnings.empty()) {
    report.outcome = L"The start would run; look at the warnings above.";
    report.exitCode = kCheckWarnings;
  } else {
    report.outcome = L"Nothing to look at.";
    report.exitCode = kCheckClean;
  }
  return report;
}
