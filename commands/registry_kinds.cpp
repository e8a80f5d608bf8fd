// Registry items: `regkey`, `regvalue`, `(regkey)`, `(regvalue)`. Keys and values
// are copied, removed and carried through reg.exe (registry/), each step waited
// for until its tool has ended and checked against the registry itself; reg.exe
// cannot rename, so data is always copied aside and the copy checked first.
#include "commands/item_kinds.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "process/run_hidden.h"
#include "registry/reg_copy.h"
#include "registry/reg_delete.h"
#include "registry/reg_files.h"
#include "registry/reg_notation.h"
#include "registry/reg_read.h"
#include "values/prepare_value.h"

namespace {

// "HKCU\Software\App\" is backed up as HKCU\Software\App_backup, never inside
// itself. A root alone, or a path without a known root, names no item: reg.exe
// would take a root for all of it.
std::optional<ItemPlaces> KeyPlaces(std::wstring_view local, std::wstring_view portable) {
  ItemPlaces p;
  p.local = WithoutTrailingBackslashes(TrimSpacesView(local));
  if (!IsRegKeyPath(p.local)) return std::nullopt;
  p.backup = p.local + L"_backup";
  p.portable = portable;
  return p;
}

// A value path is its key's path, a backslash and the name; the backup is a value
// of the same key whose name ends in "_backup".
std::optional<ItemPlaces> ValuePlaces(std::wstring_view local, std::wstring_view portable) {
  auto p = KeyPlaces(local, portable);
  if (!p || !IsRegKeyPath(SplitValuePath(p->local).keyPath)) return std::nullopt;
  return p;
}

std::optional<ItemPlaces> KeyWrapPlaces(const LauncherContext&, std::wstring_view value) {
  return KeyPlaces(FieldView(value, 1), FieldView(value, 2));
}
std::optional<ItemPlaces> KeyBackupPlaces(const LauncherContext&, std::wstring_view value) {
  return KeyPlaces(value, L"");
}
std::optional<ItemPlaces> ValueWrapPlaces(const LauncherContext&, std::wstring_view value) {
  return ValuePlaces(FieldView(value, 1), FieldView(value, 2));
}
std::optional<ItemPlaces> ValueBackupPlaces(const LauncherContext&, std::wstring_view value) {
  return ValuePlaces(value, L"");
}

// HKCU\Software\App and hkey_current_user\software\app are one key. The user's
// branch is the account's own: another account's HKCU\Software\App is another key.
std::wstring KeyOfThisAccount(const LauncherContext& ctx, const std::wstring& local) {
  std::wstring key = LongRegKey(local);
  while (Contains(key, L"\\\\")) key = ReplaceAll(key, L"\\\\", L"\\");
  constexpr std::wstring_view kUser = L"HKEY_CURRENT_USER";
  if (StartsWith(key, kUser) && (key.size() == kUser.size() || key[kUser.size()] == L'\\'))
    key = L"HKEY_USERS\\" + ctx.runner.account + key.substr(kUser.size());
  return os::UpperCaseForNames(key);
}
std::wstring KeyIdentity(const LauncherContext& ctx, const std::wstring& local) {
  return L"key " + KeyOfThisAccount(ctx, local);
}
std::wstring ValueIdentity(const LauncherContext& ctx, const std::wstring& local) {
  return L"value " + KeyOfThisAccount(ctx, local);
}

// A key or value that cannot be read (access denied) is there all the same.
bool KeyExists(const LauncherContext&, const std::wstring& place) {
  return ReadRegKeyCounts(place).outcome != os::RegOutcome::Missing;
}
bool ValueExists(const LauncherContext&, const std::wstring& place) {
  const ValuePath value = SplitValuePath(place);
  return ReadRegValueData(value.keyPath, value.valueName).outcome != os::RegOutcome::Missing;
}

bool CopyKey(const LauncherContext& ctx, const std::wstring& from, const std::wstring& to) {
  return CopyRegKey(ctx, from, to, kToolEndBoundMs);
}
bool CopyValue(const LauncherContext& ctx, const std::wstring& from, const std::wstring& to) {
  const ValuePath source = SplitValuePath(from);
  const ValuePath target = SplitValuePath(to);
  return CopyRegValue(ctx, source.keyPath, source.valueName, target.keyPath, target.valueName);
}

// The parent keys that the removal has left empty go too, up to the Software key:
// what an import created around the item leaves no trace.
bool RemoveKey(const LauncherContext& ctx, const std::wstring& place) {
  if (!RemoveRegKey(ctx, place, kToolEndBoundMs) || KeyExists(ctx, place)) return false;
  DeleteRegKey(ctx, place, true, true);
  return true;
}
bool RemoveValue(const LauncherContext& ctx, const std::wstring& place) {
  const ValuePath value = SplitValuePath(place);
  if (!DeleteRegValue(ctx, value.keyPath, value.valueName, kToolEndBoundMs) ||
      ValueExists(ctx, place))
    return false;
  DeleteRegKey(ctx, place, true, true);
  return true;
}

// Only the item's own part of the registry file comes in: a shared file holds
// the keys of later items too, whose machine data is not set aside yet. A file
// that is not there (the first run) or holds nothing of the item brings nothing
// in: the application starts without its settings, as on a new machine. What the
// file does hold of the item must come in whole, or the item is not used for the
// run: the application's defaults would be carried back over the file.
bool BringInKey(const LauncherContext& ctx, const ItemPlaces& p) {
  return ImportRegFileFor(ctx, p.portable, p.local, nullptr);
}
bool BringInValue(const LauncherContext& ctx, const ItemPlaces& p) {
  const ValuePath value = SplitValuePath(p.local);
  return ImportRegFileFor(ctx, p.portable, value.keyPath, &value.valueName);
}

bool CarryBackKey(const LauncherContext& ctx, const ItemPlaces& p, std::uint64_t) {
  return ExportRegKey(ctx, p.local, p.portable, kToolEndBoundMs);
}
bool CarryBackValue(const LauncherContext& ctx, const ItemPlaces& p, std::uint64_t) {
  return ExportRegValue(ctx, p.local, p.portable);
}

std::wstring PortableRegFile(const LauncherContext& ctx, const ItemPlaces& p,
                             std::wstring_view suffix) {
  return WithNameSuffix(RegFilePath(ctx, p.portable), suffix);
}

}  // namespace

const ItemKind kRegKeyWrapKind{.key = L"regkey",
                               .placesOf = KeyWrapPlaces,
                               .identity = KeyIdentity,
                               .exists = KeyExists,
                               .rename = nullptr,
                               .copy = CopyKey,
                               .remove = RemoveKey,
                               .bringIn = BringInKey,
                               .carryBack = CarryBackKey,
                               .portableAt = PortableRegFile};
const ItemKind kRegValueWrapKind{.key = L"regvalue",
                                 .placesOf = ValueWrapPlaces,
                                 .identity = ValueIdentity,
                                 .exists = ValueExists,
                                 .rename = nullptr,
                                 .copy = CopyValue,
                                 .remove = RemoveValue,
                                 .bringIn = BringInValue,
                                 .carryBack = CarryBackValue,
                                 .portableAt = PortableRegFile};
const ItemKind kRegKeyBackupKind{.key = L"(regkey)",
                                 .placesOf = KeyBackupPlaces,
                                 .identity = KeyIdentity,
                                 .exists = KeyExists,
                                 .rename = nullptr,
                                 .copy = CopyKey,
                                 .remove = RemoveKey,
                                 .bringIn = nullptr,
                                 .carryBack = nullptr,
                                 .portableAt = nullptr};
const ItemKind kRegValueBackupKind{.key = L"(regvalue)",
                                   .placesOf = ValueBackupPlaces,
                                   .identity = ValueIdentity,
                                   .exists = ValueExists,
                                   .rename = nullptr,
                                   .copy = CopyValue,
                                   .remove = RemoveValue,
                                   .bringIn = nullptr,
                                   .carryBack = nullptr,
                                   .portableAt = nullptr};
