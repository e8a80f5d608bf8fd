#include "commands/run_record.h"

#include <algorithm>

#include "commands/wrap_steps.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "values/user_vars.h"

namespace {

constexpr std::wstring_view kSeparator = L" :: ";
constexpr std::wstring_view kNote =
    L"; voQ: items of a run in progress. The next start finishes them; keep this file.";

bool Recordable(const RunItem& item) {
  return item.owner != kOtherLauncher && item.stage != kStageDone;
}

bool KnownStage(std::wstring_view stage) {
  return stage == kStageSpare || stage == kStageToClear || stage == kStagePuttingBack ||
         stage == kStageInUse || stage == kStageHeld;
}

}  // namespace

std::string RunRecordText(const std::vector<RunItem>& items) {
  std::wstring text = std::wstring(kNote) + L"\r\n";
  for (const RunItem& item : items)
    if (Recordable(item))
      text += item.stage + std::wstring(kSeparator) + item.key + std::wstring(kSeparator) +
              item.value + L"\r\n";
  return Utf8FromWide(text);
}

std::vector<RunItem> ParseRunRecord(const LauncherContext& ctx, const std::string& bytes,
                                    int owner) {
  std::vector<RunItem> items;
  const std::wstring text = WideFromUtf8(bytes);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const size_t stageEnd = line.find(kSeparator);
    if (stageEnd == std::wstring::npos) continue;
    const size_t keyStart = stageEnd + kSeparator.size();
    const size_t keyEnd = line.find(kSeparator, keyStart);
    if (keyEnd == std::wstring::npos) continue;
    RunItem item{line.substr(0, stageEnd), line.substr(keyStart, keyEnd - keyStart),
                 line.substr(keyEnd + kSeparator.size()), owner};
    if (KnownStage(item.stage) && IsRecordableItem(ctx, item.key, item.value))
      items.push_back(item);
  }
  return items;
}

namespace {

// True when the record on the disk now lists the items as they are in memory, or
// when no record can be kept at all (backup names are the trace then). False when
// the record kept so far could not be brought up to date: it still tells the
// stages written last.
bool WriteRecord(LauncherContext& ctx) {
  if (ctx.runRecordFile != 0)
    return os::RewriteFile(ctx.runRecordFile, RunRecordText(ctx.runItems));
  if (std::none_of(ctx.runItems.begin(), ctx.runItems.end(), Recordable)) return true;
  // A record that exists but is not ours belongs to a running launcher (or lies in
  // a read-only folder): it is never written over.
  const std::wstring path = RunRecordPath(ctx);
  if (os::FileState(path) != -1) return true;
  if (!os::WriteNewFile(path, RunRecordText(ctx.runItems))) return true;
  ctx.runRecordFile = os::OpenExistingFile(path, os::OpenMode::ReadWriteShareRead);
  return true;
}

// Items of this configuration whose backup name exists but that the record does
// not list: a run that could keep no record, or whose record was lost.
void NoteLeftBackups(LauncherContext& ctx) {
  for (const CommandEntry& entry : ctx.commands) {
    if (entry.label != L"BEFORE") continue;
    const std::wstring value = SubstituteUserVars(ctx, entry.value);
    if (FindRunItem(ctx, entry.key, value) >= 0) continue;
    if (ItemBackupExists(ctx, entry.key, value))
      ctx.runItems.push_back(RunItem{std::wstring(kStageInUse), entry.key, value, kEarlierRun});
  }
}

}  // namespace

std::wstring RunRecordPath(const LauncherContext& ctx) {
  return ctx.launcherFolder + ctx.launcherName + L".running";
}

void RecoverUnfinishedRun(LauncherContext& ctx) {
  ctx.runItems.clear();
  // A further instance runs beside the first one, whose items are in place.
  if (ctx.additionalInstance != 0) return;
  const std::wstring path = RunRecordPath(ctx);
  if (os::FileState(path) >= 0) {
    const os::FileRef file = os::OpenExistingFile(path, os::OpenMode::ReadWriteShareRead);
    std::string bytes;
    if (file == 0) {
      // Held by a launcher that runs now: its items are left to it entirely.
      const os::FileRef reading = os::OpenExistingFile(path, os::OpenMode::ReadShareReadWrite);
      if (reading != 0 && os::ReadWholeFile(reading, bytes))
        ctx.runItems = ParseRunRecord(ctx, bytes, kOtherLauncher);
      if (reading != 0) os::CloseFile(reading);
      return;
    }
    ctx.runRecordFile = file;
    if (os::ReadWholeFile(file, bytes)) ctx.runItems = ParseRunRecord(ctx, bytes, kEarlierRun);
  }
  NoteLeftBackups(ctx);
  for (size_t i = 0; i < ctx.runItems.size(); ++i)
    if (ctx.runItems[i].stage != kStageHeld) FinishRunItem(ctx, i);
  std::erase_if(ctx.runItems, [](const RunItem& item) { return item.stage == kStageDone; });
  WriteRecord(ctx);
}

size_t NoteItemBegun(LauncherContext& ctx, std::wstring_view stage, std::wstring_view key,
                     std::wstring_view value) {
  ctx.runItems.push_back(
      RunItem{std::wstring(stage), std::wstring(key), std::wstring(value), kThisRun});
  WriteRecord(ctx);
  return ctx.runItems.size() - 1;
}

bool NoteItemStage(LauncherContext& ctx, size_t index, std::wstring_view stage) {
  std::wstring before = std::move(ctx.runItems[index].stage);
  ctx.runItems[index].stage = stage;
  if (WriteRecord(ctx)) return true;
  ctx.runItems[index].stage = std::move(before);
  return false;
}

void EndRunRecord(LauncherContext& ctx) {
  if (ctx.runRecordFile == 0) return;
  const bool unfinished = std::any_of(ctx.runItems.begin(), ctx.runItems.end(), Recordable);
  if (unfinished) os::RewriteFile(ctx.runRecordFile, RunRecordText(ctx.runItems));
  os::CloseFile(ctx.runRecordFile);
  ctx.runRecordFile = 0;
  if (!unfinished) os::DeleteOneFile(RunRecordPath(ctx));
}

void DetachRunRecord(LauncherContext& ctx) {
  if (ctx.runRecordFile == 0) return;
  if (ctx.phase == L"BEFORE")
    for (RunItem& item : ctx.runItems)
      if (item.owner == kThisRun && item.stage == kStageInUse) item.stage = kStageHeld;
  WriteRecord(ctx);
}
