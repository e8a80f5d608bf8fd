#include "launcher/helper_command_line.h"

#include "platform/command_line.h"

std::wstring HelperParameters(const LauncherContext& ctx) {
  std::wstring forLauncher(kRestartMarker);
  for (const std::wstring& argument : ctx.launcherArguments)
    forLauncher += L" " + QuoteArgument(argument);
  return QuoteArgument(ctx.launcherPath) + L" " + QuoteArgument(forLauncher);
}
