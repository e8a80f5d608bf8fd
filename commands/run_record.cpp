#include "commands/run_record.h"

#include <algorithm>

#include "commands/other_records.h"
#include "commands/place_locks.h"
#include "commands/record_file.h"
#include "commands/wrap_steps.h"
#include "fileops/atomic_write.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace {

constexpr std::wstring_view kKind = L"voQ run record 1";
constexpr std::wstring_view kComment =
    L"voQ: a run in progress on this PC and account. The next start here finishes it; keep "
    L"this file.";
constexpr std::wstring_view kSeparator = L" :: ";
constexpr std::wstring_view kItem = L"item ";

bool Pending(const RunItem& item) { return item.stage != kStageDone; }

bool KnownStage(std::wstring_view stage) {
  return stage == kStageSpare || stage == kStageToClear || stage == kStagePuttingBack ||
         stage == kStageInUse || stage == kStageHeld || stage == kStageOutdated;
}

bool IsStamp(std::wstring_view text) {
  return text.size() == 14 &&
         std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

std::wstring TwoDigits(int value) {
  return {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10)};
}

std::vector<std::wstring> SplitFields(std::wstring_view text) {
  std::vector<std::wstring> fields;
  for (;;) {
    const size_t cut = text.find(kSeparator);
    fields.emplace_back(text.substr(0, cut));
    if (cut == std::wstring_view::npos) return fields;
    text.remove_prefix(cut + kSeparator.size());
  }
}

// A path inside the launcher folder, relative to it, when that reads back as the
// same path (a rest holding ":\\" reads as a path of its own, and blanks around a
// relative path are dropped); any other text as it is. The launcher folder itself
// stays whole, however written: a blank field means another place.
std::wstring RecordedText(const LauncherContext& ctx, const std::wstring& text) {
  const std::wstring& folder = ctx.launcherFolder;
  if (folder.empty() || text.size() <= folder.size() ||
      !EqualsIgnoringAsciiCase(std::wstring_view(text).substr(0, folder.size()), folder))
    return text;
  std::wstring rest = text.substr(folder.size());
  std::wstring_view named = rest;
  while (!named.empty() && named.front() == L' ') named.remove_prefix(1);
  while (!named.empty() && (named.back() == L' ' || named.back() == L'\\')) named.remove_suffix(1);
  // Items read a place with its blanks and closing backslashes dropped too.
  const auto same = [&ctx](const std::wstring& a, const std::wstring& b) {
    return EqualsIgnoringAsciiCase(ResolvePath(ctx, a), ResolvePath(ctx, b));
  };
  if (named.empty() || !same(rest, text) ||
      !same(RemoveTrailingBackslashes(TrimSpaces(rest)),
            RemoveTrailingBackslashes(TrimSpaces(text))))
    return text;
  return rest;
}

// The value with its fields inside the launcher folder made relative, unless the
// item then reads as another place: a backup item takes its whole value for one
// path, and "C:\P\r :: :\x" written as "r :: :\x" would read as it stands.
std::wstring RecordedValue(const LauncherContext& ctx, std::wstring_view key,
                           const std::wstring& value) {
  std::wstring recorded;
  const std::vector<std::wstring> fields = SplitFields(value);
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) recorded += kSeparator;
    recorded += RecordedText(ctx, fields[i]);
  }
  if (recorded != value && (ItemIdentity(ctx, key, recorded) != ItemIdentity(ctx, key, value) ||
                            PortableKeyOf(ctx, key, recorded) != PortableKeyOf(ctx, key, value)))
    return value;
  return recorded;
}

// The item of a line, and its place (its ItemIdentity).
std::optional<RunItem> ParseItemLine(const LauncherContext& ctx, std::wstring_view line,
                                     std::wstring& place) {
  if (!StartsWith(line, kItem)) return std::nullopt;
  line.remove_prefix(kItem.size());
  std::wstring_view parts[3];
  for (std::wstring_view& part : parts) {
    const size_t cut = line.find(kSeparator);
    if (cut == std::wstring_view::npos) return std::nullopt;
    part = line.substr(0, cut);
    line.remove_prefix(cut + kSeparator.size());
  }
  RunItem item{std::wstring(parts[0]), std::wstring(parts[1]), std::wstring(parts[2]),
               std::wstring(line), kEarlierRun};
  if (!KnownStage(item.stage) || !IsStamp(item.since)) return std::nullopt;
  auto identity = RecordableIdentity(ctx, item.key, item.value);
  if (!identity) return std::nullopt;
  place = std::move(*identity);
  return item;
}

// The line after its label, or nullopt when the line has another label.
std::optional<std::wstring> Labelled(const std::wstring& line, std::wstring_view label) {
  if (!StartsWith(line, label) || line.size() <= label.size() || line[label.size()] != L' ')
    return std::nullopt;
  return line.substr(label.size() + 1);
}

}  // namespace

std::string RunRecordText(const LauncherContext& ctx, const RunRecord& record) {
  std::vector<std::wstring> lines{
      L"machine " + record.runner.machine,   L"account " + record.runner.account,
      L"computer " + record.runner.computer, L"user " + record.runner.user,
      L"launcher " + record.launcher,
  };
  lines.reserve(lines.size() + record.items.size());
  for (const RunItem& item : record.items) {
    if (!Pending(item)) continue;
    const std::wstring value = RecordedValue(ctx, item.key, item.value);
    std::wstring& line = lines.emplace_back();
    line.reserve(kItem.size() + item.stage.size() + item.since.size() + item.key.size() +
                 3 * kSeparator.size() + value.size());
    line += kItem;
    for (const std::wstring* field : {&item.stage, &item.since, &item.key}) {
      line += *field;
      line += kSeparator;
    }
    line += value;
  }
  return FramedText(kComment, kKind, lines);
}

std::optional<RunRecord> ParseRunRecord(const LauncherContext& ctx, const std::string& bytes) {
  const auto lines = ReadFramed(bytes, kKind);
  if (!lines || lines->size() < 5) return std::nullopt;
  RunRecord record;
  std::wstring* const heads[] = {&record.runner.machine, &record.runner.account,
                                 &record.runner.computer, &record.runner.user, &record.launcher};
  constexpr std::wstring_view kLabels[] = {L"machine", L"account", L"computer", L"user",
                                           L"launcher"};
  for (size_t i = 0; i < 5; ++i) {
    const auto text = Labelled((*lines)[i], kLabels[i]);
    if (!text) return std::nullopt;
    *heads[i] = *text;
  }
  std::vector<std::wstring> places;
  for (size_t i = 5; i < lines->size(); ++i) {
    std::wstring place;
    auto item = ParseItemLine(ctx, (*lines)[i], place);
    if (!item) return std::nullopt;
    // Two lines for one place would have it finished twice.
    if (std::find(places.begin(), places.end(), place) != places.end()) return std::nullopt;
    places.push_back(place);
    record.items.push_back(std::move(*item));
  }
  return record;
}

std::wstring PortableKey(const LauncherContext& ctx, const std::wstring& path) {
  const std::wstring place = PathIdentity(ctx, path);
  const std::wstring folder = PathIdentity(ctx, ctx.launcherFolder) + L"\\";
  return StartsWith(place, folder) ? place.substr(folder.size()) : place;
}

void IdentifyRunner(LauncherContext& ctx) {
  const os::RunnerNames names = os::QueryRunner();
  // Without the system's numbers, the names must do: weaker, as a cloned system
  // shares them, but a record is still never acted on by an account of another name.
  ctx.runner.machine =
      names.machineGuid.empty() ? L"name:" + names.computerName : names.machineGuid;
  ctx.runner.account = names.userSid.empty() ? L"name:" + names.userName : names.userSid;
  ctx.runner.computer = names.computerName;
  ctx.runner.user = names.userName;
  const os::LocalTime now = os::LocalClock();
  ctx.runStarted = DecimalText(static_cast<std::uint64_t>(now.year % 10000));
  ctx.runStarted.insert(0, 4 - std::min<size_t>(4, ctx.runStarted.size()), L'0');
  for (const int part : {now.month, now.day, now.hour, now.minute, now.second})
    ctx.runStarted += TwoDigits(part);
}

std::wstring RunRecordPath(const LauncherContext& ctx) {
  const std::string who = Utf8FromWide(ctx.runner.machine + L"\n" + ctx.runner.account);
  return ctx.launcherFolder + ctx.launcherName + L"." + HexDigits(Fnv1a64(who), 8) + L".running";
}

namespace {

std::wstring LauncherFileName(const LauncherContext& ctx) {
  return ctx.launcherPath.substr(ctx.launcherFolder.size());
}

// Where the text goes that a run could not put in place of its record. (Not the
// note of other runs, NewerNotePath.)
std::wstring UnplacedTextPath(const std::wstring& path) { return path + L".unplaced"; }

// Writes what is pending, or removes the record when nothing is. True when the
// disk says what memory does.
bool WriteRecord(LauncherContext& ctx) {
  if (ctx.runRecordUsable == 0) return false;
  const std::wstring path = RunRecordPath(ctx);
  bool written;
  if (std::none_of(ctx.runItems.begin(), ctx.runItems.end(), Pending)) {
    // A new file left by a write that was cut short goes with the record.
    const std::wstring temp = AtomicWriteTempName(path);
    if (os::FileState(temp) != os::kStateMissing) os::DeleteOneFile(temp);
    written = os::FileState(path) == os::kStateMissing || os::DeleteOneFile(path);
  } else {
    written = WriteFileAtomically(
        path, RunRecordText(ctx, RunRecord{ctx.runner, LauncherFileName(ctx), ctx.runItems}));
  }
  const std::wstring unplaced = UnplacedTextPath(path);
  return written && (os::FileState(unplaced) == os::kStateMissing || os::DeleteOneFile(unplaced));
}

// After a write that failed, with memory as the run now stands. A record that
// cannot be replaced or removed (another program holds it open) would have the
// next start finish its items again from an older stage, clearing what the
// application wrote since: the run's newest text waits beside it, whole, and the
// next start takes that one first.
void KeepUnplacedText(LauncherContext& ctx) {
  if (ctx.runRecordUsable == 0) return;
  const std::wstring path = RunRecordPath(ctx);
  if (os::FileState(path) == os::kStateMissing) return;
  WriteFileAtomically(
      UnplacedTextPath(path),
      RunRecordText(ctx, RunRecord{ctx.runner, LauncherFileName(ctx), ctx.runItems}));
}

// The newest text of a run whose record could not be replaced: put in place of the
// record now, or nothing of the record may be used.
bool TakeNewerText(const std::wstring& path) {
  const std::wstring unplaced = UnplacedTextPath(path);
  return os::FileState(unplaced) == os::kStateMissing || os::ReplaceFileWith(unplaced, path);
}

// The record this machine and account left here, if any, into ctx.runItems. False
// when there is one that cannot be used: it cannot be read now, it is not ours
// (its own launcher, machine and account will finish it), or a damaged one could
// not be set aside. A damaged record finishes nothing.
bool ReadOwnRecord(LauncherContext& ctx, const std::wstring& path) {
  if (!TakeNewerText(path)) return false;
  if (os::FileState(path) == -1) return true;
  const os::FileRef file = os::OpenExistingFile(path, os::OpenMode::ReadShareRead);
  std::string bytes;
  const bool read = file != 0 && os::ReadWholeFile(file, bytes);
  if (file != 0) os::CloseFile(file);
  if (!read) return false;
  const auto record = ParseRunRecord(ctx, bytes);
  if (!record) {
    std::wstring aside = path + L".damaged";
    for (int n = 2; os::FileState(aside) != -1; ++n)
      aside = path + L".damaged-" + DecimalText(static_cast<std::uint64_t>(n));
    return os::MoveFileOrFolder(path, aside);
  }
  if (record->runner.machine != ctx.runner.machine ||
      record->runner.account != ctx.runner.account ||
      !EqualsIgnoringAsciiCase(record->launcher, LauncherFileName(ctx)))
    return false;
  ctx.runItems = record->items;
  return true;
}

// Items whose portable place a later run elsewhere has written since: their local
// data goes beside the newer data, never over it. False when the record cannot say
// so (then nothing of it may be finished).
bool NoteOutdatedItems(LauncherContext& ctx, const std::wstring& path) {
  const std::vector<std::wstring> newer = PlacesNewerElsewhere(path);
  if (newer.empty()) return true;
  const bool every = newer.front() == L"*";
  for (RunItem& item : ctx.runItems) {
    if (item.stage != kStageInUse && item.stage != kStageHeld) continue;
    const std::wstring key = PortableKeyOf(ctx, item.key, item.value);
    if (key.empty() || (!every && std::find(newer.begin(), newer.end(), key) == newer.end()))
      continue;
    if (auto aside = OutdatedValueOf(ctx, item)) {
      item.value = std::move(*aside);
      item.stage = kStageOutdated;
    }
  }
  if (!WriteRecord(ctx)) return false;
  os::DeleteOneFile(NewerNotePath(path));
  return true;
}

}  // namespace

void RecoverUnfinishedRun(LauncherContext& ctx) {
  ctx.runItems.clear();
  ctx.otherRecords.clear();
  ctx.runRecordUsable = 0;
  // A further instance runs beside the first one, whose items are in place.
  if (ctx.additionalInstance != 0) return;
  IdentifyRunner(ctx);
  const std::wstring path = RunRecordPath(ctx);
  // One process at a time keeps a record: a second launcher of the same name in
  // the same folder (several instances allowed) keeps none, and sets nothing up.
  if (!HoldPlace(ctx, L"record " + LowerAscii(path)) || !ReadOwnRecord(ctx, path)) {
    ctx.runItems.clear();
    return;
  }
  ctx.runRecordUsable = 1;
  ReadOtherRecords(ctx);
  if (!NoteOutdatedItems(ctx, path)) {
    ctx.runRecordUsable = 0;
    ctx.runItems.clear();
    return;
  }
  // Last begun, first finished, as the AFTER walk does: an item inside another is
  // back in place before the one around it is carried back and put back.
  for (size_t i = ctx.runItems.size(); i-- > 0;)
    if (ctx.runItems[i].stage != kStageHeld && HoldItemPlace(ctx, ctx.runItems[i]))
      FinishRunItem(ctx, i);
  std::erase_if(ctx.runItems, [](const RunItem& item) { return item.stage == kStageDone; });
  if (!WriteRecord(ctx)) KeepUnplacedText(ctx);
}

std::optional<size_t> NoteItemBegun(LauncherContext& ctx, std::wstring_view stage,
                                    std::wstring_view key, std::wstring_view value) {
  ctx.runItems.push_back(RunItem{std::wstring(stage), ctx.runStarted, std::wstring(key),
                                 std::wstring(value), kThisRun});
  if (WriteRecord(ctx)) return ctx.runItems.size() - 1;
  ctx.runItems.pop_back();
  KeepUnplacedText(ctx);
  return std::nullopt;
}

bool NoteItemStage(LauncherContext& ctx, size_t index, std::wstring_view stage) {
  std::wstring before = std::move(ctx.runItems[index].stage);
  ctx.runItems[index].stage = stage;
  if (WriteRecord(ctx)) return true;
  // A step taken stays taken: only a stage that comes before its step waits for
  // the record.
  if (stage != kStageDone) ctx.runItems[index].stage = std::move(before);
  KeepUnplacedText(ctx);
  return false;
}

void EndRunRecord(LauncherContext& ctx) {
  if (ctx.runRecordUsable != 0 && !WriteRecord(ctx)) KeepUnplacedText(ctx);
}

void DetachRunRecord(LauncherContext& ctx) {
  if (ctx.runRecordUsable == 0) return;
  if (ctx.phase == L"BEFORE")
    for (RunItem& item : ctx.runItems)
      if (item.owner == kThisRun && item.stage == kStageInUse) item.stage = kStageHeld;
  if (!WriteRecord(ctx)) KeepUnplacedText(ctx);
}
