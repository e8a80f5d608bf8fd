#include "tests/fake_platform/fake_platform.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/text.h"

namespace {

std::unique_ptr<FakeWorld> g_world;

// The system's name for a path: lowered, as names match without regard to case,
// and without the trailing dots and blanks of its last component, which Win32
// drops ("a.txt. " is "a.txt"). A pattern keeps them: "*." means something else.
std::wstring Key(const std::wstring& path) {
  std::wstring key = LowerAscii(path);
  const size_t start = key.find_last_of(L'\\') + 1;
  size_t end = key.size();
  while (end > start && (key[end - 1] == L'.' || key[end - 1] == L' ')) --end;
  if (end > start && key.find_first_of(L"*?", start) == std::wstring::npos) key.resize(end);
  return key;
}

struct OpenFile {
  std::wstring key;
  bool writable;
  bool sharesWriting = false;
};
std::map<os::FileRef, OpenFile> g_open;
os::FileRef g_nextFile = 1;

bool MatchPattern(std::wstring_view name, std::wstring_view pattern) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == L'*') {
    for (size_t skip = 0; skip <= name.size(); ++skip)
      if (MatchPattern(name.substr(skip), pattern.substr(1))) return true;
    return false;
  }
  if (name.empty()) return false;
  if (pattern[0] != L'?' && pattern[0] != name[0]) return false;
  return MatchPattern(name.substr(1), pattern.substr(1));
}

std::wstring ParentOf(const std::wstring& key) {
  const size_t cut = key.find_last_of(L'\\');
  return cut == std::wstring::npos ? std::wstring() : key.substr(0, cut);
}

bool IsDrive(const std::wstring& key) { return key.size() == 2 && key[1] == L':'; }
bool DriveThere(const std::wstring& drive) {
  return Fake().drives.count(drive) || Fake().otherVolumes.count(drive);
}
bool FolderExists(const std::wstring& key) {
  return IsDrive(key) ? DriveThere(key) : Fake().folders.count(key) > 0;
}

// Also every name longer than the system looks up: Windows refuses them where
// Wine would not.
bool Unreadable(const std::wstring& key) {
  if (key.size() > os::kLongestPath) return true;
  for (const std::wstring& place : Fake().unreadablePlaces)
    if (key == place || StartsWith(key, place + L"\\")) return true;
  return false;
}

// Absence is an answer only on a volume that is there: a drive of the world, or a
// share stored as a folder ("\\\\server\\share").
bool VolumeThere(const std::wstring& key) {
  if (key.size() >= 2 && key[1] == L':') return DriveThere(key.substr(0, 2));
  if (!StartsWith(key, L"\\\\")) return true;
  const size_t server = key.find(L'\\', 2);
  const size_t share = server == std::wstring::npos ? server : key.find(L'\\', server + 1);
  return server != std::wstring::npos && Fake().folders.count(key.substr(0, share));
}
// Counts one change call: throws FakeCrash at crashAt, and answers whether the call
// fails by the injected fault.
bool ChangeFails(const wchar_t* call, const std::wstring& key, bool addsData) {
  auto& w = Fake();
  for (auto it = w.lockedOnceThere.begin(); it != w.lockedOnceThere.end();)
    if (w.files.count(*it)) {
      w.lockedFiles.insert(*it);
      it = w.lockedOnceThere.erase(it);
    } else {
      ++it;
    }
  w.changes.push_back(FakeChange{call, key, addsData});
  const int number = static_cast<int>(w.changes.size());
  if (number == w.crashAt) {
    FakeProcessEnded();
    throw FakeCrash{};
  }
  if (number == w.faultAt) {
    switch (w.fault) {
      case FakeFault::None:
        break;
      case FakeFault::Once:
        return true;
      case FakeFault::DiskFull:
        w.diskFull = true;
        break;
    }
  }
  return addsData && w.diskFull;
}

// The write time a file gets: the clock's, or a copy's source's.
void SetWriteTime(const std::wstring& key, std::optional<std::uint64_t> copiedTime = {}) {
  auto& w = Fake();
  std::uint64_t time = copiedTime ? *copiedTime : (w.fileClock += 100'000);
  // Rounded down, the harder way for a rule that trusts times.
  if (w.coarseTimeDrives.count(key.substr(0, 2))) time -= time % os::kCoarsestWriteTimeGrain;
  w.writeTimes[key] = time;
}

bool HasChildren(const std::wstring& key) {
  for (const auto& [name, bytes] : Fake().files)
    if (ParentOf(name) == key) return true;
  for (const auto& name : Fake().folders)
    if (ParentOf(name) == key) return true;
  return false;
}

}  // namespace

void FakeSetWriteTime(const std::wstring& key, std::uint64_t ticks) { SetWriteTime(key, ticks); }

bool FakeChangeFails(const wchar_t* call, const std::wstring& key, bool addsData) {
  return ChangeFails(call, key, addsData);
}

void FakeProcessEnded() {
  g_open.clear();
  FakeReleaseMutexesOfProcess();
}

FakeWorld& Fake() {
  if (!g_world) g_world = std::make_unique<FakeWorld>();
  return *g_world;
}

void ResetFake() {
  g_world = std::make_unique<FakeWorld>();
  g_open.clear();
}

bool FakeFileHeldAgainstWriters(const std::wstring& path) {
  for (const auto& [ref, open] : g_open)
    if (open.key == Key(path) && !open.sharesWriting) return true;
  return false;
}

void FakeAddFile(const std::wstring& path, const std::string& bytes) {
  Fake().files[Key(path)] = bytes;
  Fake().unflushed.erase(Key(path));
  SetWriteTime(Key(path));
}
void FakeAddFolder(const std::wstring& path) { Fake().folders.insert(Key(path)); }
bool FakeUnreadable(const std::wstring& path) { return Unreadable(Key(path)); }
bool FakeHasFile(const std::wstring& path) { return Fake().files.count(Key(path)) > 0; }
std::string FakeFileBytes(const std::wstring& path) {
  auto it = Fake().files.find(Key(path));
  return it == Fake().files.end() ? std::string() : it->second;
}

void FakeLoseUnflushedData() {
  auto& w = Fake();
  if (w.registryOnDisk) w.registry = *std::exchange(w.registryOnDisk, std::nullopt);
  for (const std::wstring& key : w.unflushed)
    if (auto it = w.files.find(key); it != w.files.end())
      it->second.assign(it->second.size(), '\0');
  w.unflushed.clear();
}

namespace os {

// Each launcher start is a new process: whatever launcher ran before under the
// same process number has ended by now (tests run one after another).
void InitialiseServices() {
  FakeProcessEnded();
  Fake().servicesInitialised = true;
}
void ExitProcessNow(int exitCode) {
  FakeProcessEnded();
  throw FakeExit{exitCode};
}
std::wstring ModulePath() { return Fake().modulePath; }
std::vector<std::wstring> CommandLineArguments() { return Fake().arguments; }
std::wstring TempFolderLong() { return Fake().tempFolder; }

std::optional<std::wstring> ReadEnv(const std::wstring& name) {
  auto it = Fake().env.find(LowerAscii(name));
  if (it == Fake().env.end()) return std::nullopt;
  return it->second;
}

bool WriteEnv(const std::wstring& name, const std::wstring& value) {
  Fake().env[LowerAscii(name)] = value;
  return true;
}

std::optional<std::wstring> ExpandEnv(const std::wstring& text) {
  if (Fake().expandFails) return std::nullopt;
  std::wstring out;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t open = text.find(L'%', pos);
    const size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring::npos) break;
    out.append(text, pos, open - pos);
    const auto value = ReadEnv(text.substr(open + 1, close - open - 1));
    if (value) {
      out.append(*value);
      pos = close + 1;
    } else {
      out.push_back(L'%');  // unknown: keep the first percent sign, rescan from the second
      out.append(text, open + 1, close - open - 1);
      pos = close;
    }
  }
  out.append(text, pos, std::wstring::npos);
  return out;
}

bool SetCurrentFolder(const std::wstring& path) {
  std::wstring key = Key(path);
  while (key.size() > 2 && key.back() == L'\\') key.pop_back();
  if (!FolderExists(key) || Unreadable(key)) return false;
  Fake().currentFolder = path;
  return true;
}

VersionRecord QueryVersion() { return Fake().version; }
bool CanOpenServiceManagerFully() { return Fake().serviceManagerOpens; }
bool RunsUnderWow64() { return Fake().wow64; }
bool WindowsIs64Bit() { return Fake().windows64; }
void ReleaseWorkingSet() { Fake().workingSetReleased = true; }
void Pause(unsigned milliseconds) { Fake().pausedMs += milliseconds; }
std::uint64_t FileClock() { return Fake().fileClock += Fake().fileClockStep; }

LocalTime LocalClock() {
  auto& w = Fake();
  ++w.clockReads;
  if (w.clockReadings.empty()) return w.clock;
  const LocalTime reading = w.clockReadings.front();
  w.clockReadings.pop_front();
  return reading;
}

std::int64_t FileState(const std::wstring& path) {
  if (path.size() > kLongestPath) return kStateUnreadable;
  std::wstring key = Key(path);
  const bool namesFolder = !key.empty() && key.back() == L'\\';
  while (!key.empty() && key.back() == L'\\') key.pop_back();
  if (key.empty()) return kStateMissing;
  if (Unreadable(key)) return kStateUnreadable;
  if (IsDrive(key)) return DriveThere(key) ? kStateFolder : kStateMissing;
  if (key.find_first_of(L"*?") == std::wstring::npos) {
    if (auto it = Fake().files.find(key); it != Fake().files.end())
      return namesFolder ? kStateMissing : static_cast<std::int64_t>(it->second.size());
    if (Fake().folders.count(key)) return kStateFolder;
    return VolumeThere(key) ? kStateMissing : kStateUnreadable;
  }
  const std::wstring parent = ParentOf(key);
  const std::wstring pattern = key.substr(parent.size() + 1);
  // First match in name order, files and folders alike.
  std::map<std::wstring, std::int64_t> matches;
  for (const auto& [name, bytes] : Fake().files)
    if (ParentOf(name) == parent && MatchPattern(name.substr(parent.size() + 1), pattern))
      matches[name] = static_cast<std::int64_t>(bytes.size());
  for (const auto& name : Fake().folders)
    if (ParentOf(name) == parent && MatchPattern(name.substr(parent.size() + 1), pattern))
      matches[name] = kStateFolder;
  if (!matches.empty()) return matches.begin()->second;
  return VolumeThere(key) ? kStateMissing : kStateUnreadable;
}

FileRef OpenExistingFile(const std::wstring& path, OpenMode mode) {
  const std::wstring key = Key(path);
  Fake().openModes.push_back(mode);
  if (!Fake().files.count(key) || Fake().lockedFiles.count(key) || Unreadable(key)) return 0;
  const bool writable = mode == OpenMode::ReadWriteShareRead;
  if (writable && Fake().readOnlyFiles.count(key)) return 0;
  // The system's share check against the handles open already: a writer needs
  // every other to share writing, and a reader that does not keeps writers out.
  for (const auto& [ref, open] : g_open)
    if (open.key == key && ((writable && !open.sharesWriting) ||
                            (open.writable && mode != OpenMode::ReadShareReadWrite)))
      return 0;
  g_open[g_nextFile] = OpenFile{key, writable, mode == OpenMode::ReadShareReadWrite};
  return g_nextFile++;
}

bool ReadWholeFile(FileRef file, std::string& bytes) {
  auto it = g_open.find(file);
  if (it == g_open.end() || Fake().unreadableFiles.count(it->second.key)) return false;
  bytes = Fake().files[it->second.key];
  return true;
}

bool RewriteFile(FileRef file, const std::string& bytes) {
  auto it = g_open.find(file);
  if (ChangeFails(L"RewriteFile", it == g_open.end() ? L"" : it->second.key, true)) return false;
  if (it == g_open.end() || !it->second.writable) return false;
  Fake().files[it->second.key] = bytes;
  Fake().unflushed.erase(it->second.key);
  SetWriteTime(it->second.key);
  return true;
}

void CloseFile(FileRef file) { g_open.erase(file); }

bool WriteNewFile(const std::wstring& path, const std::string& bytes) {
  const std::wstring key = Key(path);
  auto& w = Fake();
  const bool writable = !Unreadable(key) && !w.readOnlyFiles.count(key) &&
                        !w.lockedFiles.count(key) && FolderExists(ParentOf(key));
  // Killed while writing: the file holds the first part of its bytes, not flushed.
  if (w.tearAtCrash && writable && static_cast<int>(w.changes.size()) + 1 == w.crashAt) {
    w.files[key] = bytes.substr(0, bytes.size() / 2);
    w.unflushed.insert(key);
  }
  if (ChangeFails(L"WriteNewFile", key, true) || !writable) return false;
  Fake().files[key] = bytes;
  Fake().unflushed.erase(key);
  SetWriteTime(key);
  return true;
}

namespace {

std::wstring VolumeOf(const std::wstring& key) {
  for (const std::wstring& volume : Fake().otherVolumes)
    if (key == volume || StartsWith(key, volume + L"\\")) return volume;
  return L"";
}

bool LockedAtOrBelow(const std::wstring& key) {
  for (const std::wstring& name : Fake().lockedFiles)
    if (name == key || StartsWith(name, key + L"\\")) return true;
  return false;
}

// The new name of an entry at or below `from` when `from` becomes `to`.
std::wstring Renamed(const std::wstring& name, const std::wstring& from, const std::wstring& to) {
  return to + name.substr(from.size());
}

template <typename Set>
void RenameKeys(Set& set, const std::wstring& from, const std::wstring& to) {
  Set moved;
  for (auto it = set.begin(); it != set.end();) {
    if (*it == from || StartsWith(*it, from + L"\\")) {
      moved.insert(Renamed(*it, from, to));
      it = set.erase(it);
    } else {
      ++it;
    }
  }
  set.insert(moved.begin(), moved.end());
}

template <typename Map>
void RenameMapKeys(Map& map, const std::wstring& from, const std::wstring& to) {
  Map moved;
  for (auto it = map.begin(); it != map.end();) {
    if (it->first == from || StartsWith(it->first, from + L"\\")) {
      moved.emplace(Renamed(it->first, from, to), std::move(it->second));
      it = map.erase(it);
    } else {
      ++it;
    }
  }
  map.merge(moved);
}

}  // namespace

bool MoveFileOrFolder(const std::wstring& source, const std::wstring& target) {
  auto& w = Fake();
  const std::wstring from = Key(source);
  const std::wstring to = Key(target);
  if (ChangeFails(L"MoveFileOrFolder", from, false) || Unreadable(from) || Unreadable(to))
    return false;
  const bool isFile = w.files.count(from) > 0;
  if (!isFile && !w.folders.count(from)) return false;
  if (w.files.count(to) || FolderExists(to) || !FolderExists(ParentOf(to))) return false;
  if (VolumeOf(from) != VolumeOf(to) || LockedAtOrBelow(from)) return false;
  if (to == from || StartsWith(to, from + L"\\")) return false;
  RenameMapKeys(w.files, from, to);
  RenameKeys(w.folders, from, to);
  RenameKeys(w.readOnlyFiles, from, to);
  RenameKeys(w.hiddenFiles, from, to);
  RenameKeys(w.linkFolders, from, to);
  RenameMapKeys(w.otherAttributes, from, to);
  RenameMapKeys(w.writeTimes, from, to);
  std::erase_if(w.unflushed, [&](const std::wstring& name) {
    return name == to || StartsWith(name, to + L"\\");  // marks of files gone before
  });
  RenameKeys(w.unflushed, from, to);
  return true;
}

bool ReplaceFileWith(const std::wstring& newFile, const std::wstring& target) {
  auto& w = Fake();
  const std::wstring from = Key(newFile);
  const std::wstring to = Key(target);
  if (ChangeFails(L"ReplaceFileWith", from, false) || Unreadable(from) || Unreadable(to))
    return false;
  if (!w.files.count(from) || w.folders.count(to)) return false;
  if (w.readOnlyFiles.count(to) || w.lockedFiles.count(to) || w.lockedFiles.count(from))
    return false;
  w.files[to] = std::move(w.files[from]);
  w.files.erase(from);
  SetWriteTime(to, w.writeTimes[from]);
  w.writeTimes.erase(from);
  w.hiddenFiles.erase(to);
  w.otherAttributes.erase(to);
  if (w.readOnlyFiles.erase(from)) w.readOnlyFiles.insert(to);
  if (w.hiddenFiles.erase(from)) w.hiddenFiles.insert(to);
  if (auto it = w.otherAttributes.find(from); it != w.otherAttributes.end()) {
    w.otherAttributes[to] = it->second;
    w.otherAttributes.erase(from);
  }
  w.unflushed.erase(to);
  if (w.unflushed.erase(from)) w.unflushed.insert(to);
  return true;
}

std::optional<unsigned> FileAttributes(const std::wstring& path) {
  const auto& w = Fake();
  const std::wstring key = Key(path);
  if (Unreadable(key)) return std::nullopt;
  if (FolderExists(key))
    return kAttrDirectory | (w.linkFolders.count(key) ? kAttrReparsePoint : 0u);
  if (!w.files.count(key)) return std::nullopt;
  const auto other = w.otherAttributes.find(key);
  unsigned attributes = other == w.otherAttributes.end() ? kAttrArchive : other->second;
  if (w.readOnlyFiles.count(key)) attributes |= kAttrReadOnly;
  if (w.hiddenFiles.count(key)) attributes |= kAttrHidden;
  return attributes == 0 ? kAttrNormal : attributes;
}

bool SetFileAttributes(const std::wstring& path, unsigned attributes) {
  auto& w = Fake();
  const std::wstring key = Key(path);
  if (ChangeFails(L"SetFileAttributes", key, false) || Unreadable(key)) return false;
  if (!w.files.count(key)) return FolderExists(key);
  if (attributes & kAttrReadOnly)
    w.readOnlyFiles.insert(key);
  else
    w.readOnlyFiles.erase(key);
  if (attributes & kAttrHidden)
    w.hiddenFiles.insert(key);
  else
    w.hiddenFiles.erase(key);
  w.otherAttributes[key] = attributes & ~(kAttrReadOnly | kAttrHidden | kAttrNormal);
  return true;
}

HiddenRun StartHiddenAndWait(const std::wstring& commandLine, const std::wstring& workdir,
                             unsigned timeoutMs) {
  if (ChangeFails(L"StartHiddenAndWait", L"", false)) return HiddenRun{};
  Fake().hiddenStarts.push_back(FakeHiddenStart{commandLine, workdir, timeoutMs});
  FakeHiddenStart start = Fake().hiddenStarts.back();
  const bool started = Fake().onHiddenStart ? Fake().onHiddenStart(start) : true;
  if (!started) return HiddenRun{};
  return HiddenRun{true, start.ended, start.ended ? start.exitCode : 0};
}

ShellStartResult ShellStart(const ShellStartRequest& request) {
  Fake().shellStarts.push_back(request);
  ShellStartResult result;
  result.ok = Fake().shellStartSucceeds;
  if (result.ok && request.wantProcess && Fake().shellGivesProcess) result.process = 42;
  return result;
}

bool ProcessHasEnded(ProcessRef) {
  ++Fake().processPolls;
  if (Fake().onProcessPoll) Fake().onProcessPoll();
  Fake().registryOnDisk.reset();
  return Fake().processPolls >= Fake().processPollsUntilEnd;
}

void ReleaseProcess(ProcessRef) { ++Fake().processesReleased; }

int ShowMessageBox(const std::wstring& text, const std::wstring& caption, unsigned style) {
  Fake().boxes.push_back(FakeMessageBox{text, caption, style});
  if (Fake().answers.empty()) return kAnswerOk;
  const int answer = Fake().answers.front();
  Fake().answers.pop_front();
  return answer;
}

std::vector<std::wstring> TopLevelWindowTitles() {
  auto titles = Fake().windowTitles;
  if (Fake().onTitlesRead) Fake().onTitlesRead();
  return titles;
}

std::optional<std::vector<DirEntry>> ListFolder(const std::wstring& folder,
                                                const std::wstring& pattern) {
  const bool endsWithBackslash = !folder.empty() && folder.back() == L'\\';
  if (folder.size() + (endsWithBackslash ? 0 : 1) + pattern.size() > kLongestPath)
    return std::nullopt;
  std::wstring key = Key(folder);
  while (!key.empty() && key.back() == L'\\') key.pop_back();
  if (!FolderExists(key) || Unreadable(key) || Fake().partlyListedFolders.count(key))
    return std::nullopt;
  const std::wstring leafPattern = Key(pattern) == L"*.*" ? L"*" : Key(pattern);
  std::map<std::wstring, DirEntry> found;  // name order, like NTFS
  for (const auto& [name, bytes] : Fake().files) {
    const std::wstring leaf = name.substr(name.find_last_of(L'\\') + 1);
    if (ParentOf(name) == key && MatchPattern(leaf, leafPattern)) {
      const auto time = Fake().writeTimes.find(name);
      found[leaf] = DirEntry{leaf,         false,
                             false,        Fake().hiddenFiles.count(name) > 0,
                             bytes.size(), time == Fake().writeTimes.end() ? 0 : time->second};
    }
  }
  for (const auto& name : Fake().folders) {
    const std::wstring leaf = name.substr(name.find_last_of(L'\\') + 1);
    if (ParentOf(name) == key && MatchPattern(leaf, leafPattern))
      found[leaf] = DirEntry{leaf, true, Fake().linkFolders.count(name) > 0, false};
  }
  std::vector<DirEntry> entries;
  for (auto& [leaf, entry] : found) entries.push_back(entry);
  return entries;
}

bool CreateOneFolder(const std::wstring& path) {
  const std::wstring key = Key(path);
  if (ChangeFails(L"CreateOneFolder", key, true) || Unreadable(key)) return false;
  if (Fake().files.count(key) || FolderExists(key) || !FolderExists(ParentOf(key))) return false;
  Fake().folders.insert(key);
  return true;
}

bool CopyFileReplacing(const std::wstring& source, const std::wstring& target) {
  const std::wstring from = Key(source);
  const std::wstring to = Key(target);
  auto& w = Fake();
  if (ChangeFails(L"CopyFileReplacing", from, true) || Unreadable(from) || Unreadable(to))
    return false;
  if (!w.files.count(from) || w.lockedFiles.count(from) || from == to) return false;
  if (w.folders.count(to) || !FolderExists(ParentOf(to))) return false;
  if (w.readOnlyFiles.count(to) || w.hiddenFiles.count(to) || w.lockedFiles.count(to)) return false;
  w.files[to] = w.files[from];
  // CopyFileW carries the write time and the attributes over.
  SetWriteTime(to, w.writeTimes[from]);
  if (w.readOnlyFiles.count(from)) w.readOnlyFiles.insert(to);
  if (w.hiddenFiles.count(from)) w.hiddenFiles.insert(to);
  w.unflushed.insert(to);
  return true;
}

bool SameFileBytes(const std::wstring& first, const std::wstring& second) {
  const auto& w = Fake();
  for (const std::wstring& key : {Key(first), Key(second)})
    if (!w.files.count(key) || w.lockedFiles.count(key) || w.unreadableFiles.count(key) ||
        Unreadable(key))
      return false;
  return w.files.at(Key(first)) == w.files.at(Key(second));
}

bool FlushFile(const std::wstring& path) {
  const std::wstring key = Key(path);
  if (ChangeFails(L"FlushFile", key, false) || Unreadable(key)) return false;
  if (!Fake().files.count(key)) return false;
  Fake().unflushed.erase(key);
  return true;
}

bool StampWriteTime(const std::wstring& path) {
  const std::wstring key = Key(path);
  if (ChangeFails(L"StampWriteTime", key, false) || Unreadable(key)) return false;
  if (!Fake().files.count(key)) return false;
  SetWriteTime(key);
  return true;
}

bool SetNormalAttributes(const std::wstring& path) {
  const std::wstring key = Key(path);
  if (ChangeFails(L"SetNormalAttributes", key, false) || Unreadable(key)) return false;
  if (!Fake().files.count(key) && !Fake().folders.count(key)) return false;
  Fake().readOnlyFiles.erase(key);
  Fake().hiddenFiles.erase(key);
  return true;
}

bool MatchesSpec(const std::wstring& name, const std::wstring& pattern) {
  const std::wstring lowered = Key(name);
  std::wstring rest = Key(pattern);
  while (true) {
    const size_t cut = rest.find(L';');
    std::wstring wanted = rest.substr(0, cut);
    while (!wanted.empty() && wanted.front() == L' ') wanted.erase(0, 1);
    if (wanted == L"*.*" || MatchPattern(lowered, wanted)) return true;
    if (cut == std::wstring::npos) return false;
    rest = rest.substr(cut + 1);
  }
}

bool DeleteOneFile(const std::wstring& path) {
  const std::wstring key = Key(path);
  auto& w = Fake();
  if (ChangeFails(L"DeleteOneFile", key, false) || Unreadable(key)) return false;
  if (!w.files.count(key) || w.readOnlyFiles.count(key) || w.lockedFiles.count(key)) return false;
  w.files.erase(key);
  w.hiddenFiles.erase(key);
  w.otherAttributes.erase(key);  // a file made later under the name starts afresh
  w.writeTimes.erase(key);
  w.unflushed.erase(key);
  return true;
}

bool RemoveOneFolder(const std::wstring& path) {
  const std::wstring key = Key(path);
  auto& w = Fake();
  if (ChangeFails(L"RemoveOneFolder", key, false) || Unreadable(key)) return false;
  if (!w.folders.count(key)) return false;
  if (!w.linkFolders.count(key) && HasChildren(key)) return false;
  w.folders.erase(key);
  w.linkFolders.erase(key);
  return true;
}

std::optional<std::wstring> LongPathName(const std::wstring& path) {
  std::wstring longPath = path;
  const std::wstring key = Key(path);
  for (const auto& [shortName, longName] : Fake().shortNames)
    if (key == shortName || StartsWith(key, shortName + L"\\"))
      longPath = longName + path.substr(shortName.size());
  const std::int64_t state = FileState(longPath);
  if (state == kStateMissing || state == kStateUnreadable) return std::nullopt;
  return longPath;
}

// The simple capitals of the scripts the tests write names in, as Windows has
// them: Latin-1, Latin Extended-A, Greek and Cyrillic; other characters stay.
// The final sigma stays too: since Windows 7 only the linguistic casing maps it.
std::wstring UpperCaseForNames(std::wstring upper) {
  for (wchar_t& c : upper) {
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
      c = static_cast<wchar_t>(c - 0x20);
    else if (c >= 0x450 && c <= 0x45F)
      c = static_cast<wchar_t>(c - 0x50);
    else if (c == 0xFF)
      c = 0x178;
    else if (c >= 0x100 && c <= 0x17E && c != 0x138 && c != 0x149 && c != 0x178 &&
             (c & 1) == ((c >= 0x139 && c <= 0x148) || c >= 0x179 ? 0 : 1))
      c = static_cast<wchar_t>(c - 1);  // upper and lower case side by side
  }
  return upper;
}

}  // namespace os

// ---- registry and clipboard ------------------------------------------------------

namespace {

// Leading and trailing backslashes removed, lowered: the system's names ignore case.
std::wstring RegKeyPath(const std::wstring& key) {
  size_t begin = 0;
  size_t end = key.size();
  while (begin < end && key[begin] == L'\\') ++begin;
  while (end > begin && key[end - 1] == L'\\') --end;
  return LowerAscii(std::wstring_view(key).substr(begin, end - begin));
}

FakeRegKey* FindRegKey(os::RegRoot root, const std::wstring& key) {
  if (!key.empty() && key.front() == L'\\') return nullptr;  // the system refuses such a name
  auto it = Fake().registry.find({root, RegKeyPath(key)});
  return it == Fake().registry.end() ? nullptr : &it->second;
}

}  // namespace

void FakeAddRegKey(os::RegRoot root, const std::wstring& key) {
  // Each component keeps its name as written, for the enumeration.
  std::wstring path;
  Fake().registry[{root, path}];
  for (size_t start = 0; start < key.size();) {
    const size_t end = std::min(key.find(L'\\', start), key.size());
    if (end > start) {
      const std::wstring component = key.substr(start, end - start);
      path += (path.empty() ? L"" : L"\\") + LowerAscii(component);
      FakeRegKey& entry = Fake().registry[{root, path}];
      if (entry.name.empty()) entry.name = component;
    }
    start = end + 1;
  }
}

void FakeSetRegValue(os::RegRoot root, const std::wstring& key, const std::wstring& name,
                     unsigned type, const std::string& bytes) {
  FakeAddRegKey(root, key);
  FakeRegKey& entry = *FindRegKey(root, key);
  for (FakeRegValue& value : entry.values) {
    if (EqualsIgnoringAsciiCase(value.name, name)) {
      value.type = type;
      value.bytes = bytes;
      return;
    }
  }
  entry.values.push_back(FakeRegValue{name, type, bytes});
}

void FakeSetRegString(os::RegRoot root, const std::wstring& key, const std::wstring& name,
                      const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text + L'\0') {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  FakeSetRegValue(root, key, name, os::kRegSz, bytes);
}

void FakeSetRegDword(os::RegRoot root, const std::wstring& key, const std::wstring& name,
                     std::uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(value >> shift));
  FakeSetRegValue(root, key, name, os::kRegDword, bytes);
}

namespace os {

namespace {

RegQuery QueryFakeKey(const FakeRegKey* key, const std::wstring& name, unsigned bufferBytes) {
  ++Fake().registryQueries;
  RegQuery query;
  if (key == nullptr || !key->readable) return query;
  for (const FakeRegValue& value : key->values) {
    if (!EqualsIgnoringAsciiCase(value.name, name)) continue;
    if (value.bytes.size() > bufferBytes) {
      query.outcome = RegQuery::TooLarge;
      return query;
    }
    query.outcome = RegQuery::Ok;
    query.type = value.type;
    query.bytes = value.bytes;
    return query;
  }
  return query;
}

}  // namespace

RegQuery QueryRegValue(RegRoot root, const std::wstring& subkey, const std::wstring& name,
                       unsigned bufferBytes) {
  return QueryFakeKey(FindRegKey(root, subkey), name, bufferBytes);
}

std::vector<RegQuery> QueryRegValues(RegRoot root, const std::wstring& subkey,
                                     const std::vector<std::wstring>& names, unsigned bufferBytes) {
  const FakeRegKey* key = FindRegKey(root, subkey);
  std::vector<RegQuery> queries;
  queries.reserve(names.size());
  for (const std::wstring& name : names) queries.push_back(QueryFakeKey(key, name, bufferBytes));
  return queries;
}

std::optional<std::wstring> RegEnumValueName(RegRoot root, const std::wstring& subkey,
                                             unsigned index) {
  const FakeRegKey* key = FindRegKey(root, subkey);
  if (key == nullptr || !key->readable || index >= key->values.size()) return std::nullopt;
  const std::wstring& name = key->values[index].name;
  if (name.size() >= 255) return std::nullopt;  // does not fit the name buffer
  return name;
}

namespace {

// The fake holds the 64-bit view, which is also the launcher's own. In the 32-bit
// view of 64-bit Windows, HKLM\Software\X is HKLM\Software\WOW6432Node\X. (Windows
// redirects a few more keys, which the launcher never reads in that view.)
std::wstring KeyInView(RegRoot root, const std::wstring& subkey, RegView view) {
  if (view != RegView::Bits32 || !Fake().windows64 || root != RegRoot::LocalMachine) return subkey;
  const std::wstring lowered = LowerAscii(subkey) + L'\\';
  if (!StartsWith(lowered, L"software\\") || StartsWith(lowered, L"software\\wow6432node\\"))
    return subkey;
  return L"Software\\WOW6432Node" + subkey.substr(8);
}

}  // namespace

RegData QueryRegData(RegRoot root, const std::wstring& subkey, const std::wstring& name,
                     RegView view) {
  RegData data;
  const FakeRegKey* key = FindRegKey(root, KeyInView(root, subkey, view));
  data.outcome = key == nullptr ? RegOutcome::Missing : RegOutcome::Failed;
  if (key == nullptr || !key->readable) return data;
  data.outcome = RegOutcome::Missing;
  for (const FakeRegValue& value : key->values) {
    if (!EqualsIgnoringAsciiCase(value.name, name)) continue;
    data.outcome = RegOutcome::Ok;
    data.type = value.type;
    data.bytes = value.bytes;
  }
  return data;
}

RegSubkeys ListRegSubkeys(RegRoot root, const std::wstring& subkey, RegView view) {
  RegSubkeys list;
  const std::wstring place = KeyInView(root, subkey, view);
  const FakeRegKey* key = FindRegKey(root, place);
  list.outcome = key == nullptr ? RegOutcome::Missing : RegOutcome::Failed;
  if (key == nullptr || !key->readable) return list;
  list.outcome = RegOutcome::Ok;
  const std::wstring parent = RegKeyPath(place);
  const std::wstring prefix = parent.empty() ? parent : parent + L'\\';
  for (auto it = Fake().registry.lower_bound({root, prefix}); it != Fake().registry.end(); ++it) {
    const auto& [itRoot, path] = it->first;
    if (itRoot != root || !StartsWith(path, prefix)) break;
    const std::wstring_view leaf = std::wstring_view(path).substr(prefix.size());
    if (!leaf.empty() && !Contains(leaf, L"\\")) list.names.push_back(it->second.name);
  }
  return list;
}

RegKeyCounts QueryRegKeyCounts(RegRoot root, const std::wstring& subkey) {
  RegKeyCounts counts;
  const FakeRegKey* key = FindRegKey(root, subkey);
  counts.outcome = key == nullptr ? RegOutcome::Missing : RegOutcome::Failed;
  if (key == nullptr || !key->readable) return counts;
  counts.outcome = RegOutcome::Ok;
  counts.values = static_cast<unsigned>(key->values.size());
  const std::wstring prefix = RegKeyPath(subkey) + L'\\';
  for (const auto& [place, entry] : Fake().registry)
    if (place.first == root && StartsWith(place.second, prefix) &&
        !Contains(std::wstring_view(place.second).substr(prefix.size()), L"\\"))
      ++counts.subkeys;
  return counts;
}

bool FlushRegKey(RegRoot root, const std::wstring& subkey) {
  auto& w = Fake();
  const std::wstring path = RegKeyPath(subkey);
  if (ChangeFails(L"FlushRegKey", path, false)) return false;
  if (!path.empty() && FindRegKey(root, subkey) == nullptr) return false;
  if (!w.registryOnDisk) return true;
  // The system writes the key's whole hive out; the fake takes only the key's own
  // tree and the keys above it for written, which promises less.
  const auto written = [&](const std::pair<RegRoot, std::wstring>& place) {
    return place.first == root &&
           (path.empty() || place.second.empty() || place.second == path ||
            StartsWith(place.second, path + L"\\") || StartsWith(path, place.second + L"\\"));
  };
  std::erase_if(*w.registryOnDisk, [&](const auto& entry) { return written(entry.first); });
  for (const auto& [place, key] : w.registry)
    if (written(place)) (*w.registryOnDisk)[place] = key;
  return true;
}

std::wstring ClipboardText() {
  ++Fake().clipboardReads;
  return Fake().clipboard;
}

}  // namespace os

// ---- requesters --------------------------------------------------------------------
// The ANSI code page conversions come from platform/portable/ansi_cp1252.cpp.

namespace {

std::optional<std::wstring> TakeRequestAnswer(FakeRequest request) {
  Fake().requests.push_back(std::move(request));
  if (Fake().requestAnswers.empty()) return std::nullopt;
  std::optional<std::wstring> answer = Fake().requestAnswers.front();
  Fake().requestAnswers.pop_front();
  return answer;
}

}  // namespace

namespace os {

std::optional<std::wstring> AskText(const std::wstring& title, const std::wstring& message,
                                    const std::wstring& initialText, bool masked) {
  return TakeRequestAnswer(FakeRequest{L"text", title, message, initialText, L"", masked});
}

std::optional<std::wstring> AskFile(const std::wstring& title, const std::wstring& filter,
                                    const std::wstring& initialPath) {
  return TakeRequestAnswer(FakeRequest{L"file", title, L"", initialPath, filter, false});
}

std::optional<std::wstring> AskFolder(const std::wstring& title,
                                      const std::wstring& initialFolder) {
  return TakeRequestAnswer(FakeRequest{L"dir", title, L"", initialFolder, L"", false});
}

}  // namespace os
