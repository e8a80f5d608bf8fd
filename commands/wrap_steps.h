// The steps of wrap and backup items, the same for every kind of item
// (commands/item_kinds.h). Each step that moves data is recorded before it runs
// (commands/run_record.h), so that a run cut short at any point is finished from
// where it stood, and no step removes data that is not safe elsewhere.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// The recorded item that stands for the same local place, or -1.
int FindRunItem(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value);

// True when the key is an item key and its backup name exists: what an unfinished
// run that could keep no record leaves behind.
bool ItemBackupExists(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value);

// True when the key names a kind of item and the value a local place.
bool IsRecordableItem(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value);

// BEFORE half: sets the machine's data aside under the backup name and, for a wrap
// item, brings the portable data in.
void SetUpItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value);

// AFTER half: carries the data back (wrap item), clears the local place and puts
// the backup back.
void PutBackItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value);

// Runs the remaining steps of the item from its recorded stage. A step that fails
// leaves the item at its stage for the next start.
void FinishRunItem(LauncherContext& ctx, size_t index);
