// Symbolic-link items: `symlink` = "link :: target". Before the application the
// place where it expects its data (the link, a folder when written with a
// trailing backslash) is set aside under the backup name and a link to the target
// in the portable folder takes its place; after it, the link goes and the
// machine's data comes back. The application writes straight into the target,
// so nothing is carried back.
//
// A link is never read through: the machine's data is set aside and put back by
// rename only, and the local place is cleared only when it is a link, and then
// only the link itself goes. Whatever else stands there keeps the item recorded,
// and the machine's data waits under the backup name.
#include "commands/item_kinds.h"
#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "process/run_hidden.h"
#include "values/prepare_value.h"

namespace {

std::wstring Resolved(const LauncherContext& ctx, const std::wstring& place) {
  std::wstring path = ResolvePath(ctx, place);
  path.resize(WithoutTrailingBackslashes(path).size());
  return path;
}

// The local place keeps its trailing backslash: it says that the link is a folder.
// A target at or below the link would be made inside the place of the link, which
// then could not be made: no item.
std::optional<ItemPlaces> LinkPlaces(const LauncherContext& ctx, std::wstring_view value) {
  ItemPlaces p;
  p.local = TrimSpacesView(FieldView(value, 1));
  const std::wstring_view place = WithoutTrailingBackslashes(p.local);
  if (place.empty()) return std::nullopt;
  p.backup.reserve(place.size() + 7);
  p.backup.append(place).append(L"_backup");
  p.portable = TrimSpacesView(FieldView(value, 2));
  if (IsWithin(Resolved(ctx, p.portable), Resolved(ctx, p.local))) return std::nullopt;
  return p;
}

std::wstring LinkIdentity(const LauncherContext& ctx, const std::wstring& local) {
  return PathIdentity(ctx, local);
}

// Anything at all, a link whose target is gone included.
bool Occupied(const LauncherContext& ctx, const std::wstring& place) {
  return os::FileAttributes(Resolved(ctx, place)).has_value();
}

bool IsLink(const std::wstring& path) {
  const auto attributes = os::FileAttributes(path);
  return attributes && (*attributes & os::kAttrReparsePoint) != 0;
}

bool RenamePlace(const LauncherContext& ctx, const std::wstring& from, const std::wstring& to) {
  return os::MoveFileOrFolder(Resolved(ctx, from), Resolved(ctx, to));
}

// A copy would read through a link, or leave the machine's data in two places
// while a link is made over one of them: where no rename is possible, the item
// is not set up, and a backup waits for the next start to be renamed back.
bool NoCopy(const LauncherContext&, const std::wstring&, const std::wstring&) { return false; }

// True when nothing is there any more. Only a link is removed, never what it
// points to, and never data that stands where the link should be.
bool RemoveLinkOnly(const LauncherContext& ctx, const std::wstring& place) {
  const std::wstring path = Resolved(ctx, place);
  const auto attributes = os::FileAttributes(path);
  if (!attributes) return true;
  if ((*attributes & os::kAttrReparsePoint) == 0) return false;
  if (*attributes & os::kAttrDirectory)
    os::RemoveOneFolder(path);
  else
    os::DeleteOneFile(path);
  return !os::FileAttributes(path).has_value();
}

// The target exists before the link is made, so that the link never points at
// nothing: a missing folder is created, a missing file created empty. A target of
// the other kind cannot be linked.
bool PrepareTarget(const LauncherContext& ctx, const std::wstring& target, bool folder) {
  CreateDir(ctx, ParentFolder(ctx, target));
  const std::int64_t state = os::FileState(target);
  if (folder) {
    if (state >= 0) return false;
    if (state == -1) CreateDir(ctx, target);
    return os::FileState(target) == -2;
  }
  if (state == -2) return false;
  FileCreate(ctx, target, L"no overwrite", L"");
  return os::FileState(target) >= 0;
}

// Links through the command interpreter's mklink, or through the link API for
// paths that the interpreter would expand or split whatever the quoting. The
// launcher runs elevated here, so no path may smuggle a command in.
void MakeLink(const LauncherContext& ctx, const std::wstring& link, const std::wstring& target,
              bool folder) {
  if (!InterpreterCanTake(link) || !InterpreterCanTake(target)) {
    os::MakeSymbolicLink(link, target, folder);
    return;
  }
  RunHidden(ctx, ctx.commandInterpreter,
            L"/c mklink " + std::wstring(folder ? L"/D" : L"") + L" " + QuoteForInterpreter(link) +
                L" " + QuoteForInterpreter(target),
            kToolEndBoundMs);
}

// False when no link stands at the local place afterwards (the tool failed, the
// file system has no links, the system refused): the machine's data then goes
// back at once and the application runs without the link.
bool LinkIn(const LauncherContext& ctx, const ItemPlaces& p) {
  const bool folder = EndsWithBackslash(ResolvePath(ctx, p.local));
  const std::wstring link = Resolved(ctx, p.local);
  const std::wstring target = Resolved(ctx, p.portable);
  if (!PrepareTarget(ctx, target, folder)) return false;
  CreateDir(ctx, ParentFolder(ctx, link));
  MakeLink(ctx, link, target, folder);
  return IsLink(link);
}

}  // namespace

const ItemKind kLinkKind{.key = L"symlink",
                         .placesOf = LinkPlaces,
                         .identity = LinkIdentity,
                         .exists = Occupied,
                         .rename = RenamePlace,
                         .copy = NoCopy,
                         .remove = RemoveLinkOnly,
                         .bringIn = LinkIn,
                         .carryBack = nullptr,
                         .portableAt = nullptr};
