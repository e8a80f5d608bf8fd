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

// The launcher itself, its configuration file, the copy of its elevation helper,
// and the files it keeps beside itself about runs ("<name>.<runner>.running" and
// what goes with it).
bool IsLauncherFile(const LauncherContext& ctx, const std::wstring& place) {
  for (const std::wstring* own : {&ctx.launcherPath, &ctx.configFilePath, &ctx.helperCopyPath})
    if (!own->empty() && place == PathIdentity(ctx, *own)) return true;
  const std::wstring runFiles = PathIdentity(ctx, ctx.launcherFolder + ctx.launcherName) + L".";
  return StartsWith(place, runFiles) && Contains(place.substr(runFiles.size()), L".RUNNING") &&
         !Contains(place.substr(runFiles.size()), L"\\");
}

// Where the item would read or write on the disk: its local place (for files and
// folders) and where its portable data lives.
bool TouchesLauncherFiles(const LauncherContext& ctx, const ItemKind& kind,
                          const ItemPlaces& places) {
  const std::wstring local = kind.identity(ctx, places.local);
  if (!StartsWith(local, L"key ") && !StartsWith(local, L"value ") && IsLauncherFile(ctx, local))
    return true;
  if (kind.portableAt != nullptr)
    return IsLauncherFile(ctx, PathIdentity(ctx, kind.portableAt(ctx, places, L"")));
  return kind.key == L"symlink" && IsLauncherFile(ctx, PathIdentity(ctx, places.portable));
}

// No item takes a protected place whole, for its machine data or its portable
// data (commands/protected_places.h). A registry value is one value of its key,
// wherever the key is.
bool TakesAProtectedPlace(const LauncherContext& ctx, const ItemKind& kind,
                          const ItemPlaces& places) {
  const std::wstring local = kind.identity(ctx, places.local);
  if (StartsWith(local, L"key ")) {
    if (IsProtectedKey(places.local)) return true;
  } else if (!StartsWith(local, L"value ") && IsProtectedFolder(ctx, places.local)) {
    return true;
  }
  if (kind.portableAt != nullptr) return IsProtectedFolder(ctx, kind.portableAt(ctx, places, L""));
  return kind.key == L"symlink" && IsProtectedFolder(ctx, places.portable);
}

}  // namespace

std::optional<Item> ItemOf(const LauncherContext& ctx, std::wstring_view key,
                           std::wstring_view value) {
  const ItemKind* kind = FindItemKind(key);
  if (kind == nullptr) return std::nullopt;
  // No place a run sets aside has a control character in its name. A line break
  // would also split the item's line in the run record.
  if (std::any_of(value.begin(), value.end(), [](wchar_t c) { return c < 0x20; }))
    return std::nullopt;
  auto places = kind->placesOf(ctx, value);
  // `file = %APPDATA%\Editor\Editor.ini` beside Editor.exe would take the
  // launcher's own ini for the application's settings and write over it.
  if (!places || TouchesLauncherFiles(ctx, *kind, *places) ||
      TakesAProtectedPlace(ctx, *kind, *places))
    return std::nullopt;
  return Item{kind, std::move(*places)};
}
