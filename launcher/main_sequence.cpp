#include "launcher/main_sequence.h"

#include <algorithm>

#include "commands/item_overlap.h"
#include "commands/run_record.h"
#include "commands/run_section.h"
#include "fileops/direct_ops.h"
#include "launcher/config_file.h"
#include "launcher/elevation.h"
#include "launcher/general_keys.h"
#include "launcher/requirement_checks.h"
#include "launcher/single_instance.h"
#include "launcher/startup.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "registry/reg_delete.h"
#include "registry/reg_read.h"
#include "values/empty_expansion.h"
#include "values/prepare_value.h"
#include "values/user_vars.h"

namespace {

constexpr wchar_t kSymlinkNeedsVista[] =
    L"Vista or newer is required for creating symlinks.\r\n\r\nExiting...";

constexpr unsigned kApplicationPollMs = 500;
constexpr unsigned kWindowPollMs = 1000;

// BEFORE keys whose after-application half runs automatically.
bool IsWrapKey(std::wstring_view key) {
  static constexpr std::wstring_view kWrapKeys[] = {L"dir",      L"file",       L"regkey",
                                                    L"regvalue", L"(dir)",      L"(file)",
                                                    L"(regkey)", L"(regvalue)", L"symlink"};
  for (std::wstring_view wrapKey : kWrapKeys)
    if (key == wrapKey) return true;
  return false;
}

int ShowCommandFor(std::wstring_view showMode) {
  if (showMode == L"max") return 3;   // SW_MAXIMIZE
  if (showMode == L"min") return 7;   // SW_SHOWMINNOACTIVE
  if (showMode == L"hide") return 0;  // SW_HIDE
  return 10;                          // SW_SHOWDEFAULT
}

// GENERAL keys that act the moment they are read; in other sections they do
// nothing here.
struct GeneralRow {
  std::wstring_view key;
  void (*act)(LauncherContext& ctx, const std::wstring& value);
};
constexpr GeneralRow kGeneralRows[] = {
    {L"!admin", CheckAdmin},
    {L"!multiple", [](LauncherContext& c, const std::wstring& v) { c.multipleValue = v; }},
    {L"!dotnet", CheckDotNet},
    {L"!java", CheckJava},
    {L"!online",
     [](LauncherContext& c, const std::wstring& v) { CheckOnline(c, v, kPingArguments); }},
    {L"!os", CheckWindowsVersion},
    {L"!waitprocess",
     [](LauncherContext& c, const std::wstring& v) { c.waitWindowText = TrimSpaces(v); }},
};

const GeneralRow* GeneralRowOf(std::wstring_view key) {
  for (const GeneralRow& row : kGeneralRows)
    if (key == row.key) return &row;
  return nullptr;
}

// Links are made by an elevated launcher on Vista or newer; one without the rights
// starts its elevated copy and ends before anything is moved.
void RequireLinkRights(LauncherContext& ctx) {
  if (WindowsVersionNumber() < 70) {
    os::ShowMessageBox(kSymlinkNeedsVista, ctx.launcherName, os::kBoxOk | os::kBoxTopmost);
    EndLauncher(ctx);
  }
  if (ctx.isAdministrator == 0) RestartElevatedAndEnd(ctx);
}

// Keys that act while the file is read. Returns the label of the entry.
std::wstring ActAtScanTime(LauncherContext& ctx, std::wstring_view section, std::wstring_view key,
                           const std::wstring& value, bool& wrap) {
  if (key == L"application") {
    SetApplication(ctx, value);
  } else if (key == L"commandline") {
    ctx.commandLineValue = value;
  } else if (key == L"workdir") {
    SetWorkingDirectory(ctx, value);
  } else if (const GeneralRow* row = GeneralRowOf(key)) {
    if (section == L"GENERAL") row->act(ctx, value);
  } else if (IsWrapKey(key)) {
    if (section == L"BEFORE") {
      wrap = true;
      if (key == L"symlink") RequireLinkRights(ctx);
    }
  } else if (key == L"uservar") {
    StoreUserVar(ctx, value);
  } else if (key == L"restore") {
    if (ctx.restoreFlag == 0 && section == L"AFTER" && value == L"1") {
      ctx.restoreFlag = 1;
      return L"RESTORE";
    }
  }
  return std::wstring(section);
}

// A BEFORE item whose place touches an earlier item's in a way no order of steps
// makes safe is left out (false), or leaves the earlier one out.
bool FitsBesideEarlierItems(LauncherContext& ctx, std::vector<PlacedItem>& earlier,
                            const PlacedItem& item) {
  std::vector<PlacedItem> displaced;
  for (const PlacedItem& other : earlier) {
    const ItemFit fit = FitOf(other, item);
    if (fit == ItemFit::LeaveOut) return false;
    if (fit == ItemFit::Displaces) displaced.push_back(other);
  }
  for (const PlacedItem& gone : displaced) {
    const auto same = [&](const auto& entry) {
      return entry.key == gone.key && TrimSpaces(WithoutEmptyMarks(entry.value)) == gone.value;
    };
    std::erase_if(ctx.commands, [&](const CommandEntry& entry) {
      return entry.label == L"BEFORE" && same(entry);
    });
    std::erase_if(ctx.automaticEntries, same);
    std::erase_if(earlier, same);
  }
  earlier.push_back(item);
  return true;
}

// True when the App Paths entry's default value is the application's path, as
// Windows compares paths (PathIdentity); quotes around it and variables of an
// expandable value are allowed. An entry that says anything else is another
// program's.
bool NamesTheApplication(const LauncherContext& ctx, const os::RegData& entry) {
  if (entry.outcome != os::RegOutcome::Ok ||
      (entry.type != os::kRegSz && entry.type != os::kRegExpandSz))
    return false;
  const auto stored = WideFromUtf16Le(entry.bytes);
  if (!stored) return false;
  std::wstring path = stored->substr(0, stored->find(L'\0'));
  if (entry.type == os::kRegExpandSz) path = os::ExpandEnv(path).value_or(L"");
  path = TrimBlanks(path);
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
    path = TrimBlanks(path.substr(1, path.size() - 2));
  path = ReplaceAll(path, L"/", L"\\");
  return Contains(path, L":\\") &&
         PathIdentity(ctx, path) == PathIdentity(ctx, ctx.applicationPath);
}

// Entries the section walks run: the restore marker and GENERAL's are not keys
// of theirs.
int RunnableEntries(const LauncherContext& ctx) {
  return static_cast<int>(
      std::count_if(ctx.commands.begin(), ctx.commands.end(), [](const CommandEntry& entry) {
        return entry.label != L"GENERAL" && entry.label != L"DEFAULTRESTORE";
      }));
}

}  // namespace

void ScanSection(LauncherContext& ctx, IniDocument& doc, std::wstring_view section) {
  if (!IniSelectSection(doc, section)) return;
  if (!IniFirstKey(doc)) return;
  std::vector<PlacedItem> placed;  // the section's items so far
  while (IniNextKey(doc)) {
    const std::wstring key = TrimSpaces(IniKeyName(doc));
    if (ctx.watch) {
      const CommandEntry read{std::wstring(section), key, IniKeyValue(doc)};
      ctx.watch(ctx, SequencePoint::KeyRead, &read);
    }
    // The entry keeps the marks of empty expansions for dispatch to look at; what
    // acts now sees the value without them.
    const std::wstring marked =
        SubstituteUserVars(ctx, PrepareMarkedValue(ctx, IniKeyValue(doc), key, section));
    const std::wstring value = TrimSpaces(WithoutEmptyMarks(marked));
    if (ctx.watch) {
      const CommandEntry prepared{std::wstring(section), key, marked};
      ctx.watch(ctx, SequencePoint::KeyPrepared, &prepared);
    }
    bool wrap = false;
    const std::wstring label = ActAtScanTime(ctx, section, key, value, wrap);
    // BEFORE and AFTER keys past the hundredth still act above, but get no entry.
    // GENERAL keys, whose entries never run, do not count.
    if (section != L"GENERAL" && RunnableEntries(ctx) >= kListLimit) {
      // A restore key without its entry would leave the automatic entries nowhere.
      if (label == L"RESTORE") ctx.restoreFlag = 0;
      continue;
    }
    if (wrap) {
      const auto item = PlacedItemOf(ctx, key, value);
      if (item && !FitsBesideEarlierItems(ctx, placed, *item)) continue;
    }
    ctx.commands.push_back(CommandEntry{label, key, marked});
    if (wrap) ctx.automaticEntries.push_back(CommandEntry{L"AFTER", key, marked});
  }
}

void ReadConfiguration(LauncherContext& ctx, const std::wstring& path) {
  IniDocument doc = IniOpen(path);
  ScanSection(ctx, doc, L"GENERAL");
  // Also without a GENERAL section: a second start must never set the data of
  // the running first one aside again.
  CheckSingleInstance(ctx, ctx.multipleValue.empty() ? L"0" : ctx.multipleValue);
  ScanSection(ctx, doc, L"BEFORE");
  ctx.commands.push_back(CommandEntry{L"DEFAULTRESTORE", L"", L""});
  ScanSection(ctx, doc, L"AFTER");
  IniClose(doc);
}

void PlaceAutomaticEntries(LauncherContext& ctx) {
  // The rebuilt list grows as needed, so up to 100 keys and all their automatic
  // entries run; nothing is written past a fixed list. The automatic entries run
  // in the reverse order of their BEFORE halves, as a stack unwinds: an item inside
  // another is finished before the one around it (commands/item_overlap.h).
  std::vector<CommandEntry> rebuilt;
  rebuilt.reserve(ctx.commands.size() + ctx.automaticEntries.size());
  for (CommandEntry& entry : ctx.commands) {
    const bool defaultPlace = entry.label == L"DEFAULTRESTORE";
    if (entry.label == L"RESTORE" || (defaultPlace && ctx.restoreFlag == 0)) {
      rebuilt.insert(rebuilt.end(), ctx.automaticEntries.rbegin(), ctx.automaticEntries.rend());
    } else if (!defaultPlace) {
      rebuilt.push_back(std::move(entry));
    }
  }
  ctx.commands = std::move(rebuilt);
}

void LaunchApplication(LauncherContext& ctx) {
  const bool noWait = ctx.nowaitValue == L"1" || ctx.additionalInstance != 0;
  os::ShellStartRequest request;
  request.file = ctx.applicationPath;
  request.parameters = ctx.commandLineValue + L" " + ctx.launcherParameters;
  request.directory = ctx.appWorkingDir;
  request.showCommand = ShowCommandFor(ctx.showMode);
  request.wantProcess = !noWait;
  // Without an application there is nothing to start. The shell would not fail
  // on an empty file name: it may open a folder window instead and the launcher
  // would wait on that.
  const os::ShellStartResult started =
      request.file.empty() ? os::ShellStartResult{} : os::ShellStart(request);

  if (noWait) EndLauncher(ctx);
  // A start that succeeded without a process handle leaves nothing to watch:
  // waiting on it would never end.
  if (started.ok && started.process != 0) {
    do {
      os::Pause(kApplicationPollMs);
    } while (!os::ProcessHasEnded(started.process));
    os::ReleaseProcess(started.process);
  }
  ctx.phase = L"AFTER";
}

void WaitForWindows(LauncherContext&, std::wstring_view text) {
  if (text.empty()) return;
  const std::wstring wanted = LowerAscii(text);
  for (;;) {
    bool open = false;
    for (const std::wstring& title : os::TopLevelWindowTitles())
      if (Contains(LowerAscii(title), wanted)) open = true;
    if (!open) return;
    os::Pause(kWindowPollMs);
  }
}

void CleanTraces(LauncherContext& ctx) {
  static constexpr std::wstring_view kMuiCacheKeys[] = {
      L"HKCU\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache",
      L"HKCU\\Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache"};
  for (std::wstring_view key : kMuiCacheKeys) {
    DeleteRegValue(ctx, key, ctx.applicationPath);
    DeleteRegValue(ctx, key, ctx.launcherPath);
  }
  // Without an application name the key would be App Paths itself, which holds
  // every program's registration. An entry of the same file name that names
  // another program registers an installed one.
  const std::wstring appName = LastComponent(ctx.applicationPath);
  const std::wstring appPaths =
      L"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + appName;
  if (!appName.empty() && NamesTheApplication(ctx, ReadRegValueData(appPaths, L"")))
    DeleteRegKey(ctx, appPaths);
  DeleteHelperCopy(ctx);
}

void RunMainSequence(LauncherContext& ctx) {
  DeleteHelperCopy(ctx);
  ctx.configFilePath = FindConfigFile(ctx);
  ReadConfiguration(ctx, ctx.configFilePath);
  RequireApplication(ctx);
  PlaceAutomaticEntries(ctx);
  if (ctx.watch) ctx.watch(ctx, SequencePoint::FileRead, nullptr);
  RecoverUnfinishedRun(ctx);
  RunSection(ctx, L"BEFORE");
  TrimWorkingSet();
  LaunchApplication(ctx);
  WaitForWindows(ctx, ctx.waitWindowText);
  RunSection(ctx, L"AFTER");
  EndRunRecord(ctx);
  CleanTraces(ctx);
}
