#include "platform/context.h"

#include "platform/platform.h"

void EndLauncher(LauncherContext& ctx) {
  if (ctx.beforeEnd) ctx.beforeEnd(ctx);
  os::ExitProcessNow(ctx.exitCode);
}
