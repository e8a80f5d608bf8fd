#include "commands/wrap_steps.h"

#include <algorithm>
#include <optional>

#include "commands/item_kinds.h"
#include "commands/run_record.h"

namespace {

struct Item {
  const ItemKind* kind;
  ItemPlaces places;
};

std::optional<Item> ItemOf(const LauncherContext& ctx, std::wstring_view key,
                           std::wstring_view value) {
  const ItemKind* kind = FindItemKind(key);
  if (kind == nullptr) return std::nullopt;
  // No place a run sets aside has a control character in its name. A line break
  // would also split the item's line in the run record, and a later start would
  // take the text before the break for the item and act on that place instead.
  if (std::any_of(value.begin(), value.end(), [](wchar_t c) { return c < 0x20; }))
    return std::nullopt;
  auto places = kind->placesOf(ctx, value);
  if (!places) return std::nullopt;
  return Item{kind, std::move(*places)};
}

bool LocalExists(const LauncherContext& ctx, const Item& item) {
  return item.kind->exists(ctx, item.places.local);
}

bool BackupExists(const LauncherContext& ctx, const Item& item) {
  return item.kind->exists(ctx, item.places.backup);
}

bool Rename(const LauncherContext& ctx, const Item& item, const std::wstring& from,
            const std::wstring& to) {
  return item.kind->rename != nullptr && item.kind->rename(ctx, from, to);
}

// The item was met before in this start: left by an earlier run and not finished
// at recovery, or named twice.
void TakeOver(LauncherContext& ctx, size_t index, std::wstring_view value) {
  RunItem& recorded = ctx.runItems[index];
  if (recorded.owner != kEarlierRun) return;
  // Its local place holds the data of that run (or, at the other stages, nothing
  // to carry back): nothing is set aside or brought in over it, and this run's
  // AFTER walk finishes it.
  recorded.owner = kThisRun;
  recorded.value = value;
  NoteItemStage(ctx, index, recorded.stage == kStageHeld ? kStageInUse : recorded.stage);
}

// The local place could not be cleared after the machine's data was copied aside:
// what is left there is part of that same data, so the whole copy goes back over it
// rather than mixing the portable data in.
void RestoreAtOnce(LauncherContext& ctx, size_t index, const Item& item) {
  if (item.kind->copy(ctx, item.places.backup, item.places.local) &&
      NoteItemStage(ctx, index, kStageSpare))
    FinishRunItem(ctx, index);
}

}  // namespace

int FindRunItem(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value) {
  const auto item = ItemOf(ctx, key, value);
  if (!item) return -1;
  const std::wstring identity = item->kind->identity(ctx, item->places.local);
  for (size_t i = 0; i < ctx.runItems.size(); ++i) {
    const auto other = ItemOf(ctx, ctx.runItems[i].key, ctx.runItems[i].value);
    if (other && other->kind->identity == item->kind->identity &&
        other->kind->identity(ctx, other->places.local) == identity)
      return static_cast<int>(i);
  }
  return -1;
}

bool ItemBackupExists(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value) {
  const auto item = ItemOf(ctx, key, value);
  return item && BackupExists(ctx, *item);
}

bool IsRecordableItem(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value) {
  return ItemOf(ctx, key, value).has_value();
}

void SetUpItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value) {
  const auto item = ItemOf(ctx, key, value);
  if (!item) return;
  if (const int found = FindRunItem(ctx, key, value); found >= 0) {
    TakeOver(ctx, static_cast<size_t>(found), value);
    return;
  }
  const ItemPlaces& p = item->places;
  // An existing backup name holds what an unfinished run set aside, and the local
  // place that run's data: neither is written over.
  if (BackupExists(ctx, *item)) {
    NoteItemBegun(ctx, kStageInUse, key, value);
    return;
  }
  size_t index = 0;
  if (LocalExists(ctx, *item)) {
    index = NoteItemBegun(ctx, kStageSpare, key, value);
    // A rename sets everything aside in one step. Otherwise the data is copied and
    // the local place cleared only once the copy is known to be whole.
    if (!Rename(ctx, *item, p.local, p.backup)) {
      // Part of the data could not be copied (a file held open elsewhere), or the
      // record cannot say that the copy is whole: the machine's data stays as it
      // is and this run does not wrap the item.
      if (!item->kind->copy(ctx, p.local, p.backup) || !NoteItemStage(ctx, index, kStageToClear)) {
        FinishRunItem(ctx, index);
        return;
      }
      if (!item->kind->remove(ctx, p.local)) {
        RestoreAtOnce(ctx, index, *item);
        return;
      }
    } else if (!NoteItemStage(ctx, index, kStageToClear)) {
      // Renamed, but the record still calls the backup a spare copy: it goes back
      // before anything else comes to the local place.
      FinishRunItem(ctx, index);
      return;
    }
  } else {
    index = NoteItemBegun(ctx, kStageToClear, key, value);
  }
  // The application works on the item only when all of it is in place and the
  // record says so: a carry-back would otherwise write what the application made
  // of a part over the whole, or a later start would clear the application's work.
  // Failing that, the machine's data goes back before the run.
  if ((item->kind->bringIn != nullptr && !item->kind->bringIn(ctx, p)) ||
      !NoteItemStage(ctx, index, kStageInUse))
    FinishRunItem(ctx, index);
}

void PutBackItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value) {
  if (!ItemOf(ctx, key, value)) return;
  int found = FindRunItem(ctx, key, value);
  // Not begun in this run (the key stands in AFTER only): its AFTER half alone.
  if (found < 0) found = static_cast<int>(NoteItemBegun(ctx, kStageInUse, key, value));
  const RunItem& recorded = ctx.runItems[static_cast<size_t>(found)];
  if (recorded.owner == kOtherLauncher || recorded.stage == kStageDone) return;
  FinishRunItem(ctx, static_cast<size_t>(found));
}

void FinishRunItem(LauncherContext& ctx, size_t index) {
  const RunItem recorded = ctx.runItems[index];
  const auto item = ItemOf(ctx, recorded.key, recorded.value);
  if (!item) {
    NoteItemStage(ctx, index, kStageDone);
    return;
  }
  const ItemPlaces& p = item->places;
  std::wstring_view stage = recorded.stage;
  if (stage == kStageInUse || stage == kStageHeld) {
    // Nothing is removed unless the carry-back took everything.
    if (item->kind->carryBack != nullptr && LocalExists(ctx, *item) &&
        !item->kind->carryBack(ctx, p))
      return;
    stage = kStageToClear;
    // Each step that removes data runs only once the record says that the data is
    // safe elsewhere; otherwise the item waits at its stage for the next start.
    if (!NoteItemStage(ctx, index, stage)) return;
  }
  if (stage == kStageToClear) {
    // The backup goes back only into a local place that is really free: a
    // deletion that failed or has not ended leaves the item for the next start.
    if (LocalExists(ctx, *item) && !item->kind->remove(ctx, p.local)) return;
    if (!BackupExists(ctx, *item)) {
      NoteItemStage(ctx, index, kStageDone);
      return;
    }
    stage = kStagePuttingBack;
    if (!NoteItemStage(ctx, index, stage)) return;
  }
  if (stage == kStageSpare && !LocalExists(ctx, *item)) {
    // Set aside by a rename that the record had not caught up with yet: the
    // backup is the machine's data, not a spare copy.
    stage = kStagePuttingBack;
    if (!NoteItemStage(ctx, index, stage)) return;
  }
  if (stage == kStagePuttingBack) {
    if (!BackupExists(ctx, *item)) {
      NoteItemStage(ctx, index, kStageDone);  // put back by a rename
      return;
    }
    // Left by a copy back that was cut short: the backup is still whole.
    if (LocalExists(ctx, *item) && !item->kind->remove(ctx, p.local)) return;
    if (Rename(ctx, *item, p.backup, p.local)) {
      NoteItemStage(ctx, index, kStageDone);
      return;
    }
    if (!item->kind->copy(ctx, p.backup, p.local)) return;
    stage = kStageSpare;
    if (!NoteItemStage(ctx, index, stage)) return;
  }
  if (stage == kStageSpare) {
    if (BackupExists(ctx, *item) && !item->kind->remove(ctx, p.backup)) return;
    NoteItemStage(ctx, index, kStageDone);
  }
}
