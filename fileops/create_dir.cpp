#include <string>

#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "process/run_hidden.h"

void CreateDir(const LauncherContext& ctx, std::wstring_view path) {
  if (path.empty()) return;
  const std::wstring resolved = ResolvePath(ctx, path);
  // Nothing to make where a folder is, nor where the system cannot read.
  const std::int64_t state = os::FileState(resolved);
  if (state == os::kStateFolder || state == os::kStateUnreadable) return;
  if (InterpreterCanTake(resolved))
    RunInterpreter(ctx, L"/c MKDIR " + QuoteForInterpreter(resolved), kToolTimeoutMs);
  else
    CreateFolderLevels(resolved);
}
