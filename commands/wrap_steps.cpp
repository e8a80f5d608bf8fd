#include "commands/wrap_steps.h"

#include <algorithm>

#include "commands/run_record.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "values/prepare_value.h"

namespace {

bool Present(const LauncherContext& ctx, bool folder, const std::wstring& path) {
  const std::int64_t state = os::FileState(ResolvePath(ctx, path));
  return folder ? state == -2 : state >= 0;
}

bool LocalExists(const LauncherContext& ctx, const WrapPlaces& p) {
  return Present(ctx, p.folder, p.local);
}

// Copies, never moves: the local data stays until the copy is known to be whole.
bool CopyAside(const LauncherContext& ctx, const WrapPlaces& p) {
  return p.folder ? CopyOrMoveDirContents(ctx, p.local, p.backup, L"", false, true, false)
                  : CopyOrMoveFile(ctx, p.local, p.backup, false, true, false);
}

void ClearLocal(const LauncherContext& ctx, const WrapPlaces& p) {
  if (!LocalExists(ctx, p)) return;
  if (p.folder)
    DeleteDir(ctx, p.local, L"");
  else
    DeleteFiles(ctx, p.local);
}

// A missing portable location brings nothing in; a folder is still created empty.
// True when the local place holds all of the portable data.
bool BringIn(const LauncherContext& ctx, const WrapPlaces& p) {
  if (p.folder)
    return CopyOrMoveDirContents(ctx, p.local, p.portable, L"", false, true, true) ||
           os::FileState(ResolveFolderTarget(ctx, p.portable)) != -2;
  return CopyOrMoveFile(ctx, p.local, p.portable, false, true, true) ||
         os::FileState(ResolveFileTarget(ctx, p.local, p.portable)) < 0;
}

// True when everything the local place holds is now in the portable location.
bool CarryBack(const LauncherContext& ctx, const WrapPlaces& p) {
  if (!LocalExists(ctx, p)) return true;
  return p.folder ? CopyOrMoveDirContents(ctx, p.local, p.portable, L"", false, true, false)
                  : CopyOrMoveFile(ctx, p.local, p.portable, false, true, false);
}

bool CopyBackupBack(const LauncherContext& ctx, const WrapPlaces& p) {
  return p.folder ? CopyOrMoveDirContents(ctx, p.local, p.backup, L"", false, true, true)
                  : CopyOrMoveFile(ctx, p.local, p.backup, false, true, true);
}

void RemoveBackup(const LauncherContext& ctx, const WrapPlaces& p) {
  if (!BackupExists(ctx, p)) return;
  if (p.folder)
    DeleteDir(ctx, p.backup, L"");
  else
    DeleteFiles(ctx, p.backup);
}

std::wstring PlaceIdentity(const LauncherContext& ctx, const std::wstring& local) {
  return LowerAscii(RemoveTrailingBackslashes(ResolvePath(ctx, local)));
}

// The item was met before in this start: left by an earlier run and not finished
// at recovery, or named twice.
void TakeOver(LauncherContext& ctx, size_t index, std::wstring_view value) {
  RunItem& item = ctx.runItems[index];
  if (item.owner != kEarlierRun) return;
  // Its local place holds the data of that run (or, at "spare" and "to clear",
  // nothing to carry back): nothing is set aside or brought in over it, and this
  // run's AFTER walk finishes it.
  item.owner = kThisRun;
  item.value = value;
  NoteItemStage(ctx, index, item.stage == kStageHeld ? kStageInUse : item.stage);
}

}  // namespace

std::optional<WrapPlaces> PlacesOf(std::wstring_view key, std::wstring_view value) {
  WrapPlaces p;
  std::wstring local;
  if (key == L"dir" || key == L"file") {
    p.carries = true;
    local = Field(value, 1);
    p.portable = Field(value, 2);
  } else if (key == L"(dir)" || key == L"(file)") {
    local = value;
  } else {
    return std::nullopt;
  }
  // No Windows path holds a control character. A line break would also split the
  // item's line in the run record, and a later start would take the text before
  // the break for the item and act on that place instead.
  if (std::any_of(value.begin(), value.end(), [](wchar_t c) { return c < 0x20; }))
    return std::nullopt;
  p.folder = key == L"dir" || key == L"(dir)";
  // "C:\Data\App\" is backed up as C:\Data\App_backup, never inside itself.
  p.local = RemoveTrailingBackslashes(TrimSpaces(local));
  if (p.local.empty()) return std::nullopt;
  p.backup = p.local + L"_backup";
  return p;
}

bool BackupExists(const LauncherContext& ctx, const WrapPlaces& places) {
  return Present(ctx, places.folder, places.backup);
}

int FindRunItem(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value) {
  const auto places = PlacesOf(key, value);
  if (!places) return -1;
  const std::wstring identity = PlaceIdentity(ctx, places->local);
  for (size_t i = 0; i < ctx.runItems.size(); ++i) {
    const auto other = PlacesOf(ctx.runItems[i].key, ctx.runItems[i].value);
    if (other && PlaceIdentity(ctx, other->local) == identity) return static_cast<int>(i);
  }
  return -1;
}

void SetUpItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value) {
  const auto places = PlacesOf(key, value);
  if (!places) return;
  if (const int found = FindRunItem(ctx, key, value); found >= 0) {
    TakeOver(ctx, static_cast<size_t>(found), value);
    return;
  }
  // An existing backup name holds what an unfinished run set aside, and the local
  // place that run's data: neither is written over.
  if (BackupExists(ctx, *places)) {
    NoteItemBegun(ctx, kStageInUse, key, value);
    return;
  }
  size_t index = 0;
  if (LocalExists(ctx, *places)) {
    index = NoteItemBegun(ctx, kStageSpare, key, value);
    // Part of the data could not be copied (a file held open elsewhere), or the
    // record cannot say that the copy is whole: the machine's data stays as it is
    // and this run does not wrap the item.
    if (!CopyAside(ctx, *places) || !NoteItemStage(ctx, index, kStageToClear)) {
      FinishRunItem(ctx, index);
      return;
    }
    ClearLocal(ctx, *places);
    if (LocalExists(ctx, *places)) {
      // Something in the local place could not be removed: what is left is the
      // machine's own data, so the backup goes back over it whole rather than the
      // portable data being mixed into it.
      if (CopyBackupBack(ctx, *places) && NoteItemStage(ctx, index, kStageSpare))
        FinishRunItem(ctx, index);
      return;
    }
  } else {
    index = NoteItemBegun(ctx, kStageToClear, key, value);
  }
  // The application works on the portable data only when all of it came in and the
  // record says so: a carry-back would otherwise write what the application made
  // of a part over the whole, or a later start would clear the application's work.
  // Failing that, the machine's data goes back and this run does not wrap the item.
  if ((places->carries && !BringIn(ctx, *places)) || !NoteItemStage(ctx, index, kStageInUse))
    FinishRunItem(ctx, index);
}

void PutBackItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value) {
  if (!PlacesOf(key, value)) return;
  int found = FindRunItem(ctx, key, value);
  // Not begun in this run (the key stands in AFTER only): its AFTER half alone.
  if (found < 0) found = static_cast<int>(NoteItemBegun(ctx, kStageInUse, key, value));
  const RunItem& item = ctx.runItems[static_cast<size_t>(found)];
  if (item.owner == kOtherLauncher || item.stage == kStageDone) return;
  FinishRunItem(ctx, static_cast<size_t>(found));
}

void FinishRunItem(LauncherContext& ctx, size_t index) {
  const RunItem item = ctx.runItems[index];
  const auto places = PlacesOf(item.key, item.value);
  if (!places) {
    NoteItemStage(ctx, index, kStageDone);
    return;
  }
  // Each step that removes data runs only once the record says that the data is
  // safe elsewhere; otherwise the item waits at its stage for the next start.
  std::wstring_view stage = item.stage;
  if (stage == kStageInUse || stage == kStageHeld) {
    // Nothing is removed unless the carry-back copied everything.
    if (places->carries && !CarryBack(ctx, *places)) return;
    if (!NoteItemStage(ctx, index, kStageToClear)) return;
    stage = kStageToClear;
  }
  if (stage == kStageToClear) {
    ClearLocal(ctx, *places);
    // What could not be removed is the application's, not the machine's: never
    // mixed into the machine's data, cleared again at the next start.
    if (LocalExists(ctx, *places)) return;
    if (!BackupExists(ctx, *places)) {
      NoteItemStage(ctx, index, kStageDone);
      return;
    }
    // The backup goes only once the local place holds all of it again.
    if (!CopyBackupBack(ctx, *places) || !NoteItemStage(ctx, index, kStageSpare)) return;
    stage = kStageSpare;
  }
  if (stage == kStageSpare) {
    RemoveBackup(ctx, *places);
    if (BackupExists(ctx, *places)) return;
    NoteItemStage(ctx, index, kStageDone);
  }
}
