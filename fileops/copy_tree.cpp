#include "fileops/copy_tree.h"

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace {

// A move with a pattern takes only what it copied; folders go once that left
// them empty (the system refuses to remove any other).
void RemoveCopiedSources(const TreeCopyLog& log) {
  for (const std::wstring& file : log.files) {
    os::SetNormalAttributes(file);
    os::DeleteOneFile(file);
  }
  for (auto folder = log.folders.rbegin(); folder != log.folders.rend(); ++folder)
    os::RemoveOneFolder(*folder);
}

// Calls visit(path, entry) for every entry of the folder's tree, links too, but
// lists nothing below a link. False when a folder cannot be listed or visit says so.
template <typename Visit>
bool VisitTree(const std::wstring& folder, Visit visit) {
  std::vector<std::wstring> pending{folder};
  while (!pending.empty()) {
    const std::wstring at = pending.back();
    pending.pop_back();
    const auto entries = os::ListFolder(at, L"*.*");
    if (!entries) return false;
    for (const os::DirEntry& entry : *entries) {
      const std::wstring path = at + L"\\" + entry.name;
      if (!visit(path, entry)) return false;
      if (entry.isFolder && !entry.isLink) pending.push_back(path);
    }
  }
  return true;
}

// A file's size and write time.
using Stamp = std::pair<std::uint64_t, std::uint64_t>;

// How many files of the tree carry each stamp; nullopt when a folder cannot be
// listed or the tree holds a link (what lies behind it is not counted).
std::optional<std::map<Stamp, int>> StampsOf(const std::wstring& folder) {
  std::map<Stamp, int> stamps;
  const bool whole = VisitTree(folder, [&](const std::wstring&, const os::DirEntry& entry) {
    if (!entry.isFolder) ++stamps[{entry.size, entry.lastWrite}];
    return !entry.isLink;
  });
  if (!whole) return std::nullopt;
  return stamps;
}

struct TreeCopy {
  std::wstring_view pattern;
  std::uint64_t filledAt;
  // Of the target's tree, when its write times may be trusted at all.
  std::optional<std::map<Stamp, int>> targetStamps;
};

// Whether the source file is its target counterpart unchanged. A write time proves
// little by itself: a copy cut short by a power loss keeps the size and the write
// time that CopyFileW gave it, with none of its bytes; a volume with coarse times
// (FAT32: 2 s) gives two writes one time; a rename or a copy carries a time to
// another name. So a time decides only when the source was filled with copies of
// the target in this run, and nothing since could have given it: it is older than
// the filling by more than the coarsest grain (a write since is timed later), and no
// other file of the target has that size and time (a rename inside the tree would
// bring it). Otherwise the bytes decide, read in full; an application that saves a
// file again unchanged gives it a new time, and is then not written either. A start
// that finishes an earlier run knows nothing of its filling, and the files it carries
// back may be what a power loss left: it gives them new times (GiveTreeNewTimes).
bool SameCopy(const TreeCopy& copy, const os::DirEntry& source, const os::DirEntry& target,
              const std::wstring& sourcePath, const std::wstring& targetPath) {
  if (target.isFolder || target.size != source.size) return false;
  if (copy.targetStamps && source.lastWrite != 0 && source.lastWrite == target.lastWrite &&
      source.lastWrite + os::kCoarsestWriteTimeGrain < copy.filledAt) {
    const auto shared = copy.targetStamps->find({target.size, target.lastWrite});
    if (shared != copy.targetStamps->end() && shared->second == 1) return true;
  }
  return os::SameFileBytes(sourcePath, targetPath);
}

bool CopyFolderTree(const TreeCopy& copy, const std::wstring& source, const std::wstring& target,
                    TreeCopyLog* log) {
  // A longer text is refused, not cut: a cut source would copy another folder, and
  // a move would then remove the real one.
  if (source.size() > os::kLongestPath || target.size() > os::kLongestPath) return false;
  const std::wstring from = RemoveTrailingBackslashes(source);
  std::wstring to = target;
  if (EndsWithBackslash(to)) to.pop_back();
  const auto entries = os::ListFolder(from, L"*.*");
  if (!entries) return false;
  if (os::FileState(to) != os::kStateFolder && !EndsWith(to, L":") && !os::CreateOneFolder(to))
    return false;
  if (log) log->folders.push_back(from);

  // What the target holds already needs no copy, so carrying a folder back after a
  // run writes just what changed.
  std::map<std::wstring, os::DirEntry> present;
  if (const auto targetEntries = os::ListFolder(to, L"*.*"))
    for (const os::DirEntry& entry : *targetEntries) present.emplace(LowerAscii(entry.name), entry);

  const std::wstring filePattern = copy.pattern.empty() ? L"*.*" : std::wstring(copy.pattern);
  bool ok = true;
  std::vector<std::pair<std::wstring, std::wstring>> copied;  // source, target
  for (const os::DirEntry& entry : *entries) {
    const std::wstring sourcePath = from + L"\\" + entry.name;
    const std::wstring targetPath = to + L"\\" + entry.name;
    if (entry.isFolder) {
      if (!CopyFolderTree(copy, sourcePath, targetPath, entry.isLink ? nullptr : log)) ok = false;
      continue;
    }
    if (!os::MatchesSpec(entry.name, filePattern)) continue;
    const auto there = present.find(LowerAscii(entry.name));
    if (there != present.end() && SameCopy(copy, entry, there->second, sourcePath, targetPath)) {
      if (log) log->files.push_back(sourcePath);
    } else if (CopyFileOver(sourcePath, targetPath)) {
      copied.emplace_back(sourcePath, targetPath);
    } else {
      ok = false;
    }
  }
  // A copy counts once its bytes are on the disk: a move removes the sources next,
  // and the run record moves on. Flushed together, so that the system can write
  // the whole folder's data at once.
  for (const auto& [sourcePath, targetPath] : copied) {
    if (!os::FlushFile(targetPath))
      ok = false;
    else if (log)
      log->files.push_back(sourcePath);
  }
  return ok;
}

}  // namespace

bool GiveTreeNewTimes(const std::wstring& folder) {
  bool all = true;
  const bool listed = VisitTree(folder, [&](const std::wstring& path, const os::DirEntry& entry) {
    if (!entry.isFolder && !entry.isLink && !os::StampWriteTime(path)) all = false;
    return true;
  });
  return listed && all;
}

bool CopyTree(const std::wstring& source, const std::wstring& target, std::wstring_view pattern,
              TreeCopyLog* log, std::uint64_t filledAt) {
  if (source.empty() || target.empty()) return false;
  TreeCopy copy{pattern, filledAt, std::nullopt};
  if (filledAt != 0) copy.targetStamps = StampsOf(RemoveTrailingBackslashes(target));
  return CopyFolderTree(copy, source, target, log);
}

std::wstring ResolveFolderTarget(const LauncherContext& ctx, std::wstring_view target) {
  const std::wstring_view text =
      (TrimSpaces(target).empty() || target == L".") ? L"Settings" : target;
  return RemoveTrailingBackslashes(ResolvePath(ctx, text));
}

bool CopyOrMoveDirContents(const LauncherContext& ctx, std::wstring_view source,
                           std::wstring_view target, std::wstring_view pattern, bool move,
                           bool overwrite, bool reverse, std::uint64_t filledAt) {
  if (source == target) return false;
  std::wstring from = RemoveTrailingBackslashes(ResolvePath(ctx, source));
  std::wstring to = ResolveFolderTarget(ctx, target);
  if (reverse) std::swap(from, to);
  // A target inside the source: the copy would walk into its own output. A source
  // inside the target: a move would remove it with the target before copying.
  if (IsWithin(to, from) || (move && IsWithin(from, to))) return false;
  // Wildcards name no folder; as a move's target they would remove every match.
  if (HasWildcard(from) || HasWildcard(to)) return false;
  if (DeletionMayReach(ctx, to)) return false;
  // A file where the source folder should be is a mistake, not a missing source:
  // the move must not remove its target for it. Nor may a source or a target that
  // cannot be read (a drive not ready, no access): what it holds is unknown.
  const std::int64_t sourceState = os::FileState(from);
  const std::int64_t targetState = os::FileState(to);
  if (sourceState >= 0 || sourceState == os::kStateUnreadable ||
      targetState == os::kStateUnreadable)
    return false;
  if (!overwrite && targetState == os::kStateFolder) return false;

  if (move) {
    // The result holds only what comes from the source. The source stays while the
    // target's deletion may still take what is copied there.
    if (!DeleteDir(ctx, to, L"")) return false;
    // On one volume the whole tree moves by a rename, into the same end state.
    if (pattern.empty() && os::FileState(to) == os::kStateMissing &&
        os::FileState(ParentFolder(ctx, to)) == os::kStateFolder && os::MoveFileOrFolder(from, to))
      return true;
  } else {
    CreateDir(ctx, to);
  }
  TreeCopyLog log;
  const bool copied = CopyTree(from, to, pattern, &log, filledAt);
  // The source goes only after a complete copy: a move never loses data.
  if (move && copied) {
    if (pattern.empty())
      DeleteDir(ctx, from, L"");
    else
      RemoveCopiedSources(log);
  }
  return copied;
}
