#include "commands/misc_commands.h"

#include "platform/context.h"

void StoreNowait(LauncherContext& ctx, const std::wstring& value) { ctx.nowaitValue = value; }

void Quit(LauncherContext& ctx, const std::wstring&) { EndLauncher(ctx); }
