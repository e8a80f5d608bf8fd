#include <string>

#include "fileops/direct_ops.h"
#include "fileops/file_ops.h"
#include "platform/paths.h"
#include "platform/platform.h"

void DeleteFiles(const LauncherContext& ctx, std::wstring_view path) {
  if (path.empty()) return;
  const std::wstring resolved = ResolvePath(ctx, path);
  if (os::FileState(resolved) < 0) return;
  if (InterpreterCanTake(resolved))
    RunInterpreter(ctx, L"/c DEL " + QuoteForInterpreter(resolved) + L" /F /Q");
  else
    DeleteFilesDirectly(resolved);
}
