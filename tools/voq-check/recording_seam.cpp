// The platform seam as voq-check links it: the launcher's code runs on it as on
// the real one, but every call that would change the machine, start a program or
// ask the user is recorded instead of made, and answered as the system would
// answer it; reads go through to the real implementation (os::Real...) with the
// recorded changes laid over them (check_overlay.h).
//
// Built with the real seam's names so that platform.h declares os::Real...; the
// second inclusion of the names below gives the seam's own names back for the
// definitions here.
#include "platform/platform.h"
#define VOQ_REAL_SEAM_DONE
#include "platform/real_seam_names.h"
#undef VOQ_REAL_SEAM_DONE

#include <map>
#include <utility>

#include "platform/text.h"
#include "tools/voq-check/check_overlay.h"
#include "tools/voq-check/recorded_changes.h"

namespace {

std::vector<RecordedChange>& Changes() {
  static std::vector<RecordedChange> changes;
  return changes;
}

struct Checked {
  std::wstring launcher;
  std::vector<std::wstring> arguments;
  int (*endOfRun)(int) = nullptr;
};
Checked& TheChecked() {
  static Checked checked;
  return checked;
}

bool Record(ChangeKind kind, const std::wstring& path, const std::wstring& target, bool succeeds,
            const std::wstring& text = L"") {
  RecordedChange change{kind, path, target, text, 0, 0, succeeds};
  Changes().push_back(change);
  return succeeds;
}

// The size is measured before the change: afterwards the place may be gone.
RecordedChange Measured(ChangeKind kind, const std::wstring& path, const std::wstring& target) {
  RecordedChange change{kind, path, target, L"", 0, 0, true};
  if (const auto size = MeasurePlace(path)) {
    change.files = size->files;
    change.bytes = size->bytes;
  }
  return change;
}
bool Keep(RecordedChange change, bool succeeds) {
  change.succeeds = succeeds;
  Changes().push_back(change);
  return succeeds;
}

// Open files: the real ones as the real seam gave them, and the files the check
// wrote, by path.
struct OpenFile {
  os::FileRef real = 0;
  std::wstring path;
  bool writable = false;
};
std::map<os::FileRef, OpenFile>& OpenFiles() {
  static std::map<os::FileRef, OpenFile> files;
  return files;
}

// The handles the check hands out for programs and mutexes it never made.
constexpr os::ProcessRef kNoRealProcess = 1;
constexpr os::MutexRef kNoRealMutex = 1;

}  // namespace

std::vector<std::wstring> SplitToolCommandLine(const std::wstring& line, bool escapes) {
  std::vector<std::wstring> parts;
  std::wstring part;
  bool quoted = false, any = false;
  for (size_t i = 0; i < line.size();) {
    const wchar_t c = line[i];
    if (c == L'\\' && escapes) {
      size_t run = 0;
      while (i + run < line.size() && line[i + run] == L'\\') ++run;
      const bool beforeQuote = i + run < line.size() && line[i + run] == L'"';
      part.append(beforeQuote ? run / 2 : run, L'\\');
      i += run;
      // An odd run escapes the quote; an even one leaves it to open or close.
      if (beforeQuote && run % 2) part += line[i++];
      any = true;
      continue;
    }
    if (c == L'"') {
      quoted = !quoted;
      any = true;
    } else if ((c == L' ' || c == L'\t') && !quoted) {
      if (any) parts.push_back(part);
      part.clear();
      any = false;
    } else {
      part += c;
      any = true;
    }
    ++i;
  }
  if (any) parts.push_back(part);
  return parts;
}

namespace {

std::wstring Upper(const std::wstring& text) { return os::RealUpperCaseForNames(text); }

// The command interpreter's and the registry tool's command lines that the
// launcher's file and registry operations send, followed in the overlay.
void FollowTool(const std::wstring& commandLine) {
  const std::vector<std::wstring> words = ToolWords(commandLine);
  if (words.size() < 2) return;
  const std::wstring program = Upper(words[0]);
  if (words[1] == L"/c" && words.size() >= 4) {
    const std::wstring verb = Upper(words[2]);
    const std::wstring& path = words[3];
    if (verb == L"MKDIR") {
      // With the folders above it, as MKDIR makes them.
      for (size_t cut = path.find(L'\\');; cut = path.find(L'\\', cut + 1)) {
        const std::wstring level = path.substr(0, cut);
        if (level.size() > 2 && OverlayFileState(level) == os::kStateMissing)
          OverlayCreateFolder(level);
        if (cut == std::wstring::npos) break;
      }
    } else if (verb == L"RMDIR" && words.size() >= 5 && Upper(words[4]) == L"/S") {
      OverlayRemoveTree(path);
    } else if (verb == L"RMDIR") {
      OverlayRemoveFolder(path);
    } else if (verb == L"DEL") {
      const size_t cut = path.find_last_of(L'\\');
      const std::wstring folder = path.substr(0, cut);
      for (const os::DirEntry& e :
           OverlayListFolder(folder, path.substr(cut + 1)).value_or(std::vector<os::DirEntry>{})) {
        if (e.isFolder || e.isHiddenOrSystem) continue;
        OverlaySetAttributes(folder + L"\\" + e.name, os::kAttrNormal);
        OverlayDeleteFile(folder + L"\\" + e.name);
      }
    }
    return;
  }
  if (!EndsWith(program, L"REG.EXE") || words.size() < 3) return;
  const std::wstring verb = Upper(words[1]);
  const std::wstring& key = words[2];
  auto option = [&](const std::wstring& name) -> std::optional<std::wstring> {
    for (size_t i = 3; i < words.size(); ++i)
      if (Upper(words[i]) == name) return i + 1 < words.size() ? words[i + 1] : L"";
    return std::nullopt;
  };
  if (verb == L"DELETE") {
    if (const auto name = option(L"/V"))
      OverlayRegDeleteValue(key, *name);
    else if (const auto def = option(L"/VE"))
      OverlayRegDeleteValue(key, L"");
    else
      OverlayRegDeleteKey(key);
  } else if (verb == L"ADD") {
    OverlayRegKeyMade(key);
  } else if (verb == L"COPY" && words.size() >= 4) {
    OverlayRegCopy(key, words[3]);
  } else if (verb == L"EXPORT" && words.size() >= 4) {
    OverlayRegExport(key, words[3]);
  } else if (verb == L"IMPORT") {
    OverlayRegImport(key);
  }
}

}  // namespace

std::vector<std::wstring> ToolWords(const std::wstring& commandLine) {
  std::vector<std::wstring> words = SplitToolCommandLine(commandLine, false);
  // The command interpreter reads quotes only; other tools split as the C runtime.
  if (words.size() < 2 || words[1] != L"/c") words = SplitToolCommandLine(commandLine, true);
  return words;
}

const std::vector<RecordedChange>& RecordedChanges() { return Changes(); }
void ForgetRecordedChanges() {
  Changes().clear();
  for (const auto& [ref, file] : OpenFiles())
    if (file.real != 0) os::RealCloseFile(file.real);
  OpenFiles().clear();
  ForgetOverlay();
}

void SetCheckedLauncher(const std::wstring& path, const std::vector<std::wstring>& arguments) {
  TheChecked().launcher = path;
  TheChecked().arguments = arguments;
}
void SetEndOfRun(int (*endOfRun)(int)) { TheChecked().endOfRun = endOfRun; }
void AssumeChangedByTheApplication(const std::wstring& place) { OverlayAssumeChanged(place); }

namespace os {

// ---- process and environment: the check's own process stands in ----------------

void InitialiseServices() { RealInitialiseServices(); }

[[noreturn]] void ExitProcessNow(int exitCode) {
  const auto endOfRun = std::exchange(TheChecked().endOfRun, nullptr);
  RealExitProcessNow(endOfRun ? endOfRun(exitCode) : exitCode);
}

std::wstring ModulePath() { return TheChecked().launcher; }
std::vector<std::wstring> CommandLineArguments() { return TheChecked().arguments; }
std::wstring TempFolderLong() { return RealTempFolderLong(); }
std::optional<std::wstring> ReadEnv(const std::wstring& name) { return RealReadEnv(name); }

// The launcher's environment is the check's own process's: set it there too, so
// that later expansions see it as the launcher's would.
bool WriteEnv(const std::wstring& name, const std::wstring& value) {
  return Record(ChangeKind::SetEnv, name, L"", RealWriteEnv(name, value), value);
}
std::optional<std::wstring> ExpandEnv(const std::wstring& text) { return RealExpandEnv(text); }
bool SetCurrentFolder(const std::wstring& path) { return OverlayFileState(path) == kStateFolder; }
VersionRecord QueryVersion() { return RealQueryVersion(); }
bool CanOpenServiceManagerFully() { return RealCanOpenServiceManagerFully(); }
bool RunsUnderWow64() { return RealRunsUnderWow64(); }
bool WindowsIs64Bit() { return RealWindowsIs64Bit(); }
void ReleaseWorkingSet() {}
void Pause(unsigned) {}
LocalTime LocalClock() { return RealLocalClock(); }
std::uint64_t FileClock() { return RealFileClock(); }

// ---- files -------------------------------------------------------------------------

std::int64_t FileState(const std::wstring& path) { return OverlayFileState(path); }

FileRef OpenExistingFile(const std::wstring& path, OpenMode mode) {
  const bool writable = mode == OpenMode::ReadWriteShareRead;
  if (OverlayFileState(path) < 0) return 0;
  if (writable && (OverlayFileAttributes(path).value_or(0) & kAttrReadOnly)) return 0;
  OpenFile file{0, path, writable};
  // A real file is only ever read: a write goes to the overlay.
  if (const auto real = OverlayRealPath(path)) {
    file.real = RealOpenExistingFile(*real, writable ? OpenMode::ReadShareRead : mode);
    if (file.real == 0) return 0;
  }
  const FileRef ref = OpenFiles().empty() ? 1 : OpenFiles().rbegin()->first + 1;
  OpenFiles()[ref] = file;
  return ref;
}

bool ReadWholeFile(FileRef file, std::string& bytes) {
  const auto open = OpenFiles().find(file);
  if (open == OpenFiles().end()) return false;
  if (open->second.real != 0) return RealReadWholeFile(open->second.real, bytes);
  const auto held = OverlayFileBytes(open->second.path);
  if (held) bytes = *held;
  return held.has_value();
}

bool RewriteFile(FileRef file, const std::string& bytes) {
  const auto open = OpenFiles().find(file);
  if (open == OpenFiles().end() || !open->second.writable) return false;
  RecordedChange change{
      ChangeKind::RewriteFile, open->second.path, L"", L"", 1, bytes.size(), true};
  Changes().push_back(change);
  // The overlay holds the new bytes: a real handle would read the old ones.
  if (open->second.real != 0) RealCloseFile(std::exchange(open->second.real, 0));
  return OverlayWriteFile(open->second.path, bytes);
}

void CloseFile(FileRef file) {
  const auto open = OpenFiles().find(file);
  if (open == OpenFiles().end()) return;
  if (open->second.real != 0) RealCloseFile(open->second.real);
  OpenFiles().erase(open);
}

bool WriteNewFile(const std::wstring& path, const std::string& bytes) {
  RecordedChange change{ChangeKind::WriteFile, path, L"", L"", 1, bytes.size(), true};
  return Keep(change, OverlayWriteFile(path, bytes));
}

bool MoveFileOrFolder(const std::wstring& source, const std::wstring& target) {
  const bool folder = OverlayFileState(source) == kStateFolder;
  RecordedChange change =
      Measured(folder ? ChangeKind::MoveFolder : ChangeKind::MoveFile, source, target);
  return Keep(change, OverlayMove(source, target, false));
}

bool ReplaceFileWith(const std::wstring& newFile, const std::wstring& target) {
  RecordedChange change = Measured(ChangeKind::ReplaceFile, newFile, target);
  return Keep(change, OverlayMove(newFile, target, true));
}

std::optional<unsigned> FileAttributes(const std::wstring& path) {
  return OverlayFileAttributes(path);
}
bool SetFileAttributes(const std::wstring& path, unsigned attributes) {
  return Record(ChangeKind::SetAttributes, path, L"", OverlaySetAttributes(path, attributes),
                HexDigits(attributes, 2));
}

// ---- processes: nothing starts; the application counts as ended at once ----------

HiddenRun StartHiddenAndWait(const std::wstring& commandLine, const std::wstring&, unsigned) {
  RecordedChange change{ChangeKind::RunTool, L"", L"", commandLine, 0, 0, true};
  // The place a deletion takes, measured before it goes.
  const std::vector<std::wstring> words = ToolWords(commandLine);
  if (words.size() >= 4 && words[1] == L"/c" && Upper(words[2]) == L"RMDIR")
    if (const auto size = MeasurePlace(words[3]))
      change.files = size->files, change.bytes = size->bytes;
  Changes().push_back(change);
  FollowTool(commandLine);
  return HiddenRun{true, true, 0};
}

ShellStartResult ShellStart(const ShellStartRequest& request) {
  Record(ChangeKind::StartProgram, request.file, request.directory, true, request.parameters);
  return ShellStartResult{true, request.wantProcess ? kNoRealProcess : 0};
}
bool ProcessHasEnded(ProcessRef) { return true; }
void ReleaseProcess(ProcessRef) {}

// ---- user interface: shown as what would be asked, answered to go on -------------

int ShowMessageBox(const std::wstring& text, const std::wstring&, unsigned style) {
  // A question gets the answer that goes on; a message, its OK.
  const unsigned buttons = style & 0xF;
  const wchar_t* answer = buttons == kBoxYesNo      ? kAsksYesNo
                          : buttons == kBoxOkCancel ? kAsksOkCancel
                                                    : L"";
  Record(ChangeKind::Message, L"", answer, true, text);
  return buttons == kBoxYesNo ? kAnswerYes : kAnswerOk;
}

// No window is looked at: what the launcher waits for has gone in the plan.
std::vector<std::wstring> TopLevelWindowTitles() { return {}; }

// ---- folders and file copies -------------------------------------------------------

std::optional<std::vector<DirEntry>> ListFolder(const std::wstring& folder,
                                                const std::wstring& pattern) {
  auto list = OverlayListFolder(folder, pattern);
  // What the application may change has no write time to go by: it counts as
  // changed.
  if (list)
    for (DirEntry& entry : *list)
      if (OverlayMayHaveChanged(folder + L"\\" + entry.name)) entry.lastWrite = 0;
  return list;
}

bool CreateOneFolder(const std::wstring& path) {
  return Record(ChangeKind::CreateFolder, path, L"", OverlayCreateFolder(path));
}

bool CopyFileReplacing(const std::wstring& source, const std::wstring& target) {
  RecordedChange change = Measured(ChangeKind::CopyFile, source, target);
  return Keep(change, OverlayCopyFile(source, target));
}

bool SameFileBytes(const std::wstring& first, const std::wstring& second) {
  if (OverlayMayHaveChanged(first) || OverlayMayHaveChanged(second)) return false;
  const auto realFirst = OverlayRealPath(first);
  const auto realSecond = OverlayRealPath(second);
  if (realFirst && realSecond) return RealSameFileBytes(*realFirst, *realSecond);
  const auto a = OverlayFileBytes(first);
  const auto b = OverlayFileBytes(second);
  return a && b && *a == *b;
}

bool FlushFile(const std::wstring& path) { return OverlayFileState(path) >= 0; }
// A new time is no change to what a file holds.
bool StampWriteTime(const std::wstring& path) { return OverlayFileState(path) >= 0; }

bool SetNormalAttributes(const std::wstring& path) {
  return Record(ChangeKind::SetAttributes, path, L"", OverlaySetAttributes(path, kAttrNormal),
                HexDigits(kAttrNormal, 2));
}

bool MatchesSpec(const std::wstring& name, const std::wstring& pattern) {
  return RealMatchesSpec(name, pattern);
}

bool DeleteOneFile(const std::wstring& path) {
  RecordedChange change = Measured(ChangeKind::DeleteFile, path, L"");
  return Keep(change, OverlayDeleteFile(path));
}

bool RemoveOneFolder(const std::wstring& path) {
  return Record(ChangeKind::RemoveFolder, path, L"", OverlayRemoveFolder(path));
}

std::optional<std::wstring> LongPathName(const std::wstring& path) {
  if (OverlayFileState(path) == kStateMissing) return std::nullopt;
  // Only a name that shows the real place has its long form on the machine.
  const auto real = OverlayRealPath(path);
  if (real && *real == path) return RealLongPathName(path);
  return path;
}

std::wstring UpperCaseForNames(std::wstring text) { return RealUpperCaseForNames(std::move(text)); }

// ---- registry reads: through the keys the check deleted, made and copied ----------

RegQuery QueryRegValue(RegRoot root, const std::wstring& subkey, const std::wstring& name,
                       unsigned bufferBytes) {
  const RegKeyView view = OverlayRegKey(root, subkey);
  if (view.kind != RegKeyView::Real || OverlayRegValueGone(root, subkey, name)) return RegQuery{};
  return RealQueryRegValue(view.root, view.subkey, name, bufferBytes);
}

std::vector<RegQuery> QueryRegValues(RegRoot root, const std::wstring& subkey,
                                     const std::vector<std::wstring>& names, unsigned bufferBytes) {
  std::vector<RegQuery> answers;
  for (const std::wstring& name : names)
    answers.push_back(QueryRegValue(root, subkey, name, bufferBytes));
  return answers;
}

std::optional<std::wstring> RegEnumValueName(RegRoot root, const std::wstring& subkey,
                                             unsigned index) {
  const RegKeyView view = OverlayRegKey(root, subkey);
  if (view.kind != RegKeyView::Real) return std::nullopt;
  return RealRegEnumValueName(view.root, view.subkey, index);
}

RegData QueryRegData(RegRoot root, const std::wstring& subkey, const std::wstring& name,
                     RegView which) {
  const RegKeyView view = OverlayRegKey(root, subkey);
  if (view.kind == RegKeyView::Empty || OverlayRegValueGone(root, subkey, name))
    return RegData{RegOutcome::Missing, 0, ""};
  if (view.kind == RegKeyView::Missing) return RegData{RegOutcome::Missing, 0, ""};
  return RealQueryRegData(view.root, view.subkey, name, which);
}

RegSubkeys ListRegSubkeys(RegRoot root, const std::wstring& subkey, RegView which) {
  const RegKeyView view = OverlayRegKey(root, subkey);
  if (view.kind == RegKeyView::Missing) return RegSubkeys{RegOutcome::Missing, {}};
  RegSubkeys list{RegOutcome::Ok, {}};
  if (view.kind == RegKeyView::Real) list = RealListRegSubkeys(view.root, view.subkey, which);
  const std::vector<std::wstring> made = OverlayRegMadeSubkeys(root, subkey);
  if (list.outcome == RegOutcome::Missing && !made.empty()) list = RegSubkeys{RegOutcome::Ok, {}};
  const std::wstring below = subkey.empty() ? L"" : subkey + L"\\";
  std::erase_if(list.names, [&](const std::wstring& name) {
    return OverlayRegKey(root, below + name).kind == RegKeyView::Missing;
  });
  for (const std::wstring& name : made) {
    bool listed = false;
    for (const std::wstring& there : list.names) listed = listed || LowerAscii(there) == name;
    if (!listed) list.names.push_back(name);
  }
  return list;
}

RegKeyCounts QueryRegKeyCounts(RegRoot root, const std::wstring& subkey) {
  const RegKeyView view = OverlayRegKey(root, subkey);
  if (view.kind == RegKeyView::Missing) return RegKeyCounts{RegOutcome::Missing, 0, 0};
  if (view.kind == RegKeyView::Empty)
    return RegKeyCounts{RegOutcome::Ok,
                        static_cast<unsigned>(OverlayRegMadeSubkeys(root, subkey).size()), 0};
  return RealQueryRegKeyCounts(view.root, view.subkey);
}

bool FlushRegKey(RegRoot root, const std::wstring& subkey) {
  return OverlayRegKey(root, subkey).kind != RegKeyView::Missing;
}

std::wstring ClipboardText() { return RealClipboardText(); }

// ---- requesters: the launcher would ask; the check goes on with what is offered ------

std::optional<std::wstring> AskText(const std::wstring& title, const std::wstring& message,
                                    const std::wstring& initialText, bool masked) {
  Record(ChangeKind::Ask, L"", L"", true,
         (masked ? kAsksPassword : L"a text: ") + title + L": " + message);
  return initialText;
}

std::optional<std::wstring> AskFile(const std::wstring& title, const std::wstring&,
                                    const std::wstring& initialPath) {
  Record(ChangeKind::Ask, L"", L"", true, L"a file: " + title);
  return initialPath;
}

std::optional<std::wstring> AskFolder(const std::wstring& title,
                                      const std::wstring& initialFolder) {
  Record(ChangeKind::Ask, L"", L"", true, L"a folder: " + title);
  return initialFolder;
}

std::string AnsiFromWide(const std::wstring& text) { return RealAnsiFromWide(text); }
std::wstring WideFromAnsi(std::string_view bytes) { return RealWideFromAnsi(bytes); }

// ---- consoles, file dates, desktop, timer and clipboard -------------------------------

bool OpenConsole(const std::wstring& title) {
  return Record(ChangeKind::OpenConsole, L"", L"", true, title);
}

bool StartInConsole(const std::wstring& program) {
  return Record(ChangeKind::StartProgram, program, L"", true, L"");
}

void WaitForProcessEnd(ProcessRef) {}

bool SetFileDate(const std::wstring& path, FileDate, const LocalTime&) {
  return Record(ChangeKind::SetDate, path, L"", OverlayFileState(path) != kStateMissing);
}

std::wstring DesktopWallpaper() { return RealDesktopWallpaper(); }
bool SetDesktopWallpaper(const std::wstring& path) {
  return Record(ChangeKind::SetWallpaper, path, L"", true);
}

void RaiseTimerResolution() {}

bool SetClipboardText(const std::wstring& text) {
  return Record(ChangeKind::SetClipboard, L"", L"", true, text);
}

// ---- requirement checks, single instance and elevation ------------------------------

std::wstring WindowsDirectory() { return RealWindowsDirectory(); }
bool InternetConnected() { return RealInternetConnected(); }

// The probes of the requirement checks (a Java version) only read.
CapturedRun RunCapturingOutput(const std::wstring& commandLine, unsigned timeoutMs) {
  return RealRunCapturingOutput(commandLine, timeoutMs);
}

// Whether a launcher of the name runs now: the name is taken and let go at once,
// so that a launcher started meanwhile is not kept from it for long.
MutexTake CreateOwnedMutex(const std::wstring& name) {
  const MutexTake real = RealCreateOwnedMutex(name);
  if (real.mutex == 0) return real;
  RealReleaseOwnedMutex(real.mutex);
  return MutexTake{kNoRealMutex, real.existed};
}
void ReleaseOwnedMutex(MutexRef) {}

bool StartProgram(const std::wstring& program, const std::wstring& parameters,
                  const std::wstring& folder) {
  return Record(ChangeKind::StartProgram, program, folder, true, parameters);
}

RunnerNames QueryRunner() { return RealQueryRunner(); }

bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target, bool) {
  return Record(ChangeKind::MakeLink, link, target, OverlayLink(link, target));
}

}  // namespace os
