// The steps behind wrap and backup items of folders and files. Moves are done as a
// copy followed by a removal, with the stage recorded in between
// (commands/run_record.h), so that a run cut short at any point is finished from
// where it stood and no step removes data that is not safe elsewhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/context.h"

struct WrapPlaces {
  bool folder = false;   // "DIR"; otherwise "FILE"
  bool carries = false;  // a wrap item: portable data is brought in and carried back
  std::wstring local;    // trimmed, trailing backslashes removed
  std::wstring backup;   // local + "_backup"
  std::wstring portable;
};

// The places of an item key ("dir", "file", "(dir)", "(file)") and its value;
// nullopt for another key or an empty local item.
std::optional<WrapPlaces> PlacesOf(std::wstring_view key, std::wstring_view value);

bool BackupExists(const LauncherContext& ctx, const WrapPlaces& places);

// The recorded item that stands for the same local place, or -1.
int FindRunItem(const LauncherContext& ctx, std::wstring_view key, std::wstring_view value);

// BEFORE half: sets the machine's data aside under the backup name and, for a wrap
// item, brings the portable data in.
void SetUpItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value);

// AFTER half: carries the data back (wrap item), clears the local place and puts
// the backup back.
void PutBackItem(LauncherContext& ctx, std::wstring_view key, const std::wstring& value);

// Runs the remaining steps of the item from its recorded stage. A step that fails
// leaves the item at its stage for the next start.
void FinishRunItem(LauncherContext& ctx, size_t index);
