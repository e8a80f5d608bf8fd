#include <string>

#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"

bool DeleteFiles(const LauncherContext& ctx, std::wstring_view path) {
  if (path.empty()) return true;
  const std::wstring resolved = ResolvePath(ctx, path);
  if (os::FileState(resolved) < 0) return true;
  // Waited for until it ends: callers put other data in the same place next.
  if (InterpreterCanTake(resolved))
    return RunDeletion(ctx, resolved, L"/c DEL " + QuoteForInterpreter(resolved) + L" /F /Q");
  DeleteFilesDirectly(resolved);
  return true;
}
