#include <string>

#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace {

// A folder that holds the running launcher is its portable data: removing it
// would strip everything around the executable (an empty value resolves to it).
bool MayRemove(const LauncherContext& ctx, const std::wstring& folder) {
  return ctx.launcherFolder.empty() || !IsWithin(ctx.launcherFolder, folder);
}

// False when its tool had not ended.
bool RemoveOne(const LauncherContext& ctx, const std::wstring& folder, bool onlyWhenEmpty) {
  // A folder that is not there needs no tool to remove it.
  if (!MayRemove(ctx, folder) || os::FileState(folder) != os::kStateFolder) return true;
  // Waited for until it ends: a tree still being deleted while data is put back in
  // its place would take that data with it.
  if (InterpreterCanTake(folder))
    return RunDeletion(
        ctx, folder,
        L"/c RMDIR " + QuoteForInterpreter(folder) + (onlyWhenEmpty ? L" /Q" : L" /S /Q"));
  RemoveFolderDirectly(folder, onlyWhenEmpty);
  return true;
}

}  // namespace

bool DeleteDir(const LauncherContext& ctx, std::wstring_view path, std::wstring_view option) {
  // A drive is no folder to remove; without its backslash "C:" would not even name it.
  if (TrimSpaces(path).empty() || IsDriveRoot(path)) return true;
  const bool onlyWhenEmpty = option == L"ifempty";
  const std::wstring resolved = ResolvePath(ctx, RemoveTrailingBackslashes(path));
  if (!HasWildcard(resolved)) return RemoveOne(ctx, resolved, onlyWhenEmpty);
  // Only folders match: files under the pattern stay.
  const std::wstring parent = ParentFolder(ctx, resolved);
  const auto entries = os::ListFolder(parent, LastComponent(resolved));
  if (!entries) return true;
  bool ended = true;
  for (const os::DirEntry& entry : *entries)
    if (entry.isFolder && !RemoveOne(ctx, parent + L"\\" + entry.name, onlyWhenEmpty))
      ended = false;
  return ended;
}
