// Folder and file items: `dir`, `file`, `(dir)`, `(file)`.
#include "commands/item_kinds.h"
#include "fileops/copy_tree.h"
#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "values/prepare_value.h"

namespace {

// "C:\Data\App\" is backed up as C:\Data\App_backup, never inside itself.
std::optional<ItemPlaces> Places(std::wstring_view local, std::wstring_view portable) {
  ItemPlaces p;
  p.local = WithoutTrailingBackslashes(TrimSpacesView(local));
  if (p.local.empty()) return std::nullopt;
  constexpr std::wstring_view kBackupSuffix = L"_backup";
  p.backup.reserve(p.local.size() + kBackupSuffix.size());
  p.backup.append(p.local).append(kBackupSuffix);
  p.portable = portable;
  return p;
}

std::optional<ItemPlaces> WrapPlaces(const LauncherContext&, std::wstring_view value) {
  return Places(FieldView(value, 1), FieldView(value, 2));
}

std::optional<ItemPlaces> BackupPlaces(const LauncherContext&, std::wstring_view value) {
  return Places(value, L"");
}

std::wstring LocalIdentity(const LauncherContext& ctx, const std::wstring& local) {
  return PathIdentity(ctx, local);
}

// What cannot be read is there all the same: it is never taken for a free place.
bool FolderExists(const LauncherContext& ctx, const std::wstring& place) {
  const std::int64_t state = os::FileState(ResolvePath(ctx, place));
  return state == os::kStateFolder || state == os::kStateUnreadable;
}

bool FileExists(const LauncherContext& ctx, const std::wstring& place) {
  const std::int64_t state = os::FileState(ResolvePath(ctx, place));
  return state >= 0 || state == os::kStateUnreadable;
}

bool RenamePath(const LauncherContext& ctx, const std::wstring& from, const std::wstring& to) {
  const std::wstring target = ResolvePath(ctx, to);
  return !DeletionMayReach(ctx, target) && os::MoveFileOrFolder(ResolvePath(ctx, from), target);
}

bool CopyFolder(const LauncherContext& ctx, const std::wstring& from, const std::wstring& to) {
  return CopyOrMoveDirContents(ctx, from, to, L"", false, true, false);
}

bool CopyFileItem(const LauncherContext& ctx, const std::wstring& from, const std::wstring& to) {
  return CopyOrMoveFile(ctx, from, to, false, true, false);
}

// A deletion whose tool has not ended leaves the place taken: the item waits at
// its stage, with its backup, for the next start.
bool RemoveFolder(const LauncherContext& ctx, const std::wstring& place) {
  return DeleteDir(ctx, place, L"") && !FolderExists(ctx, place);
}

bool RemoveFile(const LauncherContext& ctx, const std::wstring& place) {
  if (!DeleteFiles(ctx, place)) return false;
  if (!FileExists(ctx, place)) return true;
  // DEL leaves hidden and system files; a settings file may well be one.
  const std::wstring path = ResolvePath(ctx, place);
  os::SetNormalAttributes(path);
  return os::DeleteOneFile(path);
}

// A missing portable location brings nothing in (a folder is still created
// empty); one that exists must come in whole.
bool BringInFolder(const LauncherContext& ctx, const ItemPlaces& p) {
  return CopyOrMoveDirContents(ctx, p.local, p.portable, L"", false, true, true) ||
         os::FileState(ResolveFolderTarget(ctx, p.portable)) == os::kStateMissing;
}

bool BringInFile(const LauncherContext& ctx, const ItemPlaces& p) {
  return CopyOrMoveFile(ctx, p.local, p.portable, false, true, true) ||
         os::FileState(ResolveFileTarget(ctx, p.local, p.portable)) == os::kStateMissing;
}

bool CarryBackFolder(const LauncherContext& ctx, const ItemPlaces& p, std::uint64_t broughtInAt) {
  if (!CopyOrMoveDirContents(ctx, p.local, p.portable, L"", false, true, false, broughtInAt))
    return false;
  // Data that this run did not bring in may hold what a power loss left: files with
  // the size and the write time of a copy, and none of its bytes. Carried back,
  // they get new times, so that no later carry-back takes them for that copy's
  // source, which keeps the old time.
  return broughtInAt != 0 || GiveTreeNewTimes(ResolveFolderTarget(ctx, p.portable));
}

bool CarryBackFile(const LauncherContext& ctx, const ItemPlaces& p, std::uint64_t) {
  return CopyOrMoveFile(ctx, p.local, p.portable, false, true, false);
}

std::wstring PortableFolder(const LauncherContext& ctx, const ItemPlaces& p,
                            std::wstring_view suffix) {
  return ResolveFolderTarget(ctx, p.portable) + std::wstring(suffix);
}

std::wstring PortableFile(const LauncherContext& ctx, const ItemPlaces& p,
                          std::wstring_view suffix) {
  return WithNameSuffix(ResolveFileTarget(ctx, p.local, p.portable), suffix);
}

}  // namespace

const ItemKind kDirWrapKind{.key = L"dir",
                            .placesOf = WrapPlaces,
                            .identity = LocalIdentity,
                            .exists = FolderExists,
                            .rename = RenamePath,
                            .copy = CopyFolder,
                            .remove = RemoveFolder,
                            .bringIn = BringInFolder,
                            .carryBack = CarryBackFolder,
                            .portableAt = PortableFolder};
const ItemKind kFileWrapKind{.key = L"file",
                             .placesOf = WrapPlaces,
                             .identity = LocalIdentity,
                             .exists = FileExists,
                             .rename = RenamePath,
                             .copy = CopyFileItem,
                             .remove = RemoveFile,
                             .bringIn = BringInFile,
                             .carryBack = CarryBackFile,
                             .portableAt = PortableFile};
const ItemKind kDirBackupKind{.key = L"(dir)",
                              .placesOf = BackupPlaces,
                              .identity = LocalIdentity,
                              .exists = FolderExists,
                              .rename = RenamePath,
                              .copy = CopyFolder,
                              .remove = RemoveFolder,
                              .bringIn = nullptr,
                              .carryBack = nullptr,
                              .portableAt = nullptr};
const ItemKind kFileBackupKind{.key = L"(file)",
                               .placesOf = BackupPlaces,
                               .identity = LocalIdentity,
                               .exists = FileExists,
                               .rename = RenamePath,
                               .copy = CopyFileItem,
                               .remove = RemoveFile,
                               .bringIn = nullptr,
                               .carryBack = nullptr,
                               .portableAt = nullptr};
