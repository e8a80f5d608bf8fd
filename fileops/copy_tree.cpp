#include "fileops/copy_tree.h"

#include <map>
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

}  // namespace

bool CopyTree(const std::wstring& source, const std::wstring& target, std::wstring_view pattern,
              TreeCopyLog* log) {
  if (source.empty() || target.empty()) return false;
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

  // What the target holds already: a file of the same size and the same bytes as
  // its source needs no copy, so carrying a folder back after a run writes just
  // what changed. Only the bytes can tell. A copy cut short by a power loss keeps
  // the size and the write time that CopyFileW gave it, with none of its bytes; a
  // volume with coarse times (FAT32: 2 s) gives two writes one time; and an
  // application that saves its settings again unchanged gives them a new one.
  std::map<std::wstring, os::DirEntry> present;
  if (const auto targetEntries = os::ListFolder(to, L"*.*"))
    for (const os::DirEntry& entry : *targetEntries) present.emplace(LowerAscii(entry.name), entry);
  const auto unchanged = [&](const os::DirEntry& source, const std::wstring& sourcePath,
                             const std::wstring& targetPath) {
    const auto it = present.find(LowerAscii(source.name));
    return it != present.end() && !it->second.isFolder && it->second.size == source.size &&
           os::SameFileBytes(sourcePath, targetPath);
  };

  const std::wstring filePattern = pattern.empty() ? L"*.*" : std::wstring(pattern);
  bool ok = true;
  std::vector<std::pair<std::wstring, std::wstring>> copied;  // source, target
  for (const os::DirEntry& entry : *entries) {
    const std::wstring sourcePath = from + L"\\" + entry.name;
    const std::wstring targetPath = to + L"\\" + entry.name;
    if (entry.isFolder) {
      if (!CopyTree(sourcePath, targetPath, pattern, entry.isLink ? nullptr : log)) ok = false;
    } else if (os::MatchesSpec(entry.name, filePattern) &&
               unchanged(entry, sourcePath, targetPath)) {
      if (log) log->files.push_back(sourcePath);
    } else if (os::MatchesSpec(entry.name, filePattern)) {
      if (CopyFileOver(sourcePath, targetPath))
        copied.emplace_back(sourcePath, targetPath);
      else
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

std::wstring ResolveFolderTarget(const LauncherContext& ctx, std::wstring_view target) {
  const std::wstring_view text =
      (TrimSpaces(target).empty() || target == L".") ? L"Settings" : target;
  return RemoveTrailingBackslashes(ResolvePath(ctx, text));
}

bool CopyOrMoveDirContents(const LauncherContext& ctx, std::wstring_view source,
                           std::wstring_view target, std::wstring_view pattern, bool move,
                           bool overwrite, bool reverse) {
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
  const bool copied = CopyTree(from, to, pattern, &log);
  // The source goes only after a complete copy: a move never loses data.
  if (move && copied) {
    if (pattern.empty())
      DeleteDir(ctx, from, L"");
    else
      RemoveCopiedSources(log);
  }
  return copied;
}
