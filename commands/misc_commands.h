// Keys that steer the launcher itself rather than files or the registry.
#pragma once

#include <string>

#include "platform/context.h"

// `nowait`: "1" lets the launcher end right after starting the application.
void StoreNowait(LauncherContext& ctx, const std::wstring& value);
// `quit`: ends the launcher at once.
void Quit(LauncherContext& ctx, const std::wstring& value);
