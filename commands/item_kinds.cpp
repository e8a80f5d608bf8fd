#include "commands/item_kinds.h"

#include <algorithm>

#include "commands/protected_places.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace {

// One row per item key. A new kind of item is a new row here.
const ItemKind* const kItemKinds[] = {
    &kDirWrapKind,      &kFileWrapKind,       &kDirBackupKind,
    &kFileBackupKind,   &kRegKeyWrapKind,     &kRegValueWrapKind,
    &kRegKeyBackupKind, &kRegValueBackupKind, &kLinkKind,
};

}  // namespace

const ItemKind* FindItemKind(std::wstring_view key) {
  for (const ItemKind* kind : kItemKinds)
    if (kind->key == key) return kind;
  return nullptr;
}

namespace {

// LastComponent, without copies.
std::wstring_view LastName(std::wstring_view path) {
  while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

// The launcher itself, its configuration file, the copy of its elevation helper,
// and the files it keeps beside itself about runs ("<name>.<runner>.running" and
// what goes with it). Only a place whose name could be one of them is compared
// whole. Every item is checked against them: capitals keep a name's length, so a
// name of another length is told apart before any is put in capitals.
bool IsLauncherFile(const LauncherContext& ctx, const std::wstring& place) {
  const std::wstring_view name = std::wstring_view(place).substr(place.find_last_of(L'\\') + 1);
  if (name.size() < ctx.launcherName.size() ||
      !StartsWith(name, os::UpperCaseForNames(ctx.launcherName))) {
    for (const std::wstring* own : {&ctx.configFilePath, &ctx.helperCopyPath}) {
      const std::wstring_view ownName = LastName(*own);
      if (!own->empty() && name.size() == ownName.size() &&
          name == os::UpperCaseForNames(std::wstring(ownName)))
        return place == PathIdentity(ctx, *own);
    }
    return false;
  }
  for (const std::wstring* own : {&ctx.launcherPath, &ctx.configFilePath, &ctx.helperCopyPath})
    if (!own->empty() && place == PathIdentity(ctx, *own)) return true;
  const std::wstring runFiles = PathIdentity(ctx, ctx.launcherFolder + ctx.launcherName) + L".";
  if (!StartsWith(place, runFiles)) return false;
  const std::wstring_view rest = std::wstring_view(place).substr(runFiles.size());
  return Contains(rest, L".RUNNING") && !Contains(rest, L"\\");
}

// Where the item reads or writes on the disk, as identities: its local place (on
// the disk for files and folders only) and where its portable data lives (empty
// for backup items).
struct DiskPlaces {
  std::wstring identity;  // kind.identity of the local place, whatever the kind
  bool localOnDisk = false;
  std::wstring portable;
  bool registryKey = false;  // the item takes a registry key whole
};

DiskPlaces DiskPlacesOf(const LauncherContext& ctx, const ItemKind& kind,
                        const ItemPlaces& places) {
  DiskPlaces disk;
  disk.identity = kind.identity(ctx, places.local);
  disk.registryKey = StartsWith(disk.identity, L"key ");
  disk.localOnDisk = !disk.registryKey && !StartsWith(disk.identity, L"value ");
  if (kind.portableAt != nullptr)
    disk.portable = PathIdentity(ctx, kind.portableAt(ctx, places, L""));
  else if (kind.key == L"symlink")
    disk.portable = PathIdentity(ctx, places.portable);
  return disk;
}

// The launcher's own files are never an item's place or portable data, by default
// or as written: `file = %APPDATA%\Editor\Editor.ini` beside Editor.exe would take
// the launcher's own ini for the application's settings and write over it. No
// item takes a protected place whole, for its machine data or its portable data
// (commands/protected_places.h); a registry value is one value of its key,
// wherever the key is.
bool PlacesAllowed(const LauncherContext& ctx, const ItemKind& kind, const ItemPlaces& places,
                   std::wstring* identity) {
  DiskPlaces disk = DiskPlacesOf(ctx, kind, places);
  const std::wstring none;
  for (const std::wstring* place :
       {disk.localOnDisk ? static_cast<const std::wstring*>(&disk.identity) : &none,
        static_cast<const std::wstring*>(&disk.portable)})
    if (!place->empty() && (IsLauncherFile(ctx, *place) || IsProtectedFolderIdentity(ctx, *place)))
      return false;
  if (disk.registryKey && IsProtectedKey(places.local)) return false;
  if (identity != nullptr) *identity = std::move(disk.identity);
  return true;
}

}  // namespace

std::optional<std::wstring> LauncherFileOfItem(const LauncherContext& ctx, std::wstring_view key,
                                               std::wstring_view value) {
  const ItemKind* kind = FindItemKind(key);
  if (kind == nullptr) return std::nullopt;
  const auto places = kind->placesOf(ctx, value);
  if (!places) return std::nullopt;
  const DiskPlaces disk = DiskPlacesOf(ctx, *kind, *places);
  if (disk.localOnDisk && IsLauncherFile(ctx, disk.identity)) return places->local;
  if (!disk.portable.empty() && IsLauncherFile(ctx, disk.portable))
    return kind->portableAt != nullptr ? kind->portableAt(ctx, *places, L"") : places->portable;
  return std::nullopt;
}

std::optional<Item> ItemOf(const LauncherContext& ctx, std::wstring_view key,
                           std::wstring_view value, std::wstring* identity) {
  const ItemKind* kind = FindItemKind(key);
  if (kind == nullptr) return std::nullopt;
  // No place a run sets aside has a control character in its name. A line break
  // would also split the item's line in the run record.
  if (std::any_of(value.begin(), value.end(), [](wchar_t c) { return c < 0x20; }))
    return std::nullopt;
  auto places = kind->placesOf(ctx, value);
  if (!places || !PlacesAllowed(ctx, *kind, *places, identity)) return std::nullopt;
  return Item{kind, std::move(*places)};
}
