#include <string>
#include <utility>

#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"

std::wstring ResolveFileTarget(const LauncherContext& ctx, std::wstring_view source,
                               std::wstring_view target) {
  std::wstring to = ResolvePath(ctx, target);
  if (EndsWithBackslash(to)) to += LastComponent(ResolvePath(ctx, source));
  return to;
}

bool CopyOrMoveFile(const LauncherContext& ctx, std::wstring_view source, std::wstring_view target,
                    bool move, bool overwrite, bool reverse) {
  std::wstring from = ResolvePath(ctx, source);
  std::wstring to = ResolveFileTarget(ctx, source, target);
  // The same file spelt in another case would be deleted as the target of a move.
  if (SamePath(from, to)) return false;
  if (reverse) std::swap(from, to);
  // No single file has such a name; a move would DEL every match of the target.
  if (HasWildcard(from) || HasWildcard(to)) return false;
  // What cannot be read may hold anything: it is neither replaced nor taken from.
  const std::int64_t targetState = os::FileState(to);
  const std::int64_t sourceState = os::FileState(from);
  if (targetState == os::kStateUnreadable || sourceState == os::kStateUnreadable) return false;
  if (!overwrite && targetState >= 0) return false;
  if (DeletionMayReach(ctx, to)) return false;
  // A move replaces the target even when the source turns out to be missing; the
  // source stays while the target's deletion may still take what comes there.
  if (move && targetState != os::kStateMissing && !DeleteFiles(ctx, to)) return false;
  CreateDir(ctx, ParentFolder(ctx, to));
  if (sourceState == os::kStateMissing) return false;
  // On one volume the file moves by a rename, into the same end state.
  if (move && sourceState >= 0 && os::FileState(to) == os::kStateMissing &&
      os::MoveFileOrFolder(from, to))
    return true;
  // Flushed before the source goes, and before the run record relies on the copy.
  if (!CopyFileOver(from, to) || !os::FlushFile(to)) return false;
  if (move) DeleteFiles(ctx, from);
  return true;
}
