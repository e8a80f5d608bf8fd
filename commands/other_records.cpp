#include "commands/other_records.h"

#include <algorithm>

#include "commands/record_file.h"
#include "commands/run_record.h"
#include "commands/wrap_steps.h"
#include "fileops/atomic_write.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace {

constexpr std::wstring_view kNoteKind = L"voQ newer data 1";
constexpr std::wstring_view kNoteComment =
    L"voQ: a later run wrote newer settings into these places; the run beside keeps its own "
    L"beside them.";
constexpr std::wstring_view kPlace = L"place ";
constexpr std::wstring_view kEveryPlace = L"*";

bool Has(const std::vector<std::wstring>& list, const std::wstring& text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

// A file another process may be writing is still read; nullopt when it cannot be.
std::optional<std::string> ReadBytes(const std::wstring& path) {
  const os::FileRef file = os::OpenExistingFile(path, os::OpenMode::ReadShareReadWrite);
  if (file == 0) return std::nullopt;
  std::string bytes;
  const bool read = os::ReadWholeFile(file, bytes);
  os::CloseFile(file);
  if (!read) return std::nullopt;
  return bytes;
}

}  // namespace

std::wstring NewerNotePath(const std::wstring& recordPath) { return recordPath + L".newer"; }

std::vector<std::wstring> PlacesNewerElsewhere(const std::wstring& recordPath) {
  const std::wstring path = NewerNotePath(recordPath);
  if (os::FileState(path) == -1) return {};
  const auto bytes = ReadBytes(path);
  const auto lines = bytes ? ReadFramed(*bytes, kNoteKind) : std::nullopt;
  if (!lines) return {std::wstring(kEveryPlace)};
  std::vector<std::wstring> places;
  for (const std::wstring& line : *lines) {
    if (!StartsWith(line, kPlace)) return {std::wstring(kEveryPlace)};
    places.push_back(line.substr(kPlace.size()));
  }
  return places;
}

void ReadOtherRecords(LauncherContext& ctx) {
  ctx.otherRecords.clear();
  const auto entries = os::ListFolder(ctx.launcherFolder, L"*.running");
  if (!entries) return;
  const std::wstring own = LowerAscii(RunRecordPath(ctx));
  for (const os::DirEntry& entry : *entries) {
    const std::wstring path = ctx.launcherFolder + entry.name;
    if (entry.isFolder || LowerAscii(path) == own) continue;
    const auto bytes = ReadBytes(path);
    // A record that cannot be read whole is no one's record of anything: its own
    // run will not finish it either.
    const auto record = bytes ? ParseRunRecord(ctx, *bytes) : std::nullopt;
    if (!record) continue;
    OtherRecord other{path, {}, PlacesNewerElsewhere(path)};
    for (const RunItem& item : record->items) {
      if (item.stage != kStageInUse && item.stage != kStageHeld) continue;
      const std::wstring key = PortableKeyOf(ctx, item.key, item.value);
      if (!key.empty() && !Has(other.pending, key)) other.pending.push_back(key);
    }
    if (!other.pending.empty()) ctx.otherRecords.push_back(std::move(other));
  }
}

bool TellOthersOfNewerData(LauncherContext& ctx, const std::wstring& portableKey) {
  for (OtherRecord& other : ctx.otherRecords) {
    if (!Has(other.pending, portableKey) || Has(other.told, portableKey) ||
        Has(other.told, std::wstring(kEveryPlace)))
      continue;
    other.told.push_back(portableKey);
    std::vector<std::wstring> lines;
    for (const std::wstring& place : other.told) lines.push_back(std::wstring(kPlace) + place);
    if (!WriteFileAtomically(NewerNotePath(other.path),
                             FramedText(kNoteComment, kNoteKind, lines))) {
      other.told.pop_back();
      return false;
    }
  }
  return true;
}
