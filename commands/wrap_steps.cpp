#include "commands/wrap_steps.h"

#include <algorithm>
#include <optional>

#include "commands/item_kinds.h"
#include "commands/item_overlap.h"
#include "commands/other_records.h"
#include "commands/place_locks.h"
#include "commands/run_record.h"
#include "platform/platform.h"
#include "values/prepare_value.h"

namespace {

std::wstring IdentityOf(const LauncherContext& ctx, const Item& item) {
  return item.kind->identity(ctx, item.places.local);
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

// A portable place that cannot be read now (a share not reconnected, a drive not
// ready) is not a first run: nothing is brought in from it, and nothing carried
// back over it, until it can be read again.
bool PortableUnreadable(const LauncherContext& ctx, const Item& item) {
  return item.kind->portableAt != nullptr &&
         os::FileState(item.kind->portableAt(ctx, item.places, L"")) == os::kStateUnreadable;
}

// A place may be set up for this run only when no other launcher works on it now,
// its portable data can be read, and no backup name stands beside it: a backup
// that no record of this run's names is someone else's (a copy the user made, a
// run of another launcher or of another machine), and is never moved back over
// live data, deleted or carried.
bool FreeToSetUp(LauncherContext& ctx, const Item& item) {
  return HoldPlace(ctx, IdentityOf(ctx, item)) && !PortableUnreadable(ctx, item) &&
         !BackupExists(ctx, item);
}

// The item was met before in this start: left by an earlier run and not finished
// at recovery, or named twice.
void TakeOver(LauncherContext& ctx, size_t index, std::wstring_view key,
              const std::wstring& value) {
  RunItem& recorded = ctx.runItems[index];
  if (recorded.owner != kEarlierRun) return;
  // In use, its local place holds that run's data, newer than the portable data:
  // the application goes on with it, and this run's AFTER walk carries it back.
  // At any other stage the place holds no whole data for the application (the
  // machine's, part of it, or data older than the portable data): this run leaves
  // the item alone, in both halves, and a later start finishes it.
  recorded.owner = kLeftOut;
  if ((recorded.stage != kStageInUse && recorded.stage != kStageHeld) || recorded.key != key ||
      !HoldItemPlace(ctx, recorded))
    return;
  const RunItem before = recorded;
  recorded.owner = kThisRun;
  recorded.value = value;
  if (!NoteItemStage(ctx, index, kStageInUse)) ctx.runItems[index] = before;
}

// The local place could not be cleared after the machine's data was copied aside:
// what is left there is part of that same data, so the whole copy goes back over it
// rather than mixing the portable data in.
void RestoreAtOnce(LauncherContext& ctx, size_t index, const Item& item) {
  if (item.kind->copy(ctx, item.places.backup, item.places.local) &&
      NoteItemStage(ctx, index, kStageSpare))
    FinishRunItem(ctx, index);
}

std::wstring SafeName(std::wstring_view text) {
  std::wstring name(text);
  for (wchar_t& c : name)
    if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) c = L'_';
  return name;
}

// " (from PC-A, anna, 2026-12-09 14.03.27)": where and when the data was made.
std::wstring OutdatedSuffix(const LauncherContext& ctx, const std::wstring& since) {
  std::wstring when = since.substr(0, 4) + L"-" + since.substr(4, 2) + L"-" + since.substr(6, 2) +
                      L" " + since.substr(8, 2) + L"." + since.substr(10, 2) + L"." +
                      since.substr(12, 2);
  return L" (from " + SafeName(ctx.runner.computer) + L", " + SafeName(ctx.runner.user) + L", " +
         when + L")";
}

}  // namespace

std::wstring ItemIdentity(const LauncherContext& ctx, std::wstring_view key,
                          std::wstring_view value) {
  std::wstring identity;
  return ItemOf(ctx, key, value, &identity) ? identity : std::wstring();
}

int FindRunItem(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value) {
  const std::wstring identity = ItemIdentity(ctx, key, value);
  if (identity.empty()) return -1;
  for (size_t i = 0; i < ctx.runItems.size(); ++i)
    if (ItemIdentity(ctx, ctx.runItems[i].key, ctx.runItems[i].value) == identity)
      return static_cast<int>(i);
  return -1;
}

std::optional<std::wstring> RecordableIdentity(const LauncherContext& ctx, std::wstring_view key,
                                               std::wstring_view value) {
  std::wstring identity;
  if (!ItemOf(ctx, key, value, &identity)) return std::nullopt;
  return identity;
}

std::wstring PortableKeyOf(const LauncherContext& ctx, std::wstring_view key,
                           std::wstring_view value) {
  const auto item = ItemOf(ctx, key, value);
  if (!item || item->kind->portableAt == nullptr) return L"";
  return PortableKey(ctx, item->kind->portableAt(ctx, item->places, L""));
}

std::optional<std::wstring> OutdatedValueOf(const LauncherContext& ctx, const RunItem& item) {
  const auto found = ItemOf(ctx, item.key, item.value);
  if (!found || found->kind->portableAt == nullptr) return std::nullopt;
  return Field(item.value, 1) + L" :: " +
         found->kind->portableAt(ctx, found->places, OutdatedSuffix(ctx, item.since));
}

bool HoldItemPlace(LauncherContext& ctx, const RunItem& item) {
  const std::wstring identity = ItemIdentity(ctx, item.key, item.value);
  return !identity.empty() && HoldPlace(ctx, identity);
}

namespace {

// Everything of SetUpItem up to its first step: the index of the item begun, or
// nullopt when it is not set up.
std::optional<size_t> BeginSetUp(LauncherContext& ctx, const Item& item, std::wstring_view key,
                                 const std::wstring& value) {
  if (ctx.runRecordUsable == 0 || !FreeToSetUp(ctx, item)) return std::nullopt;
  return NoteItemBegun(ctx, LocalExists(ctx, item) ? kStageSpare : kStageToClear, key, value);
}

}  // namespace

void SetUpItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value) {
  const auto item = ItemOf(ctx, key, value);
  if (!item) return;
  if (const int found = FindRunItem(ctx, key, value); found >= 0) {
    TakeOver(ctx, static_cast<size_t>(found), key, value);
    return;
  }
  const auto begun = BeginSetUp(ctx, *item, key, value);
  if (!begun) {
    ctx.placesNotSetUp.push_back(IdentityOf(ctx, *item));
    return;
  }
  const ItemPlaces& p = item->places;
  const size_t index = *begun;
  if (ctx.runItems[index].stage == kStageSpare) {
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
  }
  // The application works on the item only when all of it is in place and the
  // record says so: a carry-back would otherwise write what the application made
  // of a part over the whole, or a later start would clear the application's work.
  // Failing that, the machine's data goes back before the run.
  const std::uint64_t broughtInAt = os::FileClock();
  if ((item->kind->bringIn != nullptr && !item->kind->bringIn(ctx, p)) ||
      !NoteItemStage(ctx, index, kStageInUse)) {
    FinishRunItem(ctx, index);
    return;
  }
  ctx.runItems[index].broughtInAt = broughtInAt;
}

void PutBackItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value) {
  const auto item = ItemOf(ctx, key, value);
  if (!item || ctx.runRecordUsable == 0) return;
  int found = FindRunItem(ctx, key, value);
  if (found < 0) {
    // Not begun in this run: the BEFORE half did not set it up, or the key stands
    // in AFTER only, whose AFTER half alone runs on the same terms as a BEFORE half.
    const std::wstring identity = IdentityOf(ctx, *item);
    if (std::find(ctx.placesNotSetUp.begin(), ctx.placesNotSetUp.end(), identity) !=
            ctx.placesNotSetUp.end() ||
        !FreeToSetUp(ctx, *item))
      return;
    const auto begun = NoteItemBegun(ctx, kStageInUse, key, value);
    if (!begun) return;
    found = static_cast<int>(*begun);
  }
  const RunItem& recorded = ctx.runItems[static_cast<size_t>(found)];
  if (recorded.owner == kLeftOut || recorded.stage == kStageDone) return;
  if (recorded.owner == kEarlierRun && !HoldItemPlace(ctx, recorded)) return;
  FinishRunItem(ctx, static_cast<size_t>(found));
}

namespace {

// An item inside this one's place that is not finished holds data inside it (its
// own, or the machine's under its backup name): this item waits with it, or it
// would carry that data away and clear it.
bool UnfinishedItemInside(const LauncherContext& ctx, size_t index) {
  const std::wstring outer = ItemIdentity(ctx, ctx.runItems[index].key, ctx.runItems[index].value);
  for (size_t i = 0; i < ctx.runItems.size(); ++i)
    if (i != index && ctx.runItems[i].stage != kStageDone &&
        PlaceInside(ItemIdentity(ctx, ctx.runItems[i].key, ctx.runItems[i].value), outer))
      return true;
  return false;
}

}  // namespace

void FinishRunItem(LauncherContext& ctx, size_t index) {
  const RunItem recorded = ctx.runItems[index];
  const auto item = ItemOf(ctx, recorded.key, recorded.value);
  if (!item) {
    NoteItemStage(ctx, index, kStageDone);
    return;
  }
  if (UnfinishedItemInside(ctx, index)) return;
  const ItemPlaces& p = item->places;
  std::wstring_view stage = recorded.stage;
  if (stage == kStageInUse || stage == kStageHeld || stage == kStageOutdated) {
    // Nothing is removed unless the carry-back took everything.
    if (item->kind->carryBack != nullptr && LocalExists(ctx, *item)) {
      if (PortableUnreadable(ctx, *item)) return;
      // Others with data pending for the portable place hear of the newer data
      // before it is written; an outdated item's place beside is its own.
      if (stage != kStageOutdated &&
          !TellOthersOfNewerData(ctx, PortableKeyOf(ctx, recorded.key, recorded.value)))
        return;
      if (!item->kind->carryBack(ctx, p, stage == kStageInUse ? recorded.broughtInAt : 0)) return;
    }
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
    if (!NoteItemStage(ctx, index, stage)) {
      // The record cannot follow (another program holds it): a rename back makes
      // the disk what the record still says, a local place with the machine's
      // data, before the application may work there.
      if (Rename(ctx, *item, p.backup, p.local)) NoteItemStage(ctx, index, kStageDone);
      return;
    }
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
