// The steps of wrap, backup and link items, the same for every kind of item
// (commands/item_kinds.h). Each step that moves data is recorded before it runs
// (commands/run_record.h), so that a run cut short at any point is finished from
// where it stood, and no step removes data that is not safe elsewhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/context.h"

// A text that is equal for every spelling of the item's local place (and for
// items of other keys on the same place); empty when the key names no item.
std::wstring ItemIdentity(const LauncherContext& ctx, std::wstring_view key,
                          std::wstring_view value);

// The recorded item that stands for the same local place, or -1.
int FindRunItem(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value);

// The item's ItemIdentity when the key names a kind of item and the value a local
// place; nullopt otherwise.
std::optional<std::wstring> RecordableIdentity(const LauncherContext& ctx, std::wstring_view key,
                                               std::wstring_view value);

// The portable place the item carries its data back into (a PortableKey); empty
// for items that carry nothing back.
std::wstring PortableKeyOf(const LauncherContext& ctx, std::wstring_view key,
                           std::wstring_view value);

// The value of the same item with its portable data kept in a place beside the
// portable place, named for the machine, the user and the time of its run;
// nullopt for items that carry nothing back.
std::optional<std::wstring> OutdatedValueOf(const LauncherContext& ctx, const RunItem& item);

// True when this run holds the item's place (commands/place_locks.h).
bool HoldItemPlace(LauncherContext& ctx, const RunItem& item);

// BEFORE half: sets the machine's data aside under the backup name and, for a wrap
// item, brings the portable data in. Nothing, and the item is not wrapped for this
// run, when the run keeps no record, another launcher runs on the place, or a
// backup name is there that no record of this run's names.
void SetUpItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value);

// AFTER half: carries the data back (wrap item), clears the local place and puts
// the backup back.
void PutBackItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value);

// Runs the remaining steps of the item from its recorded stage. A step that fails
// leaves the item at its stage for the next start.
void FinishRunItem(LauncherContext& ctx, size_t index);
