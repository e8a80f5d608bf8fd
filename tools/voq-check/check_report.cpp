#include "tools/voq-check/check_report.h"

#include "commands/run_record.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace {

std::wstring OneLine(std::wstring_view text) {
  // A blank line between paragraphs is one break too.
  const std::wstring breaks = ReplaceAll(ReplaceAll(text, L"\r\n", L"\n"), L"\n\n", L"\n");
  return ReplaceAll(breaks, L"\n", L" / ");
}

std::wstring Quoted(std::wstring_view text) { return L"\"" + OneLine(text) + L"\""; }

std::wstring FilesText(std::uint64_t files, std::uint64_t bytes) {
  return DecimalText(files) + (files == 1 ? L" file, " : L" files, ") + SizeText(bytes);
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path.substr(0, cut);
}

// The longest folder that holds every path of the run.
std::wstring CommonFolder(const std::vector<std::wstring>& paths) {
  std::wstring common = FolderOf(paths.front());
  for (const std::wstring& path : paths)
    while (!common.empty() && !StartsWith(LowerAscii(path), LowerAscii(common) + L"\\"))
      common = FolderOf(common) == common ? L"" : FolderOf(common);
  return common;
}

bool IsRunRecordFile(const LauncherContext& ctx, const std::wstring& path) {
  return !ctx.runner.machine.empty() &&
         StartsWith(LowerAscii(path), LowerAscii(RunRecordPath(ctx)));
}

std::wstring Refused(const RecordedChange& change) {
  return change.succeeds ? L"" : L" (the system would refuse this)";
}

// The registry tool's and the command interpreter's command lines, in words.
std::wstring ToolText(const RecordedChange& change) {
  const std::vector<std::wstring> w = ToolWords(change.text);
  auto upper = [&](size_t i) { return i < w.size() ? os::UpperCaseForNames(w[i]) : L""; };
  auto option = [&](const std::wstring& name) -> std::wstring {
    for (size_t i = 3; i + 1 < w.size(); ++i)
      if (upper(i) == name) return w[i + 1];
    return L"";
  };
  if (upper(1) == L"/C" && w.size() >= 4) {
    const std::wstring verb = upper(2);
    if (verb == L"MKDIR") return L"creates the folder " + w[3];
    if (verb == L"RMDIR" && upper(4) == L"/S")
      return L"deletes " + w[3] + L" with everything in it (" +
             FilesText(change.files, change.bytes) + L")";
    if (verb == L"RMDIR") return L"removes the folder " + w[3] + L" if it is empty";
    if (verb == L"DEL") return L"deletes the files " + w[3];
  }
  if (EndsWith(upper(0), L"REG.EXE") && w.size() >= 3) {
    const std::wstring verb = upper(1);
    const std::wstring& key = w[2];
    const bool named = !option(L"/V").empty();
    if (verb == L"ADD" && named)
      return L"sets the registry value " + key + L"\\" + option(L"/V") + L" to " +
             Quoted(option(L"/D"));
    if (verb == L"ADD") return L"creates the registry key " + key;
    if (verb == L"DELETE" && named)
      return L"deletes the registry value " + key + L"\\" + option(L"/V");
    if (verb == L"DELETE") return L"deletes the registry key " + key + L" with everything in it";
    if (verb == L"EXPORT" && w.size() >= 4)
      return L"exports the registry key " + key + L" to " + w[3];
    if (verb == L"IMPORT") return L"imports " + key + L" into the registry";
    if (verb == L"COPY" && w.size() >= 4) return L"copies the registry key " + key + L" to " + w[3];
  }
  return L"runs " + change.text;
}

std::wstring MoveText(const RecordedChange& change) {
  const std::wstring size = L" (" + FilesText(change.files, change.bytes) + L")";
  if (EndsWith(LowerAscii(change.target), L"_backup"))
    return L"sets " + change.path + size + L" aside as " + LastComponent(change.target);
  if (EndsWith(LowerAscii(change.path), L"_backup"))
    return L"puts " + change.target + L" back from " + LastComponent(change.path) + size;
  return L"moves " + change.path + size + L" to " + change.target;
}

std::wstring ChangeText(const LauncherContext& ctx, const RecordedChange& change) {
  switch (change.kind) {
    case ChangeKind::WriteFile:
    case ChangeKind::RewriteFile:
      if (IsRunRecordFile(ctx, change.path)) return L"notes its progress in the run record";
      return (change.kind == ChangeKind::WriteFile ? L"writes " : L"rewrites ") + change.path +
             L" (" + SizeText(change.bytes) + L")";
    case ChangeKind::MoveFile:
    case ChangeKind::MoveFolder:
      return MoveText(change);
    case ChangeKind::ReplaceFile:
      if (IsRunRecordFile(ctx, change.target)) return L"notes its progress in the run record";
      return L"puts " + change.path + L" in the place of " + change.target;
    case ChangeKind::CopyFile:
      return L"copies " + change.path + L" to " + change.target + L" (" + SizeText(change.bytes) +
             L")";
    case ChangeKind::CreateFolder:
      return L"creates the folder " + change.path;
    case ChangeKind::DeleteFile:
      if (IsRunRecordFile(ctx, change.path)) return L"removes the run record";
      return L"deletes " + change.path + L" (" + SizeText(change.bytes) + L")";
    case ChangeKind::RemoveFolder:
      return L"removes the folder " + change.path;
    case ChangeKind::SetAttributes:
      if (IsRunRecordFile(ctx, change.path)) return L"notes its progress in the run record";
      return L"sets the attributes of " + change.path + L" to 0x" + change.text;
    case ChangeKind::SetDate:
      return L"sets a date of " + change.path;
    case ChangeKind::MakeLink:
      return L"links " + change.path + L" to " + change.target;
    case ChangeKind::RunTool:
      return ToolText(change);
    case ChangeKind::StartProgram:
      return L"starts " + change.path +
             (TrimSpaces(change.text).empty() ? L"" : L" " + TrimSpaces(change.text));
    case ChangeKind::Message:
      if (!change.target.empty())
        return L"asks " + Quoted(change.text) +
               L" (asked at start; the plan goes on as if the answer were " + change.target + L")";
      return L"shows the message " + Quoted(change.text);
    case ChangeKind::Ask:
      return L"asks for " + OneLine(change.text) + L" (asked at start)";
    case ChangeKind::SetEnv:
      return L"sets the environment variable " + change.path + L" to " + Quoted(change.text);
    case ChangeKind::SetClipboard:
      return L"puts a text on the clipboard";
    case ChangeKind::SetWallpaper:
      return L"sets the desktop wallpaper to " + change.path;
    case ChangeKind::OpenConsole:
      return L"opens a console window";
  }
  return L"";
}

// Changes told together: the files of one copy (with the folders it makes),
// deletion or attribute change.
bool Groups(ChangeKind kind) {
  return kind == ChangeKind::CopyFile || kind == ChangeKind::DeleteFile ||
         kind == ChangeKind::SetAttributes;
}
bool GoesWith(ChangeKind run, ChangeKind next) {
  return next == run || (run == ChangeKind::CopyFile && next == ChangeKind::CreateFolder) ||
         (run == ChangeKind::CreateFolder && next == ChangeKind::CopyFile);
}

std::wstring GroupText(const std::vector<RecordedChange>& run) {
  std::vector<std::wstring> sources, targets;
  std::uint64_t bytes = 0, folders = 0;
  ChangeKind kind = run.front().kind;
  for (const RecordedChange& change : run) {
    if (change.kind == ChangeKind::CreateFolder) {
      ++folders;
      continue;
    }
    kind = change.kind;
    sources.push_back(change.path);
    targets.push_back(change.target);
    bytes += change.bytes;
  }
  const std::wstring files = DecimalText(sources.size()) +
                             (sources.size() == 1 ? L" file (" : L" files (") + SizeText(bytes) +
                             L")";
  bool refused = false;
  for (const RecordedChange& change : run) refused = refused || !change.succeeds;
  const std::wstring tail = refused ? L" (the system would refuse some)" : L"";
  switch (kind) {
    case ChangeKind::CopyFile:
      return L"copies " + files + L" from " + CommonFolder(sources) + L" to " +
             CommonFolder(targets) +
             (folders
                  ? L", making " + DecimalText(folders) + (folders == 1 ? L" folder" : L" folders")
                  : L"") +
             tail;
    case ChangeKind::DeleteFile:
      return L"deletes " + files + L" in " + CommonFolder(sources) + tail;
    default:
      return L"sets the attributes of " + DecimalText(run.size()) + L" files in " +
             CommonFolder(sources) + tail;
  }
}

std::wstring JsonText(std::wstring_view text) {
  std::wstring out = L"\"";
  for (const wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += L'\\';
      out += c;
    } else if (c < 0x20) {
      out += L"\\u00" + HexDigits(c, 2);
    } else {
      out += c;
    }
  }
  return out + L"\"";
}

std::wstring JsonList(const std::vector<std::wstring>& items) {
  std::wstring out = L"[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? L"," : L"") + JsonText(items[i]);
  return out + L"]";
}

std::wstring JsonDifferences(const std::vector<PlaceDifference>& items) {
  std::wstring out = L"[";
  for (size_t i = 0; i < items.size(); ++i)
    out += (i ? L"," : L"") + std::wstring(L"{\"path\":") + JsonText(items[i].path) + L",\"now\":" +
           JsonText(items[i].now) + L",\"then\":" + JsonText(items[i].then) + L"}";
  return out + L"]";
}

std::wstring DifferencesText(const wchar_t* title, const std::vector<PlaceDifference>& items) {
  std::wstring out = L"\n" + std::wstring(title) + (items.empty() ? L" nothing" : L"") + L"\n";
  for (const PlaceDifference& d : items)
    out += L"  " + d.path + L": now " + d.now + L", then " + d.then + L"\n";
  return out;
}

std::wstring JsonItems(const std::vector<ReportItem>& items) {
  std::wstring out = L"[";
  for (size_t i = 0; i < items.size(); ++i)
    out += (i ? L"," : L"") + std::wstring(L"{\"name\":") + JsonText(items[i].name) +
           L",\"status\":" + JsonText(items[i].status) + L"}";
  return out + L"]";
}

}  // namespace

std::wstring SizeText(std::uint64_t bytes) {
  if (bytes < 1024) return DecimalText(bytes) + (bytes == 1 ? L" byte" : L" bytes");
  static constexpr const wchar_t* kUnits[] = {L" KB", L" MB", L" GB", L" TB"};
  double size = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (size >= 1024 && unit < 3) size /= 1024, ++unit;
  // One decimal below ten, as "3.1 MB"; whole numbers above.
  if (size < 10) {
    const auto tenths = static_cast<std::uint64_t>(size * 10 + 0.5);
    if (tenths < 100)
      return DecimalText(tenths / 10) + L"." + DecimalText(tenths % 10) + kUnits[unit];
  }
  return DecimalText(static_cast<std::uint64_t>(size + 0.5)) + kUnits[unit];
}

std::vector<std::wstring> DescribeChanges(const LauncherContext& ctx,
                                          const std::vector<RecordedChange>& changes) {
  std::vector<std::wstring> lines;
  for (size_t i = 0; i < changes.size();) {
    const RecordedChange& change = changes[i];
    size_t end = i + 1;
    bool copies = change.kind == ChangeKind::CopyFile;
    if (Groups(change.kind) || change.kind == ChangeKind::CreateFolder)
      while (end < changes.size() && GoesWith(change.kind, changes[end].kind) &&
             !IsRunRecordFile(ctx, changes[end].path)) {
        copies = copies || changes[end].kind == ChangeKind::CopyFile;
        ++end;
      }
    // Folders alone are told one by one.
    if (change.kind == ChangeKind::CreateFolder && !copies) end = i + 1;
    if (end - i > 1 && !IsRunRecordFile(ctx, change.path)) {
      lines.push_back(GroupText({changes.begin() + i, changes.begin() + end}));
    } else {
      end = i + 1;
      const std::wstring text = ChangeText(ctx, change) + Refused(change);
      // The run record's notes are one line however often it is written.
      if (lines.empty() || lines.back() != text) lines.push_back(text);
    }
    i = end;
  }
  return lines;
}

std::string ReportText(const CheckReport& r) {
  std::wstring out = L"voq-check: " + r.launcher + L"\n\n";
  out += L"Configuration file: " + (r.configFile.empty() ? L"none" : r.configFile) + L"\n";
  for (const ReportItem& c : r.candidates) out += L"  " + c.name + L": " + c.status + L"\n";
  out += L"Application: " + (r.application.empty() ? L"none" : r.application) + L"\n";
  if (!r.applicationWhy.empty()) out += L"  chosen: " + r.applicationWhy + L"\n";
  if (!r.application.empty()) {
    out += L"  working folder: " + r.workingFolder + L"\n";
    out += L"  command line: " + (r.commandLine.empty() ? L"(none)" : r.commandLine) + L"\n";
  }
  out += L"Requirements:" + std::wstring(r.requirements.empty() ? L" none" : L"") + L"\n";
  for (const ReportItem& q : r.requirements) out += L"  " + q.name + L": " + q.status + L"\n";
  for (const std::wstring& a : r.asked) out += L"Asked at start: " + a + L"\n";
  out += L"\nPending:" + std::wstring(r.pending.empty() ? L" nothing" : L"") + L"\n";
  for (const std::wstring& p : r.pending) out += L"  " + p + L"\n";
  out += L"\nPlan:\n";
  for (const PlanStep& step : r.plan) {
    out += L"  " + step.title + (step.automatic ? L"  [automatic]" : L"") + L"\n";
    if (step.does.empty()) out += L"      - changes nothing\n";
    for (const std::wstring& line : step.does) out += L"      - " + line + L"\n";
  }
  if (r.applicationStarts)
    out += DifferencesText(L"Different from now when the application starts:", r.atApplication);
  out += DifferencesText(L"Different from now once the launcher has ended:", r.atEnd);
  out += L"\nWarnings:" + std::wstring(r.warnings.empty() ? L" none" : L"") + L"\n";
  for (const std::wstring& w : r.warnings) out += L"  - " + w + L"\n";
  out += L"\n" + r.outcome + L"\n";
  return Utf8FromWide(out);
}

std::string ReportJson(const CheckReport& r) {
  std::wstring plan = L"[";
  for (size_t i = 0; i < r.plan.size(); ++i)
    plan += (i ? L"," : L"") + std::wstring(L"{\"step\":") + JsonText(r.plan[i].title) +
            L",\"automatic\":" + (r.plan[i].automatic ? L"true" : L"false") + L",\"does\":" +
            JsonList(r.plan[i].does) + L"}";
  plan += L"]";
  const std::wstring out =
      L"{\"launcher\":" + JsonText(r.launcher) + L",\"configurationFile\":" +
      JsonText(r.configFile) + L",\"candidates\":" + JsonItems(r.candidates) +
      L",\"application\":{\"path\":" + JsonText(r.application) + L",\"chosen\":" +
      JsonText(r.applicationWhy) + L",\"workingFolder\":" + JsonText(r.workingFolder) +
      L",\"commandLine\":" + JsonText(r.commandLine) + L"},\"requirements\":" +
      JsonItems(r.requirements) + L",\"asked\":" + JsonList(r.asked) + L",\"pending\":" +
      JsonList(r.pending) + L",\"plan\":" + plan + L",\"atApplication\":" +
      JsonDifferences(r.atApplication) + L",\"atEnd\":" + JsonDifferences(r.atEnd) +
      L",\"warnings\":" + JsonList(r.warnings) + L",\"outcome\":" + JsonText(r.outcome) +
      L",\"exitCode\":" + DecimalText(static_cast<std::uint64_t>(r.exitCode)) + L"}\n";
  return Utf8FromWide(out);
}
