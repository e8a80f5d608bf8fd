#include <string>

#include "fileops/file_ops.h"
#include "fileops/paths.h"
#include "platform/platform.h"
#include "process/run_hidden.h"

void DeleteFiles(const LauncherContext& ctx, std::wstring_view path) {
  if (path.empty()) return;
  const std::wstring resolved = ResolvePath(ctx, path);
  if (os::FileState(resolved) < 0) return;
  RunHidden(ctx, ctx.commandInterpreter, L"/c DEL " + QuoteForInterpreter(resolved) + L" /F /Q",
            kToolTimeoutMs);
}
