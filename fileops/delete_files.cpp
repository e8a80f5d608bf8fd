#include <string>

#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "process/run_hidden.h"

void DeleteFiles(const LauncherContext& ctx, std::wstring_view path) {
  if (path.empty()) return;
  const std::wstring resolved = ResolvePath(ctx, path);
  if (os::FileState(resolved) < 0) return;
  // Waited for until it ends: callers put other data in the same place next.
  if (InterpreterCanTake(resolved))
    RunInterpreter(ctx, L"/c DEL " + QuoteForInterpreter(resolved) + L" /F /Q", kToolEndBoundMs);
  else
    DeleteFilesDirectly(resolved);
}
